// How text becomes a tree (names, attributes, texts, sections, references, end tags) by
// the direct paths and by the tokens; the result code with its line and column for every
// kind of fault; handles on huge trees; files in UTF-16 and with byte order marks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
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
    if (kind == eXMLEntryChild) {
      out += Dump(n->children[k].GetData());
    } else if (kind == eXMLEntryAttribute) {
      const char* value = n->attributes[k].value;
      out += std::string(" @") + n->attributes[k].name + (value ? "=" + std::string(value) : "");
    } else {
      out += kind == eXMLEntryText ? " '" + std::string(n->texts[k]) + "'"
                                   : " [" + std::string(n->clears[k].content) + "]";
    }
  }
  return out + ")";
}

// Each document is parsed with the direct paths for plain tags and by tokens alone; both
// must give the same code, place and tree. The tree is "" when the parse failed.
TEST(XMLParserTest, DirectPathsAndTokensGiveTheExpectedTree) {
  const std::tuple<const char*, std::int32_t, const char*> cases[] = {
      {"<beans><BEAN id='1'></bean></beans>", eXMLOk, "((beans(BEAN @id=1)))"},
      {"<a v=\"&#65;&#x41;&#x151;&#8230;&#x1F600;&AMP;&lt;\" w=&gt;x>&quot;x&apos; &#10;</a>",
       eXMLOk, "((a @v=AA\xC5\x91\xE2\x80\xA6\xF0\x9F\x98\x80&< @w=>x '\"x' \n'))"},
      {"<a flag x=1 e=\"\" last/>", eXMLOk, "((a @flag @x=1 @e= @last))"},
      {"<r><a x='1' y = \"2\"z=\"3\" w=4 v>t</a><b/ ><c></C ></r>", eXMLNotClosed,
       "((r(a @x=1 @y=2 @z=3 @w=4 @v 't')(b/(c))))"},  // "<b/ >" opens "b/"
      {"<r><a x='1' 'q'/></r>", eXMLUnexpectedToken, ""},
      // Text before a section is kept undecoded; a quote without a partner is text.
      {"<a>x &amp; y <![CDATA[ <raw> &amp; ]]>z &amp;  </a>", eXMLOk,
       "((a 'x &amp; y' [ <raw> &amp; ] 'z &'))"},
      {"<a>  it's \"q <b/>\"</a>", eXMLOk, "((a 'it's \"q'(b) '\"'))"},
      {"<a> one \"two\" = > /> 'x'\t</a>", eXMLOk, "((a 'one \"two\" = > /> 'x''))"},
      {"<a><PRE><b></PRE><Script>s</Script></a>", eXMLOk, "((a [<b>] [s]))"},
      {"<r>t &amp; u<b q='&lt;'/>v<!-- c --></r>", eXMLOk, "((r 't & u'(b @q=<) 'v' [ c ]))"},
      {"<a> \r\n\t <b/>\n</a>", eXMLOk, "((a(b)))"},
      {"<!-- c --><config><x/></config>", eXMLOk, "( [ c ](config(x)))"},
      // A declaration holds everything after it, and may run to the end.
      {"<?xml version=\"1.0\" standalone?>\n<config/>", eXMLOk,
       "((xml? @version=1.0 @standalone(config)))"},
      {"<?xml a=1", eXMLOk, "((xml? @a=1))"},
      {"<r><?d a=1?><e/></r>", eXMLNotClosed, "((r(d? @a=1(e))))"},
      // A lead byte takes its continuation bytes along, even a "<", but not past the end.
      {"<a>\xE2<b/> \xF5</a>", eXMLOk, "((a '\xE2<b/> \xF5'))"},
      {"<a>\xF0", eXMLNotClosed, "((a '\xF0'))"},
      // An end tag of another name closes every element up to the one it names.
      {"<r><a><b><c></a><d/></r>", eXMLNotClosed, "((r(a(b(c)))(d)))"},
      {"<a><ab></a>", eXMLNotClosed, "((a(ab)))"},
      {"<r><a></b></r>", eXMLUnmatchedEndTag, ""},
      {"<a/b></a/b>", eXMLOk, "((a/b))"},
      {"<r><a/ >x</a/></r>", eXMLBadEndTag, ""},            // "/>" ends the end tag's name early
      {"<r><\"x>abc</\"x>\" <y/></r>", eXMLBadEndTag, ""},  // the end tag's name opens a quote
      // The end tag's name must end where the open element's name ends.
      {"<r><a></ab></r>", eXMLUnmatchedEndTag, ""},
      {"<r><a></a x></r>", eXMLBadEndTag, ""},
      {"<r><a></a/></r>", eXMLBadEndTag, ""},
      {"<r><a x='&bad;'/></r>", eXMLBadReference, ""},
  };
  for (const auto& [text, code, tree] : cases) {
    SXMLParseState direct{text, 0, 0, 0, nullptr, 0, true};
    SXMLParseState tokens = direct;
    SXMLNodeData* a = XMLParser(direct, true).Parse();
    SXMLNodeData* b = XMLParser(tokens, false).Parse();
    EXPECT_EQ(direct.code, code) << text;
    EXPECT_EQ(tokens.code, code) << text;
    EXPECT_EQ(direct.code == eXMLNotClosed ? direct.warningIndex : direct.index,
              tokens.code == eXMLNotClosed ? tokens.warningIndex : tokens.index)
        << text;
    EXPECT_EQ(a ? Dump(a) : "", tree) << text;
    EXPECT_EQ(b ? Dump(b) : "", tree) << text;
    ReleaseXMLNodeData(a);
    ReleaseXMLNodeData(b);
  }
}

TEST(XMLParserTest, EveryFaultGivesItsCodeAndPlace) {
  const std::tuple<const char*, const char*, std::int32_t, std::int32_t, std::int32_t> cases[] = {
      {"<a/>", nullptr, eXMLOk, 0, 0},
      {"<a>\n<b>", nullptr, eXMLNotClosed, 2, 4},
      {"<a>\xF0", nullptr, eXMLNotClosed, 1, 5},
      {"<a><bcdefgh></a>", nullptr, eXMLNotClosed, 1, 17},  // end tag shorter than the name
      {"<a>\n  <>", nullptr, eXMLMissingName, 2, 4},
      {"<a>\xC3\xA9\xE2\x82\xAC<=", nullptr, eXMLMissingName, 1, 7},
      {"<a></>", nullptr, eXMLBadEndTag, 1, 6},
      {"<a></a", nullptr, eXMLBadEndTag, 1, 7},
      {"<a/>\n</b>", nullptr, eXMLUnmatchedEndTag, 2, 5},
      {"<a><b></c></a>", nullptr, eXMLUnmatchedEndTag, 1, 11},
      {"<a>\n<!-- x", nullptr, eXMLUnclosedSection, 2, 1},
      {"<pre>x</pre>", nullptr, eXMLUnclosedSection, 1, 1},
      {"<a \"x\">", nullptr, eXMLUnexpectedToken, 1, 4},
      {"<a x=>", nullptr, eXMLUnexpectedToken, 1, 6},
      {"<a x <!-- -->>", nullptr, eXMLUnexpectedToken, 1, 6},
      {"<a>\n x &bad; </a>", nullptr, eXMLBadReference, 2, 4},
      {"<a v='&#12'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a v='&#x1g;'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a v='&#;'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a v='&#0;'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a v='&#xD800;'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a v='&#x110000;'/>", nullptr, eXMLBadReference, 1, 7},
      {"<a/>", "b", eXMLTagNotFound, 0, 0},
      {"<!-- c --><config/>", "CONFIG", eXMLOk, 0, 0},
      {"<!-- x --><?xml?><?other?><config/>", "config", eXMLOk, 0, 0},  // inside declarations
  };
  for (const auto& [text, tag, code, line, column] : cases) {
    SXMLResults results{-1, -1, -1};
    XMLNode node = XMLNode::ParseString(text, tag, &results);
    EXPECT_EQ(results.code, code) << text;
    EXPECT_EQ(results.line, line) << text;
    EXPECT_EQ(results.column, column) << text;
    EXPECT_EQ(node.IsEmpty(), code >= eXMLEmptyFile) << text;
  }
  SXMLResults results;
  EXPECT_TRUE(XMLNode::ParseString(nullptr, nullptr, &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLNoText);
}

TEST(XMLNodeTest, CursorWalksRepeatedNamesIgnoringCase) {
  XMLNode a = XMLNode::ParseString("<a><b i='0'/><c/><b i='1'/><B i='2'/></a>");
  int cursor = 0;
  for (const char* i : {"0", "1", "2"}) EXPECT_STREQ(a.GetChild("b", &cursor).GetAttribute("i"), i);
  EXPECT_TRUE(a.GetChild("b", &cursor).IsEmpty());
  EXPECT_EQ(cursor, 4);
}

TEST(XMLNodeTest, HundredThousandDeepAndWide) {
  const int count = 100000;
  std::string text;
  for (int i = 0; i < count; ++i) text += "<n>";
  for (int i = 0; i < count; ++i) text += "</n>";
  XMLNode node = XMLNode::ParseString(text.c_str());
  int levels = 0;
  for (XMLNode n = node; !n.IsEmpty(); n = n.GetChildAt(0)) ++levels;
  EXPECT_EQ(levels, count);
  // A handle deep inside keeps its own subtree when the top is released.
  XMLNode deep = node;
  for (int i = 0; i < count / 2; ++i) deep = deep.GetChildAt(0);
  node = XMLNode();
  EXPECT_EQ(deep.GetChildAt(0).GetChildCount(), 1);
  const std::string big(3 << 20, 'x');  // larger than any arena chunk
  text = "<r v='" + big + "'>" + big;
  for (int i = 0; i < count; ++i) text += "<c i='" + std::to_string(i) + "'/>";
  XMLNode r = XMLNode::ParseString((text + "</r>").c_str());
  EXPECT_EQ(std::string(r.GetText()) + r.GetAttribute("v"), big + big);
  EXPECT_STREQ(r.GetChildAt(count - 1).GetAttribute("i"), "99999");
}

// Files hold UTF-8, with or without its mark, or UTF-16 in either byte order, with or
// without a mark; faults in the encoding have no place in the text.
TEST(XMLFileTest, EncodingsAndTheirFaults) {
  std::string le, be;
  for (char16_t unit : std::u16string(u"<c v='caf\u00E9'>\n\U0001F600 &amp;</c>")) {
    le += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    be += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const std::string utf8 = "<c v='caf\xC3\xA9'>\n\xF0\x9F\x98\x80 &amp;</c>";
  const std::string tree = "(c @v=caf\xC3\xA9 '\xF0\x9F\x98\x80 &')";
  const std::pair<std::string, std::int32_t> cases[] = {
      {utf8, eXMLOk}, {"\xEF\xBB\xBF" + utf8, eXMLOk}, {le, eXMLOk}, {be, eXMLOk},
      {"\xFF\xFE" + le, eXMLOk}, {"\xFE\xFF" + be, eXMLOk}, {"\xFF\xFE", eXMLOk},
      {"", eXMLEmptyFile},
      {"\xFF\xFE<\0a", eXMLBadUtf16},                            // odd byte count
      {"\xFF\xFE<\0\x00\xDC>\0", eXMLBadUtf16},                  // lone low surrogate
      {std::string("\xFE\xFF\0<\xD8\x00\0>", 8), eXMLBadUtf16},  // high without low
      {std::string("<\0a\0/\0>\0<", 9), eXMLBadUtf16},           // UTF-16 by its zeros, odd count
  };
  const std::string path = ::testing::TempDir() + "ostrel_xml_file_test.xml";
  const std::wstring widePath(path.begin(), path.end());
  for (const auto& [bytes, code] : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    SXMLResults results{-1, -1, -1};
    XMLNode c = XMLNode::ParseFile(widePath.c_str(), nullptr, &results);
    EXPECT_EQ(results.code, code) << bytes;
    EXPECT_EQ(results.line, 0) << bytes;
    EXPECT_EQ(c.IsEmpty() ? "" : Dump(c.GetData()), code ? "" : bytes.size() > 2 ? tree : "()");
  }
  std::remove(path.c_str());
  SXMLResults results;
  EXPECT_TRUE(XMLNode::ParseFile(L"/nonexistent/ostrel/none.xml", nullptr, &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLCannotOpen);
}

}  // namespace
}  // namespace Ostrel
