#include "WideFormat.h"

#include <cwchar>
#include <vector>

namespace NLogC {

std::wstring TranslateFormat(const wchar_t* format) {
  std::wstring out;
  if (format == nullptr) {
    return out;
  }
  for (const wchar_t* p = format; *p != L'\0';) {
    if (*p != L'%') {
      out.push_back(*p++);
      continue;
    }
    out.push_back(*p++);
    if (*p == L'%') {
      out.push_back(*p++);
      continue;
    }
    // Flags, width, precision.
    while (*p != L'\0' && std::wcschr(L"-+ #0123456789.*'", *p) != nullptr) {
      out.push_back(*p++);
    }
    // Length modifiers: 'h' before s/c means narrow, which the C library spells with no
    // modifier in wide functions.
    std::wstring length;
    while (*p != L'\0' && std::wcschr(L"hlLqjzt", *p) != nullptr) {
      length.push_back(*p++);
    }
    wchar_t conversion = *p;
    if (conversion == L'\0') {
      out += length;
      break;
    }
    ++p;
    if (conversion == L's' || conversion == L'c') {
      if (length == L"h") {
        out.push_back(conversion);
      } else {
        out.push_back(L'l');
        out.push_back(conversion);
      }
    } else if (conversion == L'S' || conversion == L'C') {
      out.push_back(conversion == L'S' ? L's' : L'c');
    } else {
      out += length;
      out.push_back(conversion);
    }
  }
  return out;
}

std::wstring FormatWide(const wchar_t* format, va_list arguments) {
  if (format == nullptr) {
    return std::wstring();
  }
  const std::wstring translated = TranslateFormat(format);
  // The C library's vswprintf reports only failure, not the needed size: grow until it
  // fits. mingw-w64's reports the full length instead, so a count beyond the buffer is
  // a truncation too. The bound stops a format that always fails (an encoding error)
  // from growing forever.
  constexpr std::size_t kLimit = std::size_t{1} << 26;
  std::vector<wchar_t> buffer(512);
  while (true) {
    va_list copy;
    va_copy(copy, arguments);
    int written = std::vswprintf(buffer.data(), buffer.size(), translated.c_str(), copy);
    va_end(copy);
    if (written >= 0 && static_cast<std::size_t>(written) < buffer.size()) {
      return std::wstring(buffer.data(), static_cast<std::size_t>(written));
    }
    if (buffer.size() >= kLimit) {
      return std::wstring(format);
    }
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace NLogC
