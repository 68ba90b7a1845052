// A parsed XML element: a counted handle on an SXMLNodeData record, or the empty node
// (returned whenever something is not found). Names are compared ASCII
// case-insensitively. A record lives while a handle or its parent holds it; the memory of
// all records of one parse goes back together, once no handle on any of them is left.
// Reference counts are plain integers: one tree belongs to one thread at a time, while
// parses on different threads never disturb each other.
#pragma once

#include <cstdint>

#include "xml/SXMLAttribute.h"
#include "xml/SXMLClear.h"
#include "xml/SXMLResults.h"

namespace Ostrel {

struct SXMLNodeData;

class XMLNode {
public:
  XMLNode() noexcept = default;
  // Adds a reference to `data` (null gives the empty node).
  explicit XMLNode(SXMLNodeData* data) noexcept;
  XMLNode(const XMLNode& other) noexcept;
  XMLNode(XMLNode&& other) noexcept;
  XMLNode& operator=(const XMLNode& other) noexcept;
  XMLNode& operator=(XMLNode&& other) noexcept;
  ~XMLNode();

  // Parses a NUL-terminated UTF-8 document. The result is the single element of the
  // document, or the nameless document root when there is anything else beside it. With
  // a tag, the result is the first element of that name found at the top level (looking
  // into declarations, which hold everything written after them). results may be null.
  static XMLNode ParseString(const char* text, const char* tag = nullptr,
                             SXMLResults* results = nullptr);
  // Reads and parses a file in UTF-8 or UTF-16 (either byte order, with or without a
  // byte-order mark); a file of more than maxBytes bytes is not read (eXMLTooLarge).
  static XMLNode ParseFile(const wchar_t* fileName, const char* tag = nullptr,
                           SXMLResults* results = nullptr, std::size_t maxBytes = SIZE_MAX);

  bool IsEmpty() const noexcept { return data_ == nullptr; }
  SXMLNodeData* GetData() const noexcept { return data_; }
  // Null for the document root and the empty node.
  const char* GetName() const noexcept;
  // Where the element's start tag begins: line and column (in characters) from 1; 0 for
  // the document root and the empty node.
  std::int32_t GetLine() const noexcept;
  std::int32_t GetColumn() const noexcept;
  // Whether the element was opened by "<?".
  bool IsDeclaration() const noexcept;
  // Empty for a root or a detached node.
  XMLNode GetParent() const noexcept;

  int GetChildCount() const noexcept;
  int GetAttributeCount() const noexcept;
  int GetTextCount() const noexcept;
  int GetClearCount() const noexcept;
  // Children, attributes, texts and clear sections in document order: index * 4 + kind
  // (see EXMLEntryKind); -1 when out of range.
  int GetEntryCount() const noexcept;
  int GetEntryAt(int i) const noexcept;

  XMLNode GetChildAt(int i) const noexcept;
  // The same without a handle of its own: the parent's slot (an empty node when `i` is
  // out of range), valid while this node's document lives and the child stays attached.
  // For walks that only read.
  const XMLNode& ChildAt(int i) const noexcept;
  // The next child called `name` at or after *cursor (0 when cursor is null); when found,
  // *cursor is set just past it.
  XMLNode GetChild(const char* name, int* cursor = nullptr) const noexcept;
  // The i-th child called `name`, counting from 0.
  XMLNode GetChild(const char* name, int i) const noexcept;
  // Children called `name`; all children when name is null.
  int CountChildren(const char* name) const noexcept;

  // The value of the next attribute called `name` at or after *cursor (0 when null);
  // when found, *cursor is set just past it. Null when not found or written without "=".
  const char* GetAttribute(const char* name, int* cursor = nullptr) const noexcept;
  // Null when out of range.
  const SXMLAttribute* GetAttributeAt(int i) const noexcept;
  const char* GetText(int i = 0) const noexcept;
  const SXMLClear* GetClearAt(int i) const noexcept;

private:
  friend class XMLParser;
  // A handle taking over a reference already counted, or a parent's slot, which is no
  // handle.
  static XMLNode Adopt(SXMLNodeData* data) noexcept;

  SXMLNodeData* data_ = nullptr;
};

}  // namespace Ostrel
