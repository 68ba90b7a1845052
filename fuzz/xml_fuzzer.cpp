// libFuzzer target for the XML parser: parses the input as UTF-8 text and as file
// content (UTF-16 detection and conversion), then walks every tree it gets and checks
// that records, order entries and parent links agree. The parser's direct paths for plain
// tags are compared with the token-by-token parse of the same text. Built by
// scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "XMLFileText.h"
#include "xml/XMLNode.h"
#include "XMLParser.h"

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

bool SameString(const char* a, const char* b) {
  return a == b || (a && b && std::strcmp(a, b) == 0);
}

// Whether two trees hold the same names, entries and strings.
bool SameTree(const Ostrel::SXMLNodeData* a, const Ostrel::SXMLNodeData* b) {
  std::vector<std::pair<const Ostrel::SXMLNodeData*, const Ostrel::SXMLNodeData*>> pending{{a, b}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (!SameString(x->name, y->name) || x->isDeclaration != y->isDeclaration ||
        x->childCount != y->childCount || x->attributeCount != y->attributeCount ||
        x->textCount != y->textCount || x->clearCount != y->clearCount) {
      return false;
    }
    const int entries = x->childCount + x->attributeCount + x->textCount + x->clearCount;
    for (int i = 0; i < entries; ++i) {
      if (x->order[i] != y->order[i]) return false;
    }
    for (int i = 0; i < x->attributeCount; ++i) {
      if (!SameString(x->attributes[i].name, y->attributes[i].name) ||
          !SameString(x->attributes[i].value, y->attributes[i].value)) {
        return false;
      }
    }
    for (int i = 0; i < x->textCount; ++i) {
      if (!SameString(x->texts[i], y->texts[i])) return false;
    }
    for (int i = 0; i < x->clearCount; ++i) {
      if (!SameString(x->clears[i].content, y->clears[i].content) ||
          x->clears[i].opening != y->clears[i].opening) {
        return false;
      }
    }
    for (int i = 0; i < x->childCount; ++i) {
      pending.emplace_back(x->children[i].GetData(), y->children[i].GetData());
    }
  }
  return true;
}

// The direct paths must give exactly what the tokens give.
void CompareDirectPaths(const char* text) {
  Ostrel::SXMLParseState direct{text, 0, 0, 0, nullptr, 0, true};
  Ostrel::SXMLParseState tokens = direct;
  Ostrel::SXMLNodeData* a = Ostrel::XMLParser(direct, true).Parse();
  Ostrel::SXMLNodeData* b = Ostrel::XMLParser(tokens, false).Parse();
  Check(direct.code == tokens.code && (a == nullptr) == (b == nullptr));
  if (direct.code == Ostrel::eXMLNotClosed) Check(direct.warningIndex == tokens.warningIndex);
  if (direct.code >= Ostrel::eXMLEmptyFile) Check(direct.index == tokens.index);
  if (a) Check(SameTree(a, b));
  Ostrel::ReleaseXMLNodeData(a);
  Ostrel::ReleaseXMLNodeData(b);
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
  CompareDirectPaths(text.c_str());
  ParseAndWalk(text.c_str(), nullptr);
  ParseAndWalk(text.c_str(), "bean");
  std::string converted;
  if (Ostrel::ConvertXMLFileText(data, size, converted) == Ostrel::eXMLOk) {
    ParseAndWalk(converted.c_str(), nullptr);
  }
  return 0;
}
