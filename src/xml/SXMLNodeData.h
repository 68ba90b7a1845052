// The record behind an XMLNode handle.
//
// Records, their arrays (at exact lengths) and their strings are made in the XMLArena of
// the parse that read them, and their memory goes back with the arena. Each child is
// referenced by a slot of its parent.
// Reference counts are plain integers: a tree belongs to one thread at a time (see
// XMLNode).
#pragma once

#include <cstdint>

#include "xml/SXMLAttribute.h"
#include "xml/SXMLClear.h"

namespace Ostrel {

class XMLNode;

// Kinds stored in the low two bits of an order entry (index * 4 + kind).
enum EXMLEntryKind : std::int32_t {
  eXMLEntryChild = 0,
  eXMLEntryAttribute = 1,
  eXMLEntryText = 2,
  eXMLEntryClear = 3,
};

struct SXMLNodeData {
  char* name;  // null for the document root
  std::int32_t childCount;
  std::int32_t textCount;
  std::int32_t clearCount;
  std::int32_t attributeCount;
  bool isDeclaration;    // opened by "<?"
  // Where the start tag's "<" stands, from 1 (0 for the document root); the column in
  // characters. Placed where the record has room, so it grows by nothing.
  std::int32_t line;
  SXMLNodeData* parent;  // null for the root or a detached node
  XMLNode* children;     // each slot holds one reference to its child
  char** texts;
  SXMLClear* clears;
  SXMLAttribute* attributes;
  std::int32_t* order;   // one entry per child, attribute, text and clear, in document order
  std::int32_t referenceCount;
  std::int32_t column;
};

// Drops the reference of an XMLNode handle. When no handle on any record of the arena is
// left, the arena goes at once. Otherwise the last reference of a record takes it out of
// its parent's children (renumbering the order entries), detaches its children and drops
// their references in turn. Works without recursion, so any depth is fine.
void ReleaseXMLNodeData(SXMLNodeData* node) noexcept;

}  // namespace Ostrel
