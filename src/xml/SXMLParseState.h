// Where a running parse stands in its text.
// Belongs to the one thread running the parse.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Ostrel {

struct SXMLParseState {
  const char* text;            // the whole document, NUL-terminated
  std::size_t index;           // next byte to read; where the parse stopped on failure
  std::size_t warningIndex;    // where the last code 1 was noted
  std::int32_t code;           // EXMLResult; the last one set wins
  const char* pendingEndTag;   // name of an end tag not yet matched, points into text
  std::size_t pendingLength;
  bool firstCall;              // the outermost level starts outside any tag
};

}  // namespace Ostrel
