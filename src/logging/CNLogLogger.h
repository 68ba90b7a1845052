// CNLogLogger: forwards every record to the five entry points of libNLogC.so, unchanged.
// Holds only the entry points, fixed at construction: every call may come from any thread
// at once, as the back end allows.
#pragma once

#include <ostrel/Logger.h>

#include "logging/NLogEntryPoints.h"

namespace Logging {

class CNLogLogger final : public ILogDispatcher {
public:
  CNLogLogger(NLogLogVFunction logV, NLogWriteLogFunction writeLog,
              NLogIsLogEnabledFunction isLogEnabled,
              NLogSetGlobalDiagnosticsContextFunction setGlobalDiagnosticsContext,
              NLogFlushFunction flush);

  void WriteLog(int level, const wchar_t* logger, const SLogContext* context,
                const wchar_t* message) override;
  void LogV(int level, const wchar_t* logger, const SLogContext* context, const wchar_t* format,
            va_list arguments) override;
  bool IsLogEnabled(int level, const wchar_t* logger) override;
  void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) override;
  void Flush(int timeout) override;

private:
  NLogLogVFunction m_logV;
  NLogWriteLogFunction m_writeLog;
  NLogIsLogEnabledFunction m_isLogEnabled;
  NLogSetGlobalDiagnosticsContextFunction m_setGlobalDiagnosticsContext;
  NLogFlushFunction m_flush;
};

}  // namespace Logging
