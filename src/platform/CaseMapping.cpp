#include "platform/CaseMapping.h"

#include <locale.h>
#include <wctype.h>

#include <type_traits>

namespace Platform {
namespace {

// C.UTF-8 maps the letters of every script. Where it is missing, C keeps the mapping
// fixed (ASCII only) rather than falling back to the host's locale. Created once and
// kept for the life of the process.
locale_t FixedLocale() {
  static const locale_t locale = [] {
    const locale_t none = static_cast<locale_t>(0);
    const locale_t created = newlocale(LC_CTYPE_MASK, "C.UTF-8", none);
    return created != none ? created : newlocale(LC_CTYPE_MASK, "C", none);
  }();
  return locale;
}

using Unit = std::make_unsigned_t<wchar_t>;

template <typename Map>
void MapCase(std::wstring& text, Map map) {
  const locale_t locale = FixedLocale();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = static_cast<Unit>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      const char32_t low = i + 1 < text.size() ? static_cast<Unit>(text[i + 1]) : 0;
      if (c >= 0xD800 && c <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
        const char32_t mapped = map(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), locale);
        if (mapped >= 0x10000 && mapped <= 0x10FFFF) {
          text[i] = static_cast<wchar_t>(0xD800 + ((mapped - 0x10000) >> 10));
          text[i + 1] = static_cast<wchar_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
        }
        ++i;
        continue;
      }
    }
    // Unpaired surrogates have no case and map to themselves.
    const char32_t mapped = map(c, locale);
    if (sizeof(wchar_t) == 4 || mapped <= 0xFFFF) text[i] = static_cast<wchar_t>(mapped);
  }
}

}  // namespace

void ToLowerCase(std::wstring& text) {
  MapCase(text, [](char32_t c, locale_t locale) -> char32_t { return towlower_l(c, locale); });
}

void ToUpperCase(std::wstring& text) {
  MapCase(text, [](char32_t c, locale_t locale) -> char32_t { return towupper_l(c, locale); });
}

}  // namespace Platform
