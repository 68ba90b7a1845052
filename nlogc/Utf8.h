// Wide (UTF-32 on Linux) to UTF-8 conversion for everything the back end writes.
#pragma once

#include <string>

namespace NLogC {

// Appends `text` as UTF-8; a null pointer appends nothing. Values that are not Unicode
// scalar values (surrogates, anything above U+10FFFF) become U+FFFD.
void AppendUtf8(std::string& out, const wchar_t* text);

std::string ToUtf8(const wchar_t* text);

}  // namespace NLogC
