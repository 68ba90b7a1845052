#include "platform/DecimalNumber.h"

#include <locale.h>
#include <stdlib.h>

#include <string>

namespace Platform {

// The runtime offers the "C" locale form for narrow text only. A number is ASCII, so
// every other character becomes one that ends it.
double ParseDecimal(const wchar_t* text) {
  static const _locale_t c = _create_locale(LC_ALL, "C");
  std::string narrow;
  for (const wchar_t* p = text; p != nullptr && *p != L'\0'; ++p) {
    narrow.push_back(*p < 0x80 ? static_cast<char>(*p) : '\x7F');
  }
  return c != nullptr ? _strtod_l(narrow.c_str(), nullptr, c) : strtod(narrow.c_str(), nullptr);
}

}  // namespace Platform
