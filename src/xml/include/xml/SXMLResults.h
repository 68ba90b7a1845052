// Outcome of a parse: an EXMLResult code and, for a failure inside the text, where it
// happened (both counted from 1; 0 when the failure has no place in the text).
// A plain value; DescribeXMLResult returns constant texts and may run on any thread.
#pragma once

#include <cstdint>

namespace Ostrel {

struct SXMLResults {
  std::int32_t code;
  std::int32_t line;
  std::int32_t column;
};

// A short English description of a result code; "unknown result code" for anything else.
const char* DescribeXMLResult(std::int32_t code);

}  // namespace Ostrel
