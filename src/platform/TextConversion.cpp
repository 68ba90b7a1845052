#include "platform/TextConversion.h"

#include <cstring>
#include <cwchar>
#include <type_traits>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendWide(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

#if defined(_WIN32)
// Valid text goes through the system's converter; invalid text takes the replacement
// rules below, which the system's converter does not promise.
bool SystemUtf8ToWide(const unsigned char* s, std::size_t n, std::wstring& out) {
  if (n == 0 || n > 0x7FFFFFFF) return false;
  const char* bytes = reinterpret_cast<const char*>(s);
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(n), nullptr, 0);
  if (units <= 0) return false;
  out.resize(units);
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(n), out.data(), units) == units;
}

bool SystemWideToUtf8(const wchar_t* s, std::size_t n, std::string& out) {
  if (n == 0 || n > 0x7FFFFFFF) return false;
  const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, s, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return false;
  out.resize(size);
  return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, s, static_cast<int>(n), out.data(), size, nullptr, nullptr) == size;
}
#endif

// Decodes n bytes. The valid range of the second byte depends on the lead byte, which
// rejects overlong forms (E0 80..9F, F0 80..8F), encoded surrogates (ED A0..BF) and values
// above U+10FFFF (F4 90..BF). The longest start of a valid sequence that is cut short
// becomes one U+FFFD; so does any byte that cannot start a sequence.
std::wstring DecodeUtf8(const unsigned char* s, std::size_t n) {
  std::wstring out;
#if defined(_WIN32)
  if (SystemUtf8ToWide(s, n, out)) return out;
#endif
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      cp = c & 0x0F;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      cp = c & 0x07;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      AppendWide(out, kReplacement);  // a continuation byte or C0, C1, F5..FF
      ++i;
      continue;
    }
    std::size_t k = 1;
    for (; k < length && i + k < n && s[i + k] >= low && s[i + k] <= high; ++k) {
      cp = (cp << 6) | (s[i + k] & 0x3F);
      low = 0x80;
      high = 0xBF;
    }
    AppendWide(out, k == length ? cp : kReplacement);
    i += k;
  }
  return out;
}

// Encodes n wide characters; a high surrogate followed by a low one is one character,
// whatever the width of wchar_t. Negative values (wchar_t is signed here) are read as
// unsigned, so they lie above U+10FFFF.
std::string EncodeUtf8(const wchar_t* s, std::size_t n) {
  std::string out;
#if defined(_WIN32)
  if (SystemWideToUtf8(s, n, out)) return out;
#endif
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    char32_t cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(s[i]));
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n) {
      char32_t low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(s[i + 1]));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    cp = kReplacement;
  }
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::wstring Utf8ToWide(const char* text) {
  if (text == nullptr) {
    return std::wstring();
  }
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
}

std::wstring Utf8ToWide(const std::string& text) {
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::string WideToUtf8(const wchar_t* text) {
  if (text == nullptr) {
    return std::string();
  }
  return EncodeUtf8(text, std::wcslen(text));
}

std::string WideToUtf8(const std::wstring& text) { return EncodeUtf8(text.data(), text.size()); }

}  // namespace Platform
