// The one UTF-8 codec of libostrel.so and libNLogC.so: conversions between UTF-8 (the
// narrow code page here) and wide strings. wchar_t is UTF-32 on this platform and UTF-16
// on Windows; both are handled, and a surrogate pair is one character for either width.
// Invalid input never fails: each bad UTF-8 sequence, each unpaired surrogate and each
// value that is no code point becomes U+FFFD.
// The conversions keep no state: safe on any thread.
#pragma once

#include <string>

namespace Platform {

std::wstring Utf8ToWide(const char* text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const wchar_t* text);  // null gives ""
std::string WideToUtf8(const std::wstring& text);

// Appends the UTF-8 form of `cp`; a surrogate or a value above U+10FFFF gives U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace Platform
