#include "platform/CaseMapping.h"

#include <windows.h>

namespace Platform {
namespace {

// The invariant locale's simple case mapping keeps the length; a result of another
// length leaves the text unchanged.
void MapCase(std::wstring& text, DWORD flags) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return;
  std::wstring mapped(text.size(), L'\0');
  const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), static_cast<int>(text.size()),
                                   mapped.data(), static_cast<int>(mapped.size()), nullptr, nullptr, 0);
  if (static_cast<std::size_t>(length) == text.size()) text = std::move(mapped);
}

}  // namespace

void ToLowerCase(std::wstring& text) { MapCase(text, LCMAP_LOWERCASE); }

void ToUpperCase(std::wstring& text) { MapCase(text, LCMAP_UPPERCASE); }

}  // namespace Platform
