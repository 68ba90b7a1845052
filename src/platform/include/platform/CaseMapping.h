// Upper and lower case with fixed rules (those of C.UTF-8), whatever the locale of the
// host program: a configuration reads the same in every process.
// Thread-safe: the fixed locale is made once and then only read.
#pragma once

#include <string>

namespace Platform {

// Maps each character of `text` in place to its single-character lower (upper) case
// form. A surrogate pair is one character; a character whose other form would take
// another number of wchar_t units (possible only with 16-bit wchar_t) is left alone.
void ToLowerCase(std::wstring& text);
void ToUpperCase(std::wstring& text);

}  // namespace Platform
