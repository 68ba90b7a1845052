// Handles: look-ups with cursors, reference counting and detaching, trees far larger
// and deeper than any configuration, and parses on several threads at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace {

TEST(XMLNodeTest, CursorsWalkRepeatedNames) {
  XMLNode a = XMLNode::ParseString(
      "<a x='1' flag x='3'><b i='0'/><c/><b i='1'/><B i='2'/></a>");
  int cursor = 0;
  EXPECT_STREQ(a.GetAttribute("x", &cursor), "1");
  EXPECT_EQ(cursor, 1);
  EXPECT_EQ(a.GetAttribute("flag", &cursor), nullptr);
  EXPECT_EQ(cursor, 2);  // found, though it has no value
  EXPECT_STREQ(a.GetAttribute("X", &cursor), "3");
  EXPECT_EQ(a.GetAttribute("x", &cursor), nullptr);
  EXPECT_EQ(cursor, 3);

  cursor = 0;
  for (const char* i : {"0", "1", "2"}) EXPECT_STREQ(a.GetChild("b", &cursor).GetAttribute("i"), i);
  EXPECT_TRUE(a.GetChild("b", &cursor).IsEmpty());
  EXPECT_EQ(cursor, 4);
  EXPECT_STREQ(a.GetChild("b").GetAttribute("i"), "0");
  EXPECT_STREQ(a.GetChild("b", 0).GetAttribute("i"), "0");
  EXPECT_STREQ(a.GetChild("b", 2).GetAttribute("i"), "2");
  EXPECT_TRUE(a.GetChild("b", 3).IsEmpty());
  EXPECT_TRUE(a.GetChild("b", -1).IsEmpty());
  EXPECT_EQ(a.CountChildren("b"), 3);
  EXPECT_EQ(a.CountChildren(nullptr), 4);
  EXPECT_TRUE(a.GetChildAt(4).IsEmpty());
  EXPECT_EQ(a.GetText(), nullptr);
}

TEST(XMLNodeTest, EmptyNodeAnswersEverything) {
  const XMLNode empty;
  int cursor = 0;
  EXPECT_TRUE(empty.GetChild("a", &cursor).IsEmpty());
  EXPECT_EQ(empty.GetAttribute("a"), nullptr);
  EXPECT_EQ(empty.GetName(), nullptr);
  EXPECT_EQ(empty.CountChildren(nullptr), 0);
  EXPECT_EQ(empty.GetEntryAt(0), -1);
  EXPECT_EQ(empty.GetClearAt(0), nullptr);
}

TEST(XMLNodeTest, CopiesShareTheRecordAndChildrenOutliveTheirParent) {
  XMLNode root = XMLNode::ParseString("<a><b><c>text</c></b><d/></a>");
  XMLNode b = root.GetChild("b");
  SXMLNodeData* record = b.GetData();
  EXPECT_EQ(record->referenceCount, 2);  // the parent's slot and this handle
  {
    XMLNode copy = b;
    XMLNode other;
    other = copy;
    other = other;
    EXPECT_EQ(record->referenceCount, 4);
    XMLNode moved = std::move(copy);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(record->referenceCount, 4);
  }
  EXPECT_EQ(record->referenceCount, 2);
  EXPECT_STREQ(b.GetParent().GetName(), "a");

  root = XMLNode();
  EXPECT_EQ(record->referenceCount, 1);
  EXPECT_TRUE(b.GetParent().IsEmpty());
  EXPECT_STREQ(b.GetChild("c").GetText(), "text");
  EXPECT_STREQ(b.GetChild("c").GetParent().GetName(), "b");
}

TEST(XMLNodeTest, NestingAHundredThousandDeep) {
  const int depth = 100000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<n>";
  SXMLResults results;
  XMLNode node = XMLNode::ParseString(text.c_str(), nullptr, &results);
  EXPECT_EQ(results.code, eXMLNotClosed);
  for (int i = 0; i < depth; ++i) text += "</n>";
  node = XMLNode::ParseString(text.c_str(), nullptr, &results);
  EXPECT_EQ(results.code, eXMLOk);
  int levels = 0;
  for (XMLNode n = node; !n.IsEmpty(); n = n.GetChildAt(0)) ++levels;
  EXPECT_EQ(levels, depth);
  // A handle deep inside keeps its own subtree when the top is released.
  XMLNode deep = node;
  for (int i = 0; i < depth / 2; ++i) deep = deep.GetChildAt(0);
  node = XMLNode();
  EXPECT_EQ(deep.GetChildAt(0).GetChildCount(), 1);
}

TEST(XMLNodeTest, AHundredThousandChildren) {
  std::string text = "<r>";
  for (int i = 0; i < 100000; ++i) text += "<c i='" + std::to_string(i) + "'/>";
  text += "</r>";
  SXMLResults results;
  XMLNode r = XMLNode::ParseString(text.c_str(), "r", &results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_EQ(r.CountChildren("c"), 100000);
  EXPECT_STREQ(r.GetChildAt(99999).GetAttribute("i"), "99999");
  EXPECT_EQ(r.GetEntryAt(99999), 99999 * 4);
}

TEST(XMLNodeTest, ParsesOnSeveralThreadsDoNotInterfere) {
  std::vector<std::thread> threads;
  std::vector<int> found(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &found] {
      const std::string name = "t" + std::to_string(t);
      const std::string text = "<" + name + ">" + std::string(200, ' ') + "<x/><x/></" + name + ">";
      for (int i = 0; i < 200; ++i) {
        found[t] += XMLNode::ParseString(text.c_str(), name.c_str()).CountChildren("x");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(found, std::vector<int>(4, 400));
}

}  // namespace
}  // namespace Ostrel
