#include "CNLogBackend.h"

#include <atomic>
#include <cstdio>
#include <exception>

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

#include "CNLogSettings.h"
#include "platform/CurrentThread.h"
#include "platform/TextConversion.h"

namespace NLogC {
namespace {

int ClampLevel(int level) {
  return level < Logging::Trace ? Logging::Trace : level > Logging::Fatal ? Logging::Fatal : level;
}

const char* LevelName(int level) {
  static const char* const kNames[] = {"TRACE", "DEBUG", "INFO ", "WARN ", "ERROR", "FATAL"};
  return kNames[ClampLevel(level)];
}

spdlog::level::level_enum SpdlogLevel(int level) {
  static const spdlog::level::level_enum kLevels[] = {
      spdlog::level::trace, spdlog::level::debug, spdlog::level::info,
      spdlog::level::warn,  spdlog::level::err,   spdlog::level::critical};
  return kLevels[ClampLevel(level)];
}

// Appends wide text as UTF-8 with line breaks escaped, so that a record stays one line.
void AppendText(std::string& out, const wchar_t* text) {
  const std::string utf8 = Platform::WideToUtf8(text);
  for (char c : utf8) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out.push_back(c);
    }
  }
}

// Reports the first failed write on standard error; spdlog calls this instead of throwing.
void ReportWriteError(const std::string& message) {
  static std::atomic<bool> reported{false};
  if (!reported.exchange(true)) {
    std::fprintf(stderr, "NLogC: cannot write log: %s\n", message.c_str());
  }
}

spdlog::sink_ptr MakeSink(const std::string& file) {
  if (!file.empty()) {
    try {
      return std::make_shared<spdlog::sinks::basic_file_sink_mt>(file, false);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "NLogC: %s; logging to standard error\n", e.what());
    }
  }
  return std::make_shared<spdlog::sinks::stderr_sink_mt>();
}

}  // namespace

CNLogBackend& CNLogBackend::Instance() {
  static CNLogBackend* instance = new CNLogBackend(CNLogSettings::FromEnvironment());
  return *instance;
}

CNLogBackend::CNLogBackend(const CNLogSettings& settings)
    : m_threshold(settings.Threshold()),
      // Not registered with spdlog, so that a host using spdlog itself cannot reach it.
      m_logger(std::make_shared<spdlog::logger>("NLogC", MakeSink(settings.File()))) {
  m_logger->set_pattern("%Y-%m-%d %H:%M:%S.%e %v");
  m_logger->set_level(spdlog::level::trace);  // the threshold is applied before spdlog
  m_logger->flush_on(spdlog::level::warn);
  m_logger->set_error_handler(ReportWriteError);
}

bool CNLogBackend::IsEnabled(int level) const {
  return m_threshold != CNLogSettings::kOff && ClampLevel(level) >= m_threshold;
}

void CNLogBackend::Write(int level, const wchar_t* logger, const Logging::SLogContext* context,
                         const wchar_t* message) {
  if (!IsEnabled(level)) {
    return;
  }
  const char* file = context != nullptr && context->file != nullptr ? context->file : "";
  const char* function =
      context != nullptr && context->function != nullptr ? context->function : "";
  std::string line = LevelName(level);
  line += ' ';
  AppendText(line, logger);
  line += " [" + std::to_string(Platform::CurrentThreadId()) + "] ";
  AppendText(line, message);
  line += " (";
  line += file;
  line += ':' + std::to_string(context != nullptr ? context->line : 0) + ", ";
  line += function;
  line += ')';
  line += DiagnosticsSuffix();
  m_logger->log(SpdlogLevel(level), spdlog::string_view_t(line));
}

void CNLogBackend::SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) {
  std::string name;
  AppendText(name, item);
  std::string text;
  AppendText(text, value);
  std::lock_guard<std::mutex> lock(m_itemsMutex);
  bool found = false;
  for (auto& entry : m_items) {
    if (entry.first == name) {
      entry.second = std::move(text);
      found = true;
      break;
    }
  }
  if (!found) {
    m_items.emplace_back(std::move(name), std::move(text));
  }
  m_itemsSuffix.clear();
  for (const auto& entry : m_items) {
    m_itemsSuffix += ' ' + entry.first + '=' + entry.second;
  }
}

void CNLogBackend::Flush() { m_logger->flush(); }

std::string CNLogBackend::DiagnosticsSuffix() const {
  std::lock_guard<std::mutex> lock(m_itemsMutex);
  return m_itemsSuffix;
}

}  // namespace NLogC
