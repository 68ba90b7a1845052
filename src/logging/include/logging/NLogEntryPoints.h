// The five C entry points of a logging back end (libNLogC.so), as the dispatcher looks
// them up by name and every back end defines them. None may let an exception out.
// Every entry point may be called from any thread at once.
#pragma once

#include <cstdarg>

#include <ostrel/Logger.h>

#define NLOGC_ENTRY_POINT extern "C" __attribute__((visibility("default")))

NLOGC_ENTRY_POINT void NLog_CSWriteLogW(int level, const wchar_t* logger,
                                        const Logging::SLogContext* context,
                                        const wchar_t* message);
NLOGC_ENTRY_POINT void NLog_CSLogVW(int level, const wchar_t* logger,
                                    const Logging::SLogContext* context, const wchar_t* format,
                                    va_list arguments);
NLOGC_ENTRY_POINT bool NLog_IsLogEnabledW(int level, const wchar_t* logger);
NLOGC_ENTRY_POINT void NLog_SetGlobalDiagnosticsContextW(const wchar_t* item, const wchar_t* value);
NLOGC_ENTRY_POINT void NLog_Flush(int timeout);

namespace Logging {

// The types of the entry points, for the dispatcher's look-up.
using NLogLogVFunction = decltype(&NLog_CSLogVW);
using NLogWriteLogFunction = decltype(&NLog_CSWriteLogW);
using NLogIsLogEnabledFunction = decltype(&NLog_IsLogEnabledW);
using NLogSetGlobalDiagnosticsContextFunction = decltype(&NLog_SetGlobalDiagnosticsContextW);
using NLogFlushFunction = decltype(&NLog_Flush);

}  // namespace Logging
