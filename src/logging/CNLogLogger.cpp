#include "CNLogLogger.h"

namespace Logging {

CNLogLogger::CNLogLogger(NLogLogVFunction logV, NLogWriteLogFunction writeLog,
                         NLogIsLogEnabledFunction isLogEnabled,
                         NLogSetGlobalDiagnosticsContextFunction setGlobalDiagnosticsContext,
                         NLogFlushFunction flush)
    : m_logV(logV),
      m_writeLog(writeLog),
      m_isLogEnabled(isLogEnabled),
      m_setGlobalDiagnosticsContext(setGlobalDiagnosticsContext),
      m_flush(flush) {}

void CNLogLogger::WriteLog(int level, const wchar_t* logger, const SLogContext* context,
                           const wchar_t* message) {
  m_writeLog(level, logger, context, message);
}

void CNLogLogger::LogV(int level, const wchar_t* logger, const SLogContext* context,
                       const wchar_t* format, va_list arguments) {
  m_logV(level, logger, context, format, arguments);
}

bool CNLogLogger::IsLogEnabled(int level, const wchar_t* logger) {
  return m_isLogEnabled(level, logger);
}

void CNLogLogger::SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) {
  m_setGlobalDiagnosticsContext(item, value);
}

void CNLogLogger::Flush(int timeout) { m_flush(timeout); }

}  // namespace Logging
