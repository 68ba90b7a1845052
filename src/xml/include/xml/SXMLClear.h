// A section kept verbatim: comment, CDATA, DOCTYPE, <PRE> or <Script> block.
// Part of its element's record: used by the thread that holds the tree.
#pragma once

namespace Ostrel {

struct SXMLClear {
  char* content;        // owned, exactly as written between the two strings
  const char* opening;  // points into the clear-tag table, e.g. "<!--"
  const char* closing;  // points into the clear-tag table, e.g. "-->"
};

}  // namespace Ostrel
