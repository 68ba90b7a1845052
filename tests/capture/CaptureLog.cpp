#include "CaptureLog.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include <ostrel/Logger.h>

#include "WideFormat.h"
#include "logging/NLogEntryPoints.h"

namespace CaptureLog {
namespace {

struct SState {
  std::mutex mutex;
  std::vector<SRecord> records;
  std::atomic<int> threshold{0};
  std::atomic<int> queries{0};
};

SState& State() {
  static SState* state = new SState;  // outlives every static logger
  return *state;
}

}  // namespace

void Add(int level, const wchar_t* logger, const Logging::SLogContext* context,
         std::wstring message) {
  SRecord r{level, logger != nullptr ? logger : L"<null>", "", -1, "", std::move(message)};
  if (context != nullptr) {
    r.file = context->file != nullptr ? context->file : "";
    r.line = context->line;
    r.function = context->function != nullptr ? context->function : "";
  }
  std::lock_guard<std::mutex> lock(State().mutex);
  State().records.push_back(std::move(r));
}

std::vector<SRecord> Records() {
  std::lock_guard<std::mutex> lock(State().mutex);
  return State().records;
}

void Clear() {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().records.clear();
  State().queries = 0;
}

void SetThreshold(int level) { State().threshold = level; }

int EnabledQueries() { return State().queries; }

std::size_t CountMessage(const std::wstring& message) {
  const std::vector<SRecord> records = Records();
  return std::count_if(records.begin(), records.end(),
                       [&](const SRecord& r) { return r.message == message; });
}

}  // namespace CaptureLog

NLOGC_ENTRY_POINT void NLog_CSWriteLogW(int level, const wchar_t* logger,
                                        const Logging::SLogContext* context,
                                        const wchar_t* message) {
  CaptureLog::Add(level, logger, context, message != nullptr ? message : L"");
}

NLOGC_ENTRY_POINT void NLog_CSLogVW(int level, const wchar_t* logger,
                                    const Logging::SLogContext* context, const wchar_t* format,
                                    va_list arguments) {
  CaptureLog::Add(level, logger, context, NLogC::FormatWide(format, arguments));
}

NLOGC_ENTRY_POINT bool NLog_IsLogEnabledW(int level, const wchar_t*) {
  ++CaptureLog::State().queries;
  return level >= CaptureLog::State().threshold;
}

// Diagnostics contexts and flushes are accepted and forgotten.
NLOGC_ENTRY_POINT void NLog_SetGlobalDiagnosticsContextW(const wchar_t*, const wchar_t*) {}

NLOGC_ENTRY_POINT void NLog_Flush(int) {}
