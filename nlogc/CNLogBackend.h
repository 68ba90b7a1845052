// The process-wide writer behind the exported entry points. Created on first use from
// the environment and never destroyed, so that loggers running during static
// destruction can still write. Every member may be called from any thread.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <ostrel/Logger.h>

namespace spdlog {
class logger;
}

namespace NLogC {

class CNLogSettings;

class CNLogBackend {
public:
  static CNLogBackend& Instance();

  CNLogBackend(const CNLogBackend&) = delete;
  CNLogBackend& operator=(const CNLogBackend&) = delete;

  bool IsEnabled(int level) const;
  // Writes one line for an enabled level; null pointers count as empty text.
  void Write(int level, const wchar_t* logger, const Logging::SLogContext* context,
             const wchar_t* message);
  // Adds `item` to every later line, or replaces its value where it is already set.
  void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value);
  void Flush();

private:
  explicit CNLogBackend(const CNLogSettings& settings);

  std::string DiagnosticsSuffix() const;

  const int m_threshold;
  std::shared_ptr<spdlog::logger> m_logger;
  mutable std::mutex m_itemsMutex;
  std::vector<std::pair<std::string, std::string>> m_items;
  std::string m_itemsSuffix;  // " item=value" for every item, rebuilt on change
};

}  // namespace NLogC
