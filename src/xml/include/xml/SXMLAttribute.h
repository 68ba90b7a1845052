// One attribute of an element, as written in its start tag.
// Part of its element's record: used by the thread that holds the tree.
#pragma once

namespace Ostrel {

struct SXMLAttribute {
  char* name;   // owned
  char* value;  // owned; null when the attribute was written without "="
};

}  // namespace Ostrel
