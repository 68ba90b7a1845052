// One attribute of an element, as written in its start tag.
#pragma once

namespace Ostrel {

struct SXMLAttribute {
  char* name;   // owned
  char* value;  // owned; null when the attribute was written without "="
};

}  // namespace Ostrel
