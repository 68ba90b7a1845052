// Numbers in configurations: a decimal point whatever locale the host program has set.
// Thread-safe: the "C" locale it uses is made once and then only read.
#pragma once

namespace Platform {

// wcstod in the "C" locale: 0 for text without a number.
double ParseDecimal(const wchar_t* text);

}  // namespace Platform
