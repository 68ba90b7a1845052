#include "XMLCharacters.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/TextConversion.h"

namespace Ostrel {
namespace {

constexpr unsigned CharLength(unsigned byte) {
  return byte == 0 ? 0 : byte < 0xC2 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : byte < 0xF5 ? 4 : 1;
}

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr int kEntityCount = 5;
const char* const kEntityNames[kEntityCount] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
const std::size_t kEntityLengths[kEntityCount] = {5, 4, 4, 6, 6};
const char kEntityCharacters[kEntityCount] = {'&', '<', '>', '"', '\''};

// Value of a digit in the given base, or -1.
int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  const char lower = LowerAscii(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

// Decodes the reference at p ("&...") by appending its UTF-8 bytes to `decoded`; returns
// the byte after it, or null if it is bad: unknown, without digits or ";", or a number that
// is 0, a surrogate or above U+10FFFF. The bytes never outnumber the reference's text,
// which takes at least 4 bytes, 6 for a 2-byte character ("&#128;", "&#x80;"), 7 for a
// 3-byte one and 8 for a 4-byte one.
const char* DecodeReference(const char* p, const char* end, std::string& decoded) {
  const std::size_t available = static_cast<std::size_t>(end - p);
  for (int i = 0; i < kEntityCount; ++i) {
    if (available >= kEntityLengths[i] && XMLNamesEqualN(p, kEntityNames[i], kEntityLengths[i])) {
      decoded.push_back(kEntityCharacters[i]);
      return p + kEntityLengths[i];
    }
  }
  if (available < 2 || p[1] != '#') return nullptr;
  const char* q = p + 2;
  const bool hex = q < end && (*q == 'x' || *q == 'X');
  if (hex) ++q;
  std::uint32_t value = 0;
  const char* digits = q;
  for (; q < end && *q != ';'; ++q) {
    const int digit = DigitValue(*q, hex);
    if (digit < 0) return nullptr;
    value = value * (hex ? 16u : 10u) + static_cast<std::uint32_t>(digit);
    if (value > 0x10FFFF) return nullptr;  // before the next digit could overflow
  }
  if (q == end || q == digits || value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return nullptr;
  Platform::AppendUtf8(decoded, value);
  return q + 1;
}

}  // namespace

const unsigned char kXMLCharLength[256] = {
#define OSTREL_ROW(b) CharLength(b), CharLength(b + 1), CharLength(b + 2), CharLength(b + 3), \
    CharLength(b + 4), CharLength(b + 5), CharLength(b + 6), CharLength(b + 7)
    OSTREL_ROW(0x00), OSTREL_ROW(0x08), OSTREL_ROW(0x10), OSTREL_ROW(0x18),
    OSTREL_ROW(0x20), OSTREL_ROW(0x28), OSTREL_ROW(0x30), OSTREL_ROW(0x38),
    OSTREL_ROW(0x40), OSTREL_ROW(0x48), OSTREL_ROW(0x50), OSTREL_ROW(0x58),
    OSTREL_ROW(0x60), OSTREL_ROW(0x68), OSTREL_ROW(0x70), OSTREL_ROW(0x78),
    OSTREL_ROW(0x80), OSTREL_ROW(0x88), OSTREL_ROW(0x90), OSTREL_ROW(0x98),
    OSTREL_ROW(0xA0), OSTREL_ROW(0xA8), OSTREL_ROW(0xB0), OSTREL_ROW(0xB8),
    OSTREL_ROW(0xC0), OSTREL_ROW(0xC8), OSTREL_ROW(0xD0), OSTREL_ROW(0xD8),
    OSTREL_ROW(0xE0), OSTREL_ROW(0xE8), OSTREL_ROW(0xF0), OSTREL_ROW(0xF8),
#undef OSTREL_ROW
};

const char* const kXMLClearOpenings[kXMLClearTagCount] = {
    "<![CDATA[", "<PRE>", "<Script>", "<!--", "<!DOCTYPE"};
const char* const kXMLClearClosings[kXMLClearTagCount] = {"]]>", "</PRE>", "</Script>", "-->", ">"};
const std::size_t kXMLClearOpeningLengths[kXMLClearTagCount] = {9, 5, 8, 4, 9};
const std::size_t kXMLClearClosingLengths[kXMLClearTagCount] = {3, 6, 9, 3, 1};

bool XMLNamesEqual(const char* a, const char* b) {
  if (!a || !b) return false;
  while (*a && LowerAscii(*a) == LowerAscii(*b)) {
    ++a;
    ++b;
  }
  return *a == *b;
}

bool XMLNamesEqualN(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (a[i] != b[i] && LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

int MatchXMLClearOpening(const char* text) {
  // Cheap looks first: most "<" open an element, and many elements start with "p" or "s".
  int candidates[3];
  int count = 0;
  switch (text[1]) {
    case '!':
      candidates[count++] = 0;
      candidates[count++] = 3;
      candidates[count++] = 4;
      break;
    case 'p': case 'P':
      if ((text[2] | 0x20) != 'r' || (text[3] | 0x20) != 'e' || text[4] != '>') return -1;
      candidates[count++] = 1;
      break;
    case 's': case 'S':
      if (text[2] != 'c' && text[2] != 'C') return -1;
      candidates[count++] = 2;
      break;
    default:
      return -1;
  }
  for (int i = 0; i < count; ++i) {
    const int tag = candidates[i];
    if (XMLNamesEqualN(text, kXMLClearOpenings[tag], kXMLClearOpeningLengths[tag])) return tag;
  }
  return -1;
}

long DecodeXMLEntities(const char* begin, const char* end, char* out, const char** badAt) {
  const std::size_t size = static_cast<std::size_t>(end - begin);
  if (!std::memchr(begin, '&', size)) {
    if (out) std::memcpy(out, begin, size);
    return static_cast<long>(size);
  }
  long written = 0;
  std::string decoded;
  const char* p = begin;
  while (p < end) {
    if (*p == '&') {
      decoded.clear();
      const char* next = DecodeReference(p, end, decoded);
      if (!next) {
        *badAt = p;
        return -1;
      }
      if (out) std::memcpy(out + written, decoded.data(), decoded.size());
      written += static_cast<long>(decoded.size());
      p = next;
      continue;
    }
    // Multi-byte characters are copied whole, so a "&" inside one is not a reference.
    std::size_t length = kXMLCharLength[static_cast<unsigned char>(*p)];
    const std::size_t remaining = static_cast<std::size_t>(end - p);
    if (length == 0) length = 1;
    if (length > remaining) length = remaining;
    if (out) std::memcpy(out + written, p, length);
    written += static_cast<long>(length);
    p += length;
  }
  return written;
}


}  // namespace Ostrel
