// libFuzzer target for the XML parser: parses the input as UTF-8 text and as file
// content (UTF-16 detection and conversion), then walks every tree it gets and checks
// that records, order entries and parent links agree. Built by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "xml/EXMLResult.h"
#include "xml/SXMLNodeData.h"
#include "xml/XMLFileText.h"
#include "xml/XMLNode.h"

using Ostrel::XMLNode;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckEntries(const XMLNode& node) {
  const int counts[4] = {node.GetChildCount(), node.GetAttributeCount(), node.GetTextCount(),
                         node.GetClearCount()};
  int next[4] = {0, 0, 0, 0};
  Check(node.GetEntryCount() == counts[0] + counts[1] + counts[2] + counts[3]);
  for (int i = 0; i < node.GetEntryCount(); ++i) {
    const int entry = node.GetEntryAt(i);
    Check(entry >= 0 && entry / 4 == next[entry & 3]++);
  }
  for (int kind = 0; kind < 4; ++kind) Check(next[kind] == counts[kind]);
}

// Visits the whole tree without recursion, reading everything a caller could read.
void Walk(const XMLNode& root) {
  std::vector<XMLNode> pending{root};
  while (!pending.empty()) {
    XMLNode node = pending.back();
    pending.pop_back();
    CheckEntries(node);
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      const Ostrel::SXMLAttribute* attribute = node.GetAttributeAt(i);
      Check(attribute->name && attribute->name[0] != '\0');
      Check(node.GetAttribute(attribute->name) != nullptr || attribute->value == nullptr ||
            i > 0);
    }
    for (int i = 0; i < node.GetTextCount(); ++i) Check(node.GetText(i) != nullptr);
    for (int i = 0; i < node.GetClearCount(); ++i) Check(node.GetClearAt(i)->content != nullptr);
    for (int i = 0; i < node.GetChildCount(); ++i) {
      XMLNode child = node.GetChildAt(i);
      Check(child.GetName() != nullptr && child.GetParent().GetData() == node.GetData());
      Check(node.CountChildren(child.GetName()) >= 1 && !node.GetChild(child.GetName()).IsEmpty());
      pending.push_back(child);
    }
  }
}

void ParseAndWalk(const char* text, const char* tag) {
  Ostrel::SXMLResults results{-1, -1, -1};
  XMLNode node = XMLNode::ParseString(text, tag, &results);
  Check(results.code >= 0 && Ostrel::DescribeXMLResult(results.code) != nullptr);
  Check(node.IsEmpty() == (results.code >= Ostrel::eXMLEmptyFile));
  Check((results.code == 0) == (results.line == 0) || results.code == Ostrel::eXMLTagNotFound);
  if (node.IsEmpty()) return;
  Check(node.GetParent().IsEmpty());
  Walk(node);
  // A child outlives the tree it came from as a detached root.
  XMLNode last = node.GetChildAt(node.GetChildCount() - 1);
  node = XMLNode();
  if (!last.IsEmpty()) {
    Check(last.GetParent().IsEmpty());
    Walk(last);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseAndWalk(text.c_str(), nullptr);
  ParseAndWalk(text.c_str(), "bean");
  std::string converted;
  if (Ostrel::ConvertXMLFileText(data, size, converted) == Ostrel::eXMLOk) {
    ParseAndWalk(converted.c_str(), nullptr);
  }
  return 0;
}
