#include "XMLParser.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <new>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "XMLArena.h"
#include "XMLCharacters.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace {

// Byte classes for the scanning loops: most bytes are plain and take one step.
enum ECharClass : unsigned char { ePlain, eStop, eLead };

constexpr bool IsLeadByte(unsigned c) { return c >= 0xC2 && c <= 0xF4; }

// A text token stops at NUL, a blank, "<", "=", ">" or "/>".
constexpr std::array<unsigned char, 256> MakeTextClasses() {
  std::array<unsigned char, 256> classes{};
  for (unsigned c = 0; c < 256; ++c) classes[c] = IsLeadByte(c) ? eLead : ePlain;
  for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '<', '=', '>', '/'}) classes[c] = eStop;
  return classes;
}
constexpr std::array<unsigned char, 256> kTextClasses = MakeTextClasses();

constexpr std::array<bool, 256> MakeBlanks() {
  std::array<bool, 256> blanks{};
  for (unsigned char c : {' ', '\t', '\n', '\r'}) blanks[c] = true;
  return blanks;
}
constexpr std::array<bool, 256> kBlanks = MakeBlanks();

// A quoted string runs to its closing quote, unless NUL or "<" comes first.
constexpr std::array<unsigned char, 256> MakeQuoteClasses() {
  std::array<unsigned char, 256> classes{};
  for (unsigned c = 0; c < 256; ++c) classes[c] = IsLeadByte(c) ? eLead : ePlain;
  for (unsigned char c : {'\0', '<', '"', '\''}) classes[c] = eStop;
  return classes;
}
constexpr std::array<unsigned char, 256> kQuoteClasses = MakeQuoteClasses();

// Bytes that start a text token with nothing special about them: not a quote, "/" or
// anything that ends a text.
constexpr std::array<bool, 256> MakePlainStarts() {
  std::array<bool, 256> starts{};
  for (unsigned c = 0; c < 256; ++c) starts[c] = kTextClasses[c] != eStop && c != '"' && c != '\'';
  return starts;
}
constexpr std::array<bool, 256> kPlainStarts = MakePlainStarts();

const char* SkipBlanks(const char* p) {
  while (kBlanks[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

// Strings up to this length are cheaper to copy by hand than through memchr and memcpy.
constexpr std::size_t kShortString = 32;

bool IsPlainStart(char c) { return kPlainStarts[static_cast<unsigned char>(c)]; }

// The end of the text token whose first character starts at p.
const char* ScanText(const char* p) {
  p = StepXMLChar(p);
  for (;;) {
    while (kTextClasses[static_cast<unsigned char>(*p)] == ePlain) ++p;
    if (kTextClasses[static_cast<unsigned char>(*p)] == eLead) {
      p = StepXMLChar(p);
    } else if (*p == '/' && p[1] != '>') {
      ++p;
    } else {
      return p;
    }
  }
}

// The closing quote of the string opened at p, or null when NUL or "<" comes first.
const char* ScanQuoted(const char* p) {
  const char quote = *p++;
  for (;;) {
    while (kQuoteClasses[static_cast<unsigned char>(*p)] == ePlain) ++p;
    if (kQuoteClasses[static_cast<unsigned char>(*p)] == eLead) {
      p = StepXMLChar(p);
    } else if (*p == quote) {
      return p;
    } else if (*p == '\0' || *p == '<') {
      return nullptr;
    } else {
      ++p;  // the other quote
    }
  }
}

// Whether an end tag whose name starts at `text` closes the element called `name`: the
// name must match case-insensitively and be followed by a blank, "/", "<", "=" or ">".
bool EndTagMatches(const char* name, std::size_t length, const char* text) {
  if (!name || !XMLNamesEqualN(name, text, length)) return false;
  const char next = text[length];
  return IsXMLBlank(next) || next == '/' || next == '<' || next == '=' || next == '>';
}

}  // namespace

XMLParser::XMLParser(SXMLParseState& state, bool directPaths)
    : state_(state),
      arena_(XMLArena::Create()),
      cursor_(state.text + state.index),
      directPaths_(directPaths),
      position_{state.text, 1, 1} {}

XMLParser::~XMLParser() {
  if (arena_) XMLArena::Destroy(arena_);
}

SXMLNodeData* XMLParser::Parse() {
  OpenElement(arena_->NewRecord(nullptr, 0, false), 0);
  mode_ = state_.firstCall ? eModeContent : eModeTag;
  state_.firstCall = false;
  while (!stopped_) {
    // Plain start and end tags take a direct path; everything else goes token by token.
    if (mode_ == eModeContent && directPaths_) {
      const char* p = SkipBlanks(cursor_);
      if (p[0] == '<' && (p[1] == '/' || (p[1] != '?' && IsPlainStart(p[1]) &&
                                          MatchXMLClearOpening(p) < 0))) {
        // Text before "<" or "</" has its references decoded, as the tokens would do.
        if (textBegin_) StoreText(true);
        if (stopped_) break;
        if (p[1] != '/') {
          ReadPlainStartTag(p);
          continue;
        }
        if (ReadPlainEndTag(p)) continue;
      }
    }
    const SToken token = NextToken();
    if (token.kind == eTokenEnd) {
      AtEnd(token);
      break;
    }
    if (mode_ == eModeContent) {
      InContent(token);
    } else {
      InTag(token);
    }
  }
  if (stopped_) return nullptr;
  state_.index = static_cast<std::size_t>(cursor_ - state_.text);
  SXMLNodeData* root = open_.back().node;
  CloseElement();
  arena_->AddHandle();  // for the reference handed to the caller
  arena_ = nullptr;     // the handles own it from now on
  return root;
}

XMLParser::SToken XMLParser::NextToken() {
  const char* p = SkipBlanks(cursor_);
  SToken token{eTokenText, p, p + 1, -1};
  switch (*p) {
    case '\0':
      token.kind = eTokenEnd;
      token.end = p;
      break;
    case '<':
      token.clear = MatchXMLClearOpening(p);
      if (token.clear >= 0) {
        token.kind = eTokenClear;
        token.end = p + kXMLClearOpeningLengths[token.clear];
      } else if (p[1] == '/') {
        token.kind = eTokenEndTagStart;
        token.end = p + 2;
      } else if (p[1] == '?') {
        token.kind = eTokenDeclarationStart;
        token.end = p + 2;
      } else {
        token.kind = eTokenTagStart;
      }
      break;
    case '"':
    case '\'':
      if (const char* closing = ScanQuoted(p)) {
        token.kind = eTokenQuoted;
        token.end = closing + 1;
      } else {
        token.end = ScanText(p);  // a quote without its partner starts a text
      }
      break;
    case '/':
      if (p[1] == '>') {
        token.kind = eTokenShortEnd;
        token.end = p + 2;
      } else {
        token.end = ScanText(p);
      }
      break;
    case '=':
      token.kind = eTokenEquals;
      break;
    case '>':
      token.kind = eTokenClose;
      break;
    default:
      token.end = ScanText(p);
      break;
  }
  cursor_ = token.end;
  return token;
}

void XMLParser::InTag(const SToken& token) {
  switch (mode_) {
    case eModeTag:
      if (token.kind == eTokenText) {
        nameBegin_ = token.begin;
        nameEnd_ = token.end;
        mode_ = eModeAfterName;
        return;
      }
      break;
    case eModeAfterName:
      if (token.kind == eTokenText) {
        StoreAttributeName(false);
        nameBegin_ = token.begin;
        nameEnd_ = token.end;
        mode_ = eModeAfterName;
        return;
      }
      if (token.kind == eTokenEquals) {
        mode_ = eModeAfterEquals;
        return;
      }
      if (token.kind == eTokenClose || token.kind == eTokenShortEnd) StoreAttributeName(true);
      break;
    case eModeAfterEquals:
      if (token.kind == eTokenText || token.kind == eTokenQuoted) {
        StoreAttributeValue(token);
        mode_ = eModeTag;
        return;
      }
      Fail(eXMLUnexpectedToken, token.begin);
      return;
    case eModeContent:
      break;
  }
  if (token.kind == eTokenClose) {
    mode_ = eModeContent;
    textBegin_ = nullptr;
  } else if (token.kind == eTokenShortEnd) {
    CloseElement();
  } else {
    Fail(eXMLUnexpectedToken, token.begin);
  }
}

void XMLParser::InContent(const SToken& token) {
  switch (token.kind) {
    case eTokenClear:
      StoreText(false);
      if (!stopped_) StoreClear(token);
      return;
    case eTokenTagStart:
    case eTokenDeclarationStart:
      if (textBegin_) StoreText(true);
      if (!stopped_) OpenChild(token.begin, token.kind == eTokenDeclarationStart);
      return;
    case eTokenEndTagStart:
      if (textBegin_) StoreText(true);
      if (!stopped_) EndTag();
      return;
    default:
      // Text, quoted strings, "=", ">" and "/>" all gather into one text, which ends
      // with the last of them, so trailing blanks are left out.
      if (!textBegin_) textBegin_ = token.begin;
      textEnd_ = token.end;
      return;
  }
}

void XMLParser::AtEnd(const SToken& token) {
  if (mode_ == eModeContent) {
    StoreText(true);
    if (stopped_) return;
  } else if (mode_ != eModeTag) {
    StoreAttributeName(true);
  }
  // Every element still open ends here; only the outermost level and declarations may.
  while (open_.size() > 1) {
    if (!open_.back().node->isDeclaration) Warn(token.begin);
    CloseElement();
  }
}

void XMLParser::OpenElement(SXMLNodeData* node, std::size_t nameLength) {
  open_.emplace_back();
  SOpenElement& element = open_.back();
  element.node = node;
  element.nameLength = nameLength;
  element.children = children_.size();
  element.attributes = attributes_.size();
  element.texts = texts_.size();
  element.clears = clears_.size();
  element.order = order_.size();
}

void XMLParser::OpenChild(const char* tagBegin, bool isDeclaration) {
  const SToken name = NextToken();
  if (name.kind != eTokenText) {
    Fail(eXMLMissingName, name.begin);
    return;
  }
  OpenChild(tagBegin, name.begin, name.end, isDeclaration);
}

void XMLParser::OpenChild(const char* tagBegin, const char* nameBegin, const char* nameEnd,
                          bool isDeclaration) {
  const std::size_t nameLength = static_cast<std::size_t>(nameEnd - nameBegin);
  SXMLNodeData* parent = open_.back().node;
  SXMLNodeData* child = arena_->NewRecord(nameBegin, nameLength, isDeclaration);
  child->parent = parent;
  AdvanceXMLPosition(position_, tagBegin);
  child->line = position_.line;
  child->column = position_.column;
  // The scratch vector holds the child's reference until the parent's slot takes it.
  AddEntry(children_.size() - open_.back().children, eXMLEntryChild);
  children_.push_back(child);
  OpenElement(child, nameLength);
  mode_ = eModeTag;
}

void XMLParser::EndTag() {
  const SToken name = NextToken();
  if (name.kind != eTokenText) {
    Fail(eXMLBadEndTag, name.begin);
    return;
  }
  const SToken close = NextToken();
  if (close.kind != eTokenClose) {
    Fail(eXMLBadEndTag, close.begin);
    return;
  }
  CloseByEndTag(name.begin, name.end, close.end);
}

void XMLParser::CloseByEndTag(const char* nameBegin, const char* nameEnd, const char* after) {
  if (open_.size() == 1) {
    Fail(eXMLUnmatchedEndTag, after);
    return;
  }
  if (!EndTagMatches(open_.back().node->name, open_.back().nameLength, nameBegin)) {
    Warn(after);
    state_.pendingEndTag = nameBegin;
    state_.pendingLength = static_cast<std::size_t>(nameEnd - nameBegin);
  }
  CloseElement();
  // An end tag of another name closes every element up to the one it names.
  while (state_.pendingEndTag) {
    if (open_.size() == 1) {
      Fail(eXMLUnmatchedEndTag, after);
      return;
    }
    if (EndTagMatches(open_.back().node->name, open_.back().nameLength, state_.pendingEndTag)) {
      state_.pendingEndTag = nullptr;
      state_.pendingLength = 0;
    }
    CloseElement();
  }
}

// "<name" (a plain name) then any number of name="value" or name='value', then ">" or
// "/>": the same as the tokens would give. Hands over to the tokens, in the matching mode,
// at the first thing that is not plain.
void XMLParser::ReadPlainStartTag(const char* p) {
  const char* nameEnd = ScanText(p + 1);
  OpenChild(p, p + 1, nameEnd, false);
  const char* q = nameEnd;
  for (;;) {
    q = SkipBlanks(q);
    if (*q == '>') {
      cursor_ = q + 1;
      mode_ = eModeContent;
      textBegin_ = nullptr;
      return;
    }
    if (*q == '/' && q[1] == '>') {
      cursor_ = q + 2;
      CloseElement();
      return;
    }
    cursor_ = q;
    if (!IsPlainStart(*q)) return;
    nameBegin_ = q;
    nameEnd_ = ScanText(q);
    const char* equals = SkipBlanks(nameEnd_);
    cursor_ = nameEnd_;
    mode_ = eModeAfterName;
    if (*equals != '=') return;
    const char* value = SkipBlanks(equals + 1);
    cursor_ = equals + 1;
    mode_ = eModeAfterEquals;
    if (*value != '"' && *value != '\'') return;
    const char* closing = ScanQuoted(value);
    if (!closing) return;
    StoreAttributeValue(SToken{eTokenQuoted, value, closing + 1, -1});
    mode_ = eModeTag;
    if (stopped_) return;
    q = closing + 1;
  }
}

// "</name>" with a plain name; returns false, having read nothing, for anything else.
bool XMLParser::ReadPlainEndTag(const char* p) {
  const char* name = SkipBlanks(p + 2);
  if (!IsPlainStart(*name)) return false;
  // Most end tags repeat the open element's name exactly and close it at once. A name
  // ending in "/" would not end there ("/>" ends the token), so it takes the long way.
  const SOpenElement& top = open_.back();
  const char* expected = top.node->name;
  if (expected && expected[top.nameLength - 1] != '/') {
    std::size_t i = 0;
    while (i < top.nameLength && name[i] == expected[i]) ++i;
    if (i == top.nameLength && name[i] == '>') {
      cursor_ = name + i + 1;
      CloseElement();
      return true;
    }
  }
  const char* nameEnd = ScanText(name);
  const char* close = SkipBlanks(nameEnd);
  if (*close != '>') return false;
  cursor_ = close + 1;
  CloseByEndTag(name, nameEnd, close + 1);
  return true;
}

void XMLParser::CloseElement() {
  const SOpenElement& element = open_.back();
  SXMLNodeData* node = element.node;
  const std::size_t childCount = children_.size() - element.children;
  const std::size_t attributeCount = attributes_.size() - element.attributes;
  const std::size_t textCount = texts_.size() - element.texts;
  const std::size_t clearCount = clears_.size() - element.clears;
  const std::size_t entryCount = order_.size() - element.order;
  if (entryCount) {
    // All arrays in one piece, pointer-aligned ones first.
    char* arrays = static_cast<char*>(arena_->Allocate(
        childCount * sizeof(XMLNode) + attributeCount * sizeof(SXMLAttribute) +
        textCount * sizeof(char*) + clearCount * sizeof(SXMLClear) +
        entryCount * sizeof(std::int32_t)));
    if (childCount) {
      node->children = reinterpret_cast<XMLNode*>(arrays);
      arrays += childCount * sizeof(XMLNode);
      SXMLNodeData* const* children = children_.data() + element.children;
      for (std::size_t i = 0; i < childCount; ++i) {
        // The slot takes over the reference the scratch vector held.
        new (&node->children[i]) XMLNode(XMLNode::Adopt(children[i]));
      }
      children_.resize(element.children);
    }
    if (attributeCount) {
      node->attributes = reinterpret_cast<SXMLAttribute*>(arrays);
      arrays += attributeCount * sizeof(SXMLAttribute);
      std::copy(attributes_.begin() + static_cast<std::ptrdiff_t>(element.attributes),
                attributes_.end(), node->attributes);
      attributes_.resize(element.attributes);
    }
    if (textCount) {
      node->texts = reinterpret_cast<char**>(arrays);
      arrays += textCount * sizeof(char*);
      std::copy(texts_.begin() + static_cast<std::ptrdiff_t>(element.texts), texts_.end(),
                node->texts);
      texts_.resize(element.texts);
    }
    if (clearCount) {
      node->clears = reinterpret_cast<SXMLClear*>(arrays);
      arrays += clearCount * sizeof(SXMLClear);
      std::copy(clears_.begin() + static_cast<std::ptrdiff_t>(element.clears), clears_.end(),
                node->clears);
      clears_.resize(element.clears);
    }
    node->order = reinterpret_cast<std::int32_t*>(arrays);
    std::copy(order_.begin() + static_cast<std::ptrdiff_t>(element.order), order_.end(), node->order);
    order_.resize(element.order);
  }
  node->childCount = static_cast<std::int32_t>(childCount);
  node->attributeCount = static_cast<std::int32_t>(attributeCount);
  node->textCount = static_cast<std::int32_t>(textCount);
  node->clearCount = static_cast<std::int32_t>(clearCount);
  open_.pop_back();
  mode_ = eModeContent;
  textBegin_ = nullptr;
}

void XMLParser::AddEntry(std::size_t index, std::int32_t kind) {
  order_.push_back(static_cast<std::int32_t>(index) * 4 + kind);
}

void XMLParser::StoreAttributeName(bool lastInTag) {
  const char* end = nameEnd_;
  // In a declaration the "?" of "?>" sticks to the last name.
  if (lastInTag && open_.back().node->isDeclaration && end[-1] == '?') --end;
  mode_ = eModeTag;
  if (end == nameBegin_) return;
  AddEntry(attributes_.size() - open_.back().attributes, eXMLEntryAttribute);
  attributes_.push_back(SXMLAttribute{Copy(nameBegin_, end, false), nullptr});
}

void XMLParser::StoreAttributeValue(const SToken& token) {
  const char* begin = token.begin;
  const char* end = token.end;
  if (token.kind == eTokenQuoted) {
    ++begin;
    --end;
  } else if (open_.back().node->isDeclaration && end[-1] == '?' && IsLastInTag(end)) {
    --end;  // the "?" of "?>"; a quoted value is kept whole
  }
  char* value = Copy(begin, end, true);
  if (!value) return;
  AddEntry(attributes_.size() - open_.back().attributes, eXMLEntryAttribute);
  attributes_.push_back(SXMLAttribute{Copy(nameBegin_, nameEnd_, false), value});
}

void XMLParser::StoreText(bool decode) {
  if (!textBegin_) return;
  char* text = Copy(textBegin_, textEnd_, decode);
  textBegin_ = nullptr;
  if (!text) return;
  AddEntry(texts_.size() - open_.back().texts, eXMLEntryText);
  texts_.push_back(text);
}

void XMLParser::StoreClear(const SToken& token) {
  const char* content = token.end;
  const char* closing = std::strstr(content, kXMLClearClosings[token.clear]);
  if (!closing) {
    Fail(eXMLUnclosedSection, token.begin);
    return;
  }
  AddEntry(clears_.size() - open_.back().clears, eXMLEntryClear);
  clears_.push_back(SXMLClear{Copy(content, closing, false), kXMLClearOpenings[token.clear],
                              kXMLClearClosings[token.clear]});
  cursor_ = closing + kXMLClearClosingLengths[token.clear];
}

// A NUL-terminated copy in the arena, with references decoded when asked; null after a
// bad reference.
char* XMLParser::Copy(const char* begin, const char* end, bool decode) {
  const std::size_t length = static_cast<std::size_t>(end - begin);
  char* copy = arena_->AllocateString(length);
  if (length <= kShortString) {
    // Short strings are copied byte by byte until a reference turns up, if one does.
    std::size_t i = 0;
    while (i < length && (begin[i] != '&' || !decode)) {
      copy[i] = begin[i];
      ++i;
    }
    if (i == length) {
      copy[length] = '\0';
      return copy;
    }
  }
  if (!decode) {
    std::memcpy(copy, begin, length);
    copy[length] = '\0';
    return copy;
  }
  const char* badAt = nullptr;
  const long decoded = DecodeXMLEntities(begin, end, copy, &badAt);
  if (decoded < 0) {
    Fail(eXMLBadReference, badAt);
    return nullptr;
  }
  arena_->ShrinkLastString(copy, static_cast<std::size_t>(decoded));
  return copy;
}

bool XMLParser::IsLastInTag(const char* p) const {
  p = SkipBlanks(p);
  return *p == '>' || (*p == '/' && p[1] == '>');
}

void XMLParser::Fail(int code, const char* at) {
  state_.code = code;
  state_.index = static_cast<std::size_t>(at - state_.text);
  stopped_ = true;
}

void XMLParser::Warn(const char* at) {
  state_.code = eXMLNotClosed;
  state_.warningIndex = static_cast<std::size_t>(at - state_.text);
}

}  // namespace Ostrel
