// Formats a wide printf-style format whose %s takes a wide string (the convention of
// the logging facade) with the C library, whatever the length of the result.
// Both functions keep no state and may run on any thread.
#pragma once

#include <cstdarg>
#include <string>

namespace NLogC {

// Rewrites the facade's conventions into the C library's: %s and %c take wide
// arguments (%ls, %lc); %S, %C, %hs and %hc take narrow ones.
std::wstring TranslateFormat(const wchar_t* format);

// Formats `format` with `arguments` (which is left untouched: a copy is used per
// attempt). A format the C library rejects yields the format text itself.
std::wstring FormatWide(const wchar_t* format, va_list arguments);

}  // namespace NLogC
