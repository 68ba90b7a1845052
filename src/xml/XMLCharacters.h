// Character-level rules shared by the XML parser: stepping through UTF-8, blanks,
// ASCII case-insensitive names, the clear-tag table and entity decoding.
// The tables are constant and the functions keep no state: safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Ostrel {

// Bytes taken by the character that starts with `lead`: 0 for NUL, 2 to 4 for UTF-8
// lead bytes, 1 for anything else.
extern const unsigned char kXMLCharLength[256];

// The next character; never carries the scan past the terminating NUL.
inline const char* StepXMLChar(const char* p) {
  const unsigned length = kXMLCharLength[static_cast<unsigned char>(*p)];
  for (unsigned i = 1; i < length; ++i) {
    if (p[i] == '\0') return p + i;
  }
  return p + length;
}

// Where a forward scan of a text stands: `at` is on line `line`, column `column` (both
// from 1, columns counted in characters, not bytes).
struct SXMLPosition {
  const char* at;
  std::int32_t line;
  std::int32_t column;
};
// Moves `position` forward to `target`, which lies in the same text. Inline: the
// parser places every element with it.
inline void AdvanceXMLPosition(SXMLPosition& position, const char* target) {
  // One pass backwards from the target to the last line break (start tags usually stand
  // a few blanks after one), counting UTF-8 continuation bytes, which start no character.
  const char* p = position.at;
  const char* lineStart = target;
  std::int32_t continuations = 0;
  while (lineStart > p && lineStart[-1] != '\n') {
    --lineStart;
    continuations += (static_cast<unsigned char>(*lineStart) & 0xC0) == 0x80 ? 1 : 0;
  }
  std::int32_t column = position.column;
  if (lineStart > p) {
    column = 1;
    ++position.line;
    // Any earlier breaks in between, found by a fast search.
    const char* end = lineStart - 1;
    while (const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
      p = static_cast<const char*>(newline) + 1;
      ++position.line;
    }
  }
  position.column = column + static_cast<std::int32_t>(target - lineStart) - continuations;
  position.at = target;
}

inline bool IsXMLBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// ASCII case-insensitive equality; a null name equals nothing.
bool XMLNamesEqual(const char* a, const char* b);
// The same over the first `length` bytes (stops early at a difference, so at a NUL).
bool XMLNamesEqualN(const char* a, const char* b, std::size_t length);

// Sections kept verbatim. Openings match case-insensitively, closings exactly.
constexpr int kXMLClearTagCount = 5;
extern const char* const kXMLClearOpenings[kXMLClearTagCount];
extern const char* const kXMLClearClosings[kXMLClearTagCount];
extern const std::size_t kXMLClearOpeningLengths[kXMLClearTagCount];
extern const std::size_t kXMLClearClosingLengths[kXMLClearTagCount];

// Index of the clear tag that `text` (starting with "<") opens with, in table order, or -1.
int MatchXMLClearOpening(const char* text);

// Decodes [begin, end) into out (room for end - begin bytes is enough; null only
// measures): the five named entities, "&#<decimal>;" and "&#x<hex>;" (the UTF-8 bytes of
// the code point). Returns the decoded length, or -1 with *badAt at the "&" of a bad
// reference.
long DecodeXMLEntities(const char* begin, const char* end, char* out, const char** badAt);

}  // namespace Ostrel
