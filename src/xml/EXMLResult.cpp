#include "EXMLResult.h"

namespace Ostrel {

const char* DescribeXMLResult(std::int32_t code) {
  switch (code) {
    case eXMLOk: return "no error";
    case eXMLNotClosed: return "element not closed, or closed by an end tag of another name";
    case eXMLEmptyFile: return "empty file";
    case eXMLMissingName: return "'<' without an element name";
    case eXMLBadEndTag: return "'</' without an element name or without '>'";
    case eXMLUnmatchedEndTag: return "end tag matching no open element";
    case eXMLUnclosedSection: return "section without its closing string";
    case eXMLUnexpectedToken: return "unexpected token inside a start tag";
    case eXMLNoText: return "no text to parse";
    case eXMLCannotOpen: return "file cannot be opened";
    case eXMLTagNotFound: return "requested tag not found";
    case eXMLBadReference: return "bad character reference";
    case eXMLBadUtf16: return "UTF-16 content cannot be converted";
    case eXMLTooLarge: return "file too large";
    default: return "unknown result code";
  }
}

}  // namespace Ostrel
