#include "CaptureLog.h"

#include <mutex>

#include <ostrel/Logger.h>

#include "WideFormat.h"
#include "logging/NLogEntryPoints.h"

namespace CaptureLog {
namespace {

struct SState {
  std::mutex mutex;
  std::vector<SRecord> records;
  int threshold = 0;
  int queries = 0;
};

SState& State() {
  static SState* state = new SState;  // outlives every static logger
  return *state;
}

void Add(SRecord record) {
  SState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.records.push_back(std::move(record));
}

SRecord Make(int level, const wchar_t* logger, const Logging::SLogContext* context) {
  SRecord r;
  r.level = level;
  r.logger = logger != nullptr ? logger : L"<null>";
  r.file = context != nullptr && context->file != nullptr ? context->file : "";
  r.line = context != nullptr ? context->line : -1;
  r.function = context != nullptr && context->function != nullptr ? context->function : "";
  return r;
}

}  // namespace

std::vector<SRecord> Records() {
  SState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.records;
}

void Clear() {
  SState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.records.clear();
  s.queries = 0;
}

void SetThreshold(int level) {
  SState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.threshold = level;
}

int EnabledQueries() {
  SState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.queries;
}

std::vector<SRecord> WithMessage(const std::wstring& message) {
  std::vector<SRecord> out;
  for (SRecord& r : Records()) {
    if (r.message == message) {
      out.push_back(std::move(r));
    }
  }
  return out;
}

}  // namespace CaptureLog

NLOGC_ENTRY_POINT void NLog_CSWriteLogW(int level, const wchar_t* logger,
                                  const Logging::SLogContext* context, const wchar_t* message) {
  CaptureLog::SRecord r = CaptureLog::Make(level, logger, context);
  r.message = message != nullptr ? message : L"";
  CaptureLog::Add(std::move(r));
}

NLOGC_ENTRY_POINT void NLog_CSLogVW(int level, const wchar_t* logger,
                              const Logging::SLogContext* context, const wchar_t* format,
                              va_list arguments) {
  CaptureLog::SRecord r = CaptureLog::Make(level, logger, context);
  r.message = NLogC::FormatWide(format, arguments);
  CaptureLog::Add(std::move(r));
}

NLOGC_ENTRY_POINT bool NLog_IsLogEnabledW(int level, const wchar_t*) {
  CaptureLog::SState& s = CaptureLog::State();
  std::lock_guard<std::mutex> lock(s.mutex);
  ++s.queries;
  return level >= s.threshold;
}

// Diagnostics contexts and flushes are accepted and forgotten.
NLOGC_ENTRY_POINT void NLog_SetGlobalDiagnosticsContextW(const wchar_t*, const wchar_t*) {}

NLOGC_ENTRY_POINT void NLog_Flush(int) {}
