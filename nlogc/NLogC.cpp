// The five C entry points that libostrel.so looks up. None of them lets an exception
// out: a record that cannot be written is dropped.
#include <cstdarg>
#include <string>

#include <ostrel/Logger.h>

#include "CNLogBackend.h"
#include "logging/NLogEntryPoints.h"
#include "WideFormat.h"


using NLogC::CNLogBackend;

NLOGC_ENTRY_POINT void NLog_CSWriteLogW(int level, const wchar_t* logger,
                                   const Logging::SLogContext* context, const wchar_t* message) {
  try {
    CNLogBackend::Instance().Write(level, logger, context, message);
  } catch (...) {
  }
}

NLOGC_ENTRY_POINT void NLog_CSLogVW(int level, const wchar_t* logger,
                               const Logging::SLogContext* context, const wchar_t* format,
                               va_list args) {
  try {
    CNLogBackend& backend = CNLogBackend::Instance();
    if (backend.IsEnabled(level)) {
      backend.Write(level, logger, context, NLogC::FormatWide(format, args).c_str());
    }
  } catch (...) {
  }
}

NLOGC_ENTRY_POINT bool NLog_IsLogEnabledW(int level, const wchar_t* /*logger*/) {
  try {
    return CNLogBackend::Instance().IsEnabled(level);
  } catch (...) {
    return false;
  }
}

NLOGC_ENTRY_POINT void NLog_SetGlobalDiagnosticsContextW(const wchar_t* item, const wchar_t* value) {
  try {
    CNLogBackend::Instance().SetGlobalDiagnosticsContext(item, value);
  } catch (...) {
  }
}

// Writes are synchronous, so flushing never waits and the timeout is not needed.
NLOGC_ENTRY_POINT void NLog_Flush(int /*timeout*/) {
  try {
    CNLogBackend::Instance().Flush();
  } catch (...) {
  }
}
