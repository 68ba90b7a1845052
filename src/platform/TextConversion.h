// Conversions between UTF-8 (the narrow code page here) and wide strings. wchar_t is
// UTF-32 on this platform and UTF-16 on Windows; both are handled. Invalid input never
// fails: bad UTF-8 bytes become U+FFFD, unpaired surrogates become U+FFFD.
#pragma once

#include <string>

namespace Platform {

std::wstring Utf8ToWide(const char* text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const wchar_t* text);
std::string WideToUtf8(const std::wstring& text);

// Appends the UTF-8 form of code point `cp` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace Platform
