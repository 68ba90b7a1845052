// Result codes of the XML parser. Codes from eXMLEmptyFile up stop the parse and give
// the empty node; eXMLNotClosed is a warning and the tree is kept.
// Plain constants: safe on any thread.
#pragma once

#include <cstdint>

#include "xml/SXMLResults.h"

namespace Ostrel {

enum EXMLResult : std::int32_t {
  eXMLOk = 0,
  eXMLNotClosed = 1,          // element not closed, or closed by an end tag of another name
  eXMLEmptyFile = 2,
  eXMLMissingName = 4,        // "<" without element name
  eXMLBadEndTag = 5,          // "</" without name or without ">"
  eXMLUnmatchedEndTag = 7,    // end tag matching no open element
  eXMLUnclosedSection = 8,    // clear section without its closing string
  eXMLUnexpectedToken = 9,    // inside a start tag
  eXMLNoText = 11,
  eXMLCannotOpen = 12,
  eXMLTagNotFound = 13,
  eXMLBadReference = 14,      // bad "&" or character reference
  eXMLBadUtf16 = 15,          // odd byte count or unpaired surrogate
  eXMLTooLarge = 16,          // a file above the size the caller allows
};


}  // namespace Ostrel
