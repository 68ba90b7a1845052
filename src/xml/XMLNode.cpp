#include "xml/XMLNode.h"

#include <string>
#include <utility>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "SXMLParseState.h"
#include "XMLArena.h"
#include "XMLCharacters.h"
#include "XMLFileText.h"
#include "XMLParser.h"

namespace Ostrel {
namespace {

void Report(SXMLResults* results, std::int32_t code, std::int32_t line, std::int32_t column) {
  if (results) *results = SXMLResults{code, line, column};
}

// Line and column (from 1) of `position`, counting characters, not bytes.
void Locate(const char* text, std::size_t position, std::int32_t& line, std::int32_t& column) {
  SXMLPosition scan{text, 1, 1};
  AdvanceXMLPosition(scan, text + position);
  line = scan.line;
  column = scan.column;
}

// The first element called `tag` among node's children; a declaration met first is
// entered, since everything after a declaration is its content.
XMLNode FindTopLevel(XMLNode node, const char* tag) {
  int i = 0;
  while (i < node.GetChildCount()) {
    XMLNode child = node.GetChildAt(i);
    if (XMLNamesEqual(child.GetName(), tag)) return child;
    if (child.IsDeclaration()) {
      node = child;
      i = 0;
    } else {
      ++i;
    }
  }
  return XMLNode();
}

}  // namespace

XMLNode::XMLNode(SXMLNodeData* data) noexcept : data_(data) {
  if (data_) {
    ++data_->referenceCount;
    XMLArena::Of(data_)->AddHandle();
  }
}

XMLNode XMLNode::Adopt(SXMLNodeData* data) noexcept {
  XMLNode node;
  node.data_ = data;
  return node;
}

XMLNode::XMLNode(const XMLNode& other) noexcept : XMLNode(other.data_) {}

XMLNode::XMLNode(XMLNode&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }

XMLNode& XMLNode::operator=(const XMLNode& other) noexcept {
  XMLNode copy(other);
  std::swap(data_, copy.data_);
  return *this;
}

XMLNode& XMLNode::operator=(XMLNode&& other) noexcept {
  if (this != &other) {
    ReleaseXMLNodeData(data_);
    data_ = other.data_;
    other.data_ = nullptr;
  }
  return *this;
}

XMLNode::~XMLNode() { ReleaseXMLNodeData(data_); }

XMLNode XMLNode::ParseString(const char* text, const char* tag, SXMLResults* results) {
  if (!text) {
    Report(results, eXMLNoText, 0, 0);
    return XMLNode();
  }
  SXMLParseState state{text, 0, 0, eXMLOk, nullptr, 0, true};
  XMLNode root = Adopt(XMLParser(state).Parse());  // the parser counted it as a handle
  XMLNode result;
  if (!root.IsEmpty()) {
    const SXMLNodeData* data = root.data_;
    const bool onlyOneChild = data->childCount == 1 && data->attributeCount == 0 &&
                              data->textCount == 0 && data->clearCount == 0;
    result = onlyOneChild ? root.GetChildAt(0) : root;
    root = XMLNode();
    if (tag && *tag && !XMLNamesEqual(result.GetName(), tag)) {
      result = FindTopLevel(result, tag);
      if (result.IsEmpty()) {
        Report(results, eXMLTagNotFound, 0, 0);
        return result;
      }
    }
  }
  if (state.code == eXMLOk) {
    Report(results, eXMLOk, 0, 0);
  } else {
    std::int32_t line = 0;
    std::int32_t column = 0;
    Locate(text, state.code == eXMLNotClosed ? state.warningIndex : state.index, line, column);
    Report(results, state.code, line, column);
  }
  return result;
}

XMLNode XMLNode::ParseFile(const wchar_t* fileName, const char* tag, SXMLResults* results,
                           std::size_t maxBytes) {
  std::string text;
  const std::int32_t code = ReadXMLFile(fileName, text, maxBytes);
  if (code != eXMLOk) {
    Report(results, code, 0, 0);
    return XMLNode();
  }
  return ParseString(text.c_str(), tag, results);
}

const char* XMLNode::GetName() const noexcept { return data_ ? data_->name : nullptr; }

std::int32_t XMLNode::GetLine() const noexcept { return data_ ? data_->line : 0; }

std::int32_t XMLNode::GetColumn() const noexcept { return data_ ? data_->column : 0; }

bool XMLNode::IsDeclaration() const noexcept { return data_ && data_->isDeclaration; }

XMLNode XMLNode::GetParent() const noexcept { return XMLNode(data_ ? data_->parent : nullptr); }

int XMLNode::GetChildCount() const noexcept { return data_ ? data_->childCount : 0; }

int XMLNode::GetAttributeCount() const noexcept { return data_ ? data_->attributeCount : 0; }

int XMLNode::GetTextCount() const noexcept { return data_ ? data_->textCount : 0; }

int XMLNode::GetClearCount() const noexcept { return data_ ? data_->clearCount : 0; }

int XMLNode::GetEntryCount() const noexcept {
  return GetChildCount() + GetAttributeCount() + GetTextCount() + GetClearCount();
}

int XMLNode::GetEntryAt(int i) const noexcept {
  return i >= 0 && i < GetEntryCount() ? data_->order[i] : -1;
}

XMLNode XMLNode::GetChildAt(int i) const noexcept {
  return i >= 0 && i < GetChildCount() ? data_->children[i] : XMLNode();
}

const XMLNode& XMLNode::ChildAt(int i) const noexcept {
  static const XMLNode kEmpty;
  return i >= 0 && i < GetChildCount() ? data_->children[i] : kEmpty;
}

XMLNode XMLNode::GetChild(const char* name, int* cursor) const noexcept {
  for (int i = cursor ? *cursor : 0; i >= 0 && i < GetChildCount(); ++i) {
    if (XMLNamesEqual(data_->children[i].data_->name, name)) {
      if (cursor) *cursor = i + 1;
      return data_->children[i];
    }
  }
  return XMLNode();
}

XMLNode XMLNode::GetChild(const char* name, int i) const noexcept {
  if (i < 0) return XMLNode();
  for (int c = 0; c < GetChildCount(); ++c) {
    if (XMLNamesEqual(data_->children[c].data_->name, name) && i-- == 0) return data_->children[c];
  }
  return XMLNode();
}

int XMLNode::CountChildren(const char* name) const noexcept {
  if (!name) return GetChildCount();
  int count = 0;
  for (int i = 0; i < GetChildCount(); ++i) count += XMLNamesEqual(data_->children[i].data_->name, name);
  return count;
}

const char* XMLNode::GetAttribute(const char* name, int* cursor) const noexcept {
  for (int i = cursor ? *cursor : 0; i >= 0 && i < GetAttributeCount(); ++i) {
    if (XMLNamesEqual(data_->attributes[i].name, name)) {
      if (cursor) *cursor = i + 1;
      return data_->attributes[i].value;
    }
  }
  return nullptr;
}

const SXMLAttribute* XMLNode::GetAttributeAt(int i) const noexcept {
  return i >= 0 && i < GetAttributeCount() ? &data_->attributes[i] : nullptr;
}

const char* XMLNode::GetText(int i) const noexcept {
  return i >= 0 && i < GetTextCount() ? data_->texts[i] : nullptr;
}

const SXMLClear* XMLNode::GetClearAt(int i) const noexcept {
  return i >= 0 && i < GetClearCount() ? &data_->clears[i] : nullptr;
}

}  // namespace Ostrel
