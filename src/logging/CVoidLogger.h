// CVoidLogger: the dispatcher used when no logging back end is available; drops every
// record and reports every level as disabled.
// Stateless: safe from any thread.
#pragma once

#include <ostrel/Logger.h>

namespace Logging {

class CVoidLogger final : public ILogDispatcher {
public:
  constexpr CVoidLogger() = default;
  void WriteLog(int, const wchar_t*, const SLogContext*, const wchar_t*) override {}
  void LogV(int, const wchar_t*, const SLogContext*, const wchar_t*, va_list) override {}
  bool IsLogEnabled(int, const wchar_t*) override { return false; }
  void SetGlobalDiagnosticsContext(const wchar_t*, const wchar_t*) override {}
  void Flush(int) override {}
};

}  // namespace Logging
