#include "SXMLNodeData.h"

#include <cstring>

#include "XMLArena.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace {

void RemoveFromParent(SXMLNodeData* node) {
  SXMLNodeData* parent = node->parent;
  node->parent = nullptr;
  std::int32_t index = 0;
  while (index < parent->childCount && parent->children[index].GetData() != node) ++index;
  if (index == parent->childCount) return;
  std::memmove(static_cast<void*>(parent->children + index),
               static_cast<void*>(parent->children + index + 1),
               static_cast<std::size_t>(parent->childCount - index - 1) * sizeof(XMLNode));
  const std::int32_t entries =
      parent->childCount + parent->attributeCount + parent->textCount + parent->clearCount;
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < entries; ++i) {
    std::int32_t entry = parent->order[i];
    if ((entry & 3) == eXMLEntryChild) {
      if (entry / 4 == index) continue;
      if (entry / 4 > index) entry -= 4;
    }
    parent->order[kept++] = entry;
  }
  --parent->childCount;
}

}  // namespace

void ReleaseXMLNodeData(SXMLNodeData* node) noexcept {
  if (!node) return;
  XMLArena* arena = XMLArena::Of(node);
  if (arena->DropHandle()) {
    XMLArena::Destroy(arena);  // nothing can reach any of its records any more
    return;
  }
  if (--node->referenceCount > 0) return;
  if (node->parent) RemoveFromParent(node);
  // Records to free are chained through their parent field, which needs no allocation
  // and no recursion however deep the tree is.
  SXMLNodeData* pending = node;
  while (pending) {
    SXMLNodeData* current = pending;
    pending = current->parent;
    for (std::int32_t i = 0; i < current->childCount; ++i) {
      SXMLNodeData* child = current->children[i].GetData();
      if (--child->referenceCount == 0) {
        child->parent = pending;
        pending = child;
      } else {
        child->parent = nullptr;  // still held elsewhere: it lives on as a detached root
      }
    }
    // Its memory stays with the arena until the arena's last handle is gone.
  }
}

}  // namespace Ostrel
