// Turns the text of an SXMLParseState into a tree of SXMLNodeData records.
//
// Open elements are kept on an explicit stack rather than the call stack, so a document
// nested to any depth parses. While an element is open, its children, attributes, texts
// and sections gather in scratch vectors shared by all open elements (only the innermost
// one ever receives entries, so its own are always at their ends); when it closes, its
// arrays are made at their exact lengths. The scratch vectors grow geometrically, which
// keeps the parse linear however many entries an element has. Records, arrays and strings
// come from one XMLArena per parse.
// One parser per parse, used by one thread; parses on different threads share nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SXMLParseState.h"
#include "XMLCharacters.h"
#include "xml/SXMLAttribute.h"
#include "xml/SXMLClear.h"

namespace Ostrel {

class XMLArena;
struct SXMLNodeData;

class XMLParser {
public:
  // Plain start and end tags take a direct path unless directPaths is false, which gives
  // the same result token by token (tests compare the two).
  explicit XMLParser(SXMLParseState& state, bool directPaths = true);
  ~XMLParser();
  XMLParser(const XMLParser&) = delete;
  XMLParser& operator=(const XMLParser&) = delete;

  // Parses the whole text. Returns the nameless document root holding one reference, or
  // null with a code of 2 or more in the state.
  SXMLNodeData* Parse();

private:
  enum ETokenKind {
    eTokenEnd,
    eTokenClear,
    eTokenQuoted,
    eTokenShortEnd,          // "/>"
    eTokenTagStart,          // "<"
    eTokenEndTagStart,       // "</"
    eTokenDeclarationStart,  // "<?"
    eTokenEquals,
    eTokenClose,             // ">"
    eTokenText,
  };
  // Where the innermost open element stands.
  enum EMode {
    eModeTag,          // inside its start tag, expecting an attribute name
    eModeAfterName,    // an attribute name was read
    eModeAfterEquals,  // "name =" was read
    eModeContent,
  };
  struct SToken {
    ETokenKind kind;
    const char* begin;
    const char* end;
    int clear;  // index in the clear-tag table
  };
  // An element whose end has not been reached, and where its entries start in the
  // scratch vectors.
  struct SOpenElement {
    SXMLNodeData* node;
    std::size_t nameLength;
    std::size_t children;
    std::size_t attributes;
    std::size_t texts;
    std::size_t clears;
    std::size_t order;
  };

  SToken NextToken();
  void InTag(const SToken& token);
  void InContent(const SToken& token);
  void AtEnd(const SToken& token);
  void OpenElement(SXMLNodeData* node, std::size_t nameLength);
  void OpenChild(const char* tagBegin, bool isDeclaration);
  void OpenChild(const char* tagBegin, const char* nameBegin, const char* nameEnd,
                 bool isDeclaration);
  void ReadPlainStartTag(const char* p);
  bool ReadPlainEndTag(const char* p);
  void EndTag();
  void CloseByEndTag(const char* nameBegin, const char* nameEnd, const char* after);
  void CloseElement();
  void AddEntry(std::size_t index, std::int32_t kind);
  void StoreAttributeName(bool lastInTag);
  void StoreAttributeValue(const SToken& token);
  void StoreText(bool decode);
  void StoreClear(const SToken& token);
  char* Copy(const char* begin, const char* end, bool decode);
  bool IsLastInTag(const char* p) const;
  void Fail(int code, const char* at);
  void Warn(const char* at);

  SXMLParseState& state_;
  XMLArena* arena_;     // owned until the parse hands the tree over
  const char* cursor_;  // next byte to read; copied to state_.index when the parse ends
  const bool directPaths_;
  EMode mode_ = eModeContent;
  bool stopped_ = false;
  const char* nameBegin_ = nullptr;  // attribute name waiting for its value
  const char* nameEnd_ = nullptr;
  const char* textBegin_ = nullptr;  // content text gathered so far
  const char* textEnd_ = nullptr;
  std::vector<SOpenElement> open_;  // the document root first
  std::vector<SXMLNodeData*> children_;
  std::vector<SXMLAttribute> attributes_;
  std::vector<char*> texts_;
  std::vector<SXMLClear> clears_;
  std::vector<std::int32_t> order_;
  // Line and column of the last start tag: elements open in document order, so one
  // forward scan of the text places them all.
  SXMLPosition position_;
};

}  // namespace Ostrel
