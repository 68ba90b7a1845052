#include "platform/DecimalNumber.h"

#include <locale.h>
#include <stdlib.h>
#include <wchar.h>

namespace Platform {

double ParseDecimal(const wchar_t* text) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c != static_cast<locale_t>(0) ? wcstod_l(text, nullptr, c) : wcstod(text, nullptr);
}

}  // namespace Platform
