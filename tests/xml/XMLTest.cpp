// How text becomes a tree (names, attributes, texts, sections, references, end tags) by
// the direct paths and by the tokens; the result code with its line and column for every
// kind of fault; handles on huge trees; files in UTF-16 and with byte order marks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "XMLParser.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace {

// The tree as text: "(name" ("?" for a declaration), then its entries in document order
// (" @name=value", " 'text'", " [section]", child trees), then ")".
std::string Dump(const SXMLNodeData* n) {
  std::string out = std::string("(") + (n->name ? n->name : "") + (n->isDeclaration ? "?" : "");
  for (int i = 0; i < n->childCount + n->attributeCount + n->textCount + n->clearCount; ++i) {
    const int k = n->order[i] / 4, kind = n->order[i] & 3;
    if (kind == eXMLEntryChild) out += Dump(n->children[k].GetData());
    if (kind == eXMLEntryAttribute) out += std::string(" @") + n->attributes[k].name;
    if (kind == eXMLEntryAttribute && n->attributes[k].value)
      out += "=" + std::string(n->attributes[k].value);
    if (kind == eXMLEntryText) out += " '" + std::string(n->texts[k]) + "'";
    if (kind == eXMLEntryClear) out += " [" + std::string(n->clears[k].content) + "]";
  }
  return out + ")";
}

// "line:column " of every element's start tag, in document order.
std::string Starts(const SXMLNodeData* n) {
  std::string out = n->name ? std::to_string(n->line) + ":" + std::to_string(n->column) + " " : "";
  for (int i = 0; i < n->childCount; ++i) out += Starts(n->children[i].GetData());
  return out;
}

// Each document is parsed by the direct paths for plain tags and by tokens alone; both must
// give the code, place and tree (which is "" when the parse failed). The place of a fault is
// given as line and column, 0 0 without one.
TEST(XMLParserTest, BothPathsGiveTheTreeOrTheFaultsCodeAndPlace) {
  const std::tuple<const char*, std::int32_t, std::int32_t, std::int32_t, const char*> cases[] = {
      {"<beans><BEAN id='1'></bean></beans>", eXMLOk, 0, 0, "((beans(BEAN @id=1)))"},
      {"<a v=\"&#65;&#x41;&#x151;&#8230;&#x1F600;&AMP;&lt;\" w=&gt;x>&quot;x&apos; &#10;</a>",
       eXMLOk, 0, 0, "((a @v=AA\xC5\x91\xE2\x80\xA6\xF0\x9F\x98\x80&< @w=>x '\"x' \n'))"},
      {"<a flag x=1 e=\"\" last/>", eXMLOk, 0, 0, "((a @flag @x=1 @e= @last))"},
      {"<r><a x='1' y = \"2\"z=\"3\" w=4 v>t</a><b/ ><c></C ></r>", eXMLNotClosed, 1, 54,
       "((r(a @x=1 @y=2 @z=3 @w=4 @v 't')(b/(c))))"},  // "<b/ >" opens "b/"
      {"<r><a x='1' 'q'/></r>", eXMLUnexpectedToken, 1, 13, ""},
      {"<a x=>", eXMLUnexpectedToken, 1, 6, ""},
      {"<a x <!-- -->>", eXMLUnexpectedToken, 1, 6, ""},
      // Text before a section is kept undecoded; a quote without a partner is text.
      {"<a>x &amp; y <![CDATA[ <raw> &amp; ]]>z &amp;  </a>", eXMLOk, 0, 0,
       "((a 'x &amp; y' [ <raw> &amp; ] 'z &'))"},
      {"<a>  it's \"q <b/>\"</a>", eXMLOk, 0, 0, "((a 'it's \"q'(b) '\"'))"},
      {"<a> one \"two\" = > /> 'x'\t</a>", eXMLOk, 0, 0, "((a 'one \"two\" = > /> 'x''))"},
      {"<a><PRE><b></PRE><Script>s</Script></a>", eXMLOk, 0, 0, "((a [<b>] [s]))"},
      {"<r>t &amp; u<b q='&lt;'/>v<!-- c --></r>", eXMLOk, 0, 0, "((r 't & u'(b @q=<) 'v' [ c ]))"},
      {"<!-- c --><config><x/></config>", eXMLOk, 0, 0, "( [ c ](config(x)))"},
      {"<a>\n<!-- x", eXMLUnclosedSection, 2, 1, ""},
      {"<pre>x</pre>", eXMLUnclosedSection, 1, 1, ""},
      // A declaration holds everything after it, and may run to the end.
      {"<?xml version=\"1.0\" standalone?>\n<config/>", eXMLOk, 0, 0,
       "((xml? @version=1.0 @standalone(config)))"},
      {"<?xml a=1", eXMLOk, 0, 0, "((xml? @a=1))"},
      {"<r><?d a=1?><e/></r>", eXMLNotClosed, 1, 21, "((r(d? @a=1(e))))"},
      // A lead byte takes its continuation bytes along, even a "<", but not past the end.
      {"<a>\xE2<b/> \xF5</a>", eXMLOk, 0, 0, "((a '\xE2<b/> \xF5'))"},
      {"<a>\xF0", eXMLNotClosed, 1, 5, "((a '\xF0'))"},
      {"<a>\n\xC3\xA9\xE2\x82\xAC <>", eXMLMissingName, 2, 5, ""},  // columns count characters
      // An end tag of another name closes every element up to the one it names.
      {"<r> \r\n\t <a><b><c></a>\n<d/></r>", eXMLNotClosed, 2, 16, "((r(a(b(c)))(d)))"},
      {"<a><ab></a>", eXMLNotClosed, 1, 12, "((a(ab)))"},
      // An end tag shorter than the open element's name.
      {"<a><bcdefgh></a>", eXMLNotClosed, 1, 17, "((a(bcdefgh)))"},
      {"<r><a></b></r>", eXMLUnmatchedEndTag, 1, 11, ""},
      {"<a/>\n</b>", eXMLUnmatchedEndTag, 2, 5, ""},
      {"<a/b></a/b>", eXMLOk, 0, 0, "((a/b))"},
      // "/>" ends the end tag's name early; the end tag's name opens a quote.
      {"<r><a/ >x</a/></r>", eXMLBadEndTag, 1, 13, ""},
      {"<r><\"x>abc</\"x>\" <y/></r>", eXMLBadEndTag, 1, 13, ""},
      {"<a></>", eXMLBadEndTag, 1, 6, ""},
      {"<a></a", eXMLBadEndTag, 1, 7, ""},
      // The end tag's name must end where the open element's name ends.
      {"<r><a></ab></r>", eXMLUnmatchedEndTag, 1, 12, ""},
      {"<r><a></a x></r>", eXMLBadEndTag, 1, 11, ""},
      {"<r><a></a/></r>", eXMLBadEndTag, 1, 10, ""},
      {"<a>\n x &bad; </a>", eXMLBadReference, 2, 4, ""},
      {"<a v='&#12'/>", eXMLBadReference, 1, 7, ""},
      {"<a v='&#x1g;'/>", eXMLBadReference, 1, 7, ""},
      {"<a v='&#;'/>", eXMLBadReference, 1, 7, ""},
      {"<a v='&#0;'/>", eXMLBadReference, 1, 7, ""},
      {"<a v='&#xD800;'/>", eXMLBadReference, 1, 7, ""},
      {"<a v='&#x110000;'/>", eXMLBadReference, 1, 7, ""},
  };
  for (const auto& [text, code, line, column, tree] : cases) {
    std::int32_t places[2];
    std::string starts[2];
    for (bool direct : {false, true}) {
      SXMLParseState state{text, 0, 0, 0, nullptr, 0, true};
      SXMLNodeData* root = XMLParser(state, direct).Parse();
      EXPECT_EQ(state.code, code) << text;
      EXPECT_EQ(root ? Dump(root) : "", tree) << text;
      starts[direct] = root ? Starts(root) : "";
      ReleaseXMLNodeData(root);
      places[direct] = code == eXMLNotClosed ? state.warningIndex : state.index;
    }
    EXPECT_EQ(places[0], places[1]) << text;
    EXPECT_EQ(starts[0], starts[1]) << text;
    SXMLResults results{-1, -1, -1};
    XMLNode::ParseString(text, nullptr, &results);
    EXPECT_EQ(std::make_tuple(results.line, results.column), std::make_tuple(line, column)) << text;
  }
  // Elements start at their "<", columns counting characters.
  EXPECT_EQ(
      Starts(XMLNode::ParseString("<?xml?>\n<r>\n  <\xC3\xA9 a='x'><b/>\r\n\t<c/></\xC3\xA9></r>")
                 .GetData()),
      "1:1 2:1 3:3 3:12 4:2 ");
  // A tag names an element at the top, in any case, found past comments and into declarations.
  EXPECT_STREQ(XMLNode::ParseString("<!-- x --><?a?><?b?><c/>", "C").GetName(), "c");
  SXMLResults results;
  EXPECT_TRUE(XMLNode::ParseString("<a/>", "b", &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLTagNotFound);
  EXPECT_TRUE(XMLNode::ParseString(nullptr, nullptr, &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLNoText);
}

TEST(XMLNodeTest, HundredThousandDeepAndWideWithCursorWalks) {
  const int count = 100000;
  std::string text;
  for (int i = 0; i < count; ++i) text += "<n>";
  for (int i = 0; i < count; ++i) text += "</n>";
  // A handle halfway down keeps its own subtree, all levels of it, when the top is released.
  XMLNode deep = XMLNode::ParseString(text.c_str());
  for (int i = 0; i < count / 2; ++i) deep = deep.GetChildAt(0);
  int levels = count / 2;
  for (XMLNode n = deep; !n.IsEmpty(); n = n.GetChildAt(0)) ++levels;
  EXPECT_EQ(levels, count);
  const std::string big(3 << 20, 'x');  // larger than any arena chunk
  text = "<r v='" + big + "'>" + big;
  for (int i = 0; i < count; ++i)
    text += (i % 2 ? "<c i='" : "<d/><C i='") + std::to_string(i) + "'/>";
  XMLNode r = XMLNode::ParseString((text + "</r>").c_str());
  EXPECT_EQ(std::string(r.GetText()) + r.GetAttribute("v"), big + big);
  // A cursor walks the children of one name, in any case, past those of other names.
  int cursor = 0;
  for (int i = 0; i < count; ++i)
    ASSERT_STREQ(r.GetChild("c", &cursor).GetAttribute("i"), std::to_string(i).c_str());
  EXPECT_TRUE(r.GetChild("c", &cursor).IsEmpty());
  EXPECT_EQ(cursor, count * 3 / 2);
}

// Files hold UTF-8, with or without its mark, or UTF-16 in either byte order, with or
// without a mark.
TEST(XMLFileTest, EncodingsAndTheirFaults) {
  std::string le, be;
  for (char16_t unit : std::u16string(u"<c v='caf\u00E9'>\n\U0001F600 &amp;</c>")) {
    le += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    be += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const std::string utf8 = "<c v='caf\xC3\xA9'>\n\xF0\x9F\x98\x80 &amp;</c>";
  const std::string tree = "(c @v=caf\xC3\xA9 '\xF0\x9F\x98\x80 &')";
  // The faults: an odd byte count, a lone low surrogate, a high one without a low one, an odd
  // count in UTF-16 known by its zeros.
  const std::pair<std::string, std::int32_t> cases[] = {
      {utf8, eXMLOk},
      {"\xEF\xBB\xBF" + utf8, eXMLOk},
      {le, eXMLOk},
      {be, eXMLOk},
      {"\xFF\xFE" + le, eXMLOk},
      {"\xFE\xFF" + be, eXMLOk},
      {"\xFF\xFE", eXMLOk},
      {"", eXMLEmptyFile},
      {"\xFF\xFE<\0a", eXMLBadUtf16},
      {"\xFF\xFE<\0\x00\xDC>\0", eXMLBadUtf16},
      {std::string("\xFE\xFF\0<\xD8\x00\0>", 8), eXMLBadUtf16},
      {std::string("<\0a\0/\0>\0<", 9), eXMLBadUtf16}};
  const std::string path = ::testing::TempDir() + "ostrel_xml_file_test-" +
                           std::to_string(std::random_device()()) + ".xml";
  const std::wstring widePath(path.begin(), path.end());
  for (const auto& [bytes, code] : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    SXMLResults results{-1, -1, -1};
    XMLNode c = XMLNode::ParseFile(widePath.c_str(), nullptr, &results);
    EXPECT_EQ(results.code, code) << bytes;
    EXPECT_EQ(c.IsEmpty() ? "" : Dump(c.GetData()), code ? "" : bytes.size() > 2 ? tree : "()");
  }
  std::remove(path.c_str());
  SXMLResults results;
  EXPECT_TRUE(XMLNode::ParseFile(L"/nonexistent/ostrel/none.xml", nullptr, &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLCannotOpen);
}

}  // namespace
}  // namespace Ostrel
