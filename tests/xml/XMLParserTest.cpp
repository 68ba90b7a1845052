// How text becomes a tree: names, attributes, texts, sections, references, and the
// result code with its line and column for every kind of fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EXMLResult.h"
#include "SXMLNodeData.h"
#include "xml/XMLNode.h"
#include "XMLParser.h"

namespace Ostrel {
namespace {

XMLNode Parse(const char* text, SXMLResults& results, const char* tag = nullptr) {
  results = SXMLResults{-1, -1, -1};
  return XMLNode::ParseString(text, tag, &results);
}

TEST(XMLParserTest, EndTagAndLookupsIgnoreCase) {
  SXMLResults results;
  XMLNode beans = Parse("<beans><BEAN id='1'></bean></beans>", results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_STREQ(beans.GetChild("Bean").GetAttribute("ID"), "1");
}

TEST(XMLParserTest, CommentBeforeTheElementKeepsTheDocumentRoot) {
  SXMLResults results;
  XMLNode root = Parse("<!-- c --><config><x/></config>", results);
  EXPECT_EQ(root.GetName(), nullptr);
  EXPECT_EQ(root.GetClearCount(), 1);
  EXPECT_STREQ(root.GetClearAt(0)->opening, "<!--");
  EXPECT_STREQ(root.GetClearAt(0)->content, " c ");
  XMLNode config = Parse("<!-- c --><config><x/></config>", results, "CONFIG");
  EXPECT_STREQ(config.GetName(), "config");
  EXPECT_TRUE(config.GetParent().IsEmpty());
  EXPECT_EQ(config.GetChildCount(), 1);
}

TEST(XMLParserTest, DecodesReferencesInValuesAndTexts) {
  SXMLResults results;
  XMLNode a = Parse("<a v=\"&#65;&#x41;&#x151;&#8230;&#x1F600;&AMP;&lt;\" w=&gt;x>&quot;x&apos; &#10;</a>",
                    results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_STREQ(a.GetAttribute("v"), "AA\xC5\x91\xE2\x80\xA6\xF0\x9F\x98\x80&<");
  EXPECT_STREQ(a.GetAttribute("w"), ">x");
  EXPECT_STREQ(a.GetText(), "\"x' \n");
}

TEST(XMLParserTest, AttributesWithoutValueAndEmptyValues) {
  SXMLResults results;
  XMLNode a = Parse("<a flag x=1 e=\"\" last/>", results);
  ASSERT_EQ(a.GetAttributeCount(), 4);
  EXPECT_STREQ(a.GetAttributeAt(0)->name, "flag");
  EXPECT_EQ(a.GetAttributeAt(0)->value, nullptr);
  EXPECT_EQ(a.GetAttribute("flag"), nullptr);
  EXPECT_STREQ(a.GetAttribute("x"), "1");
  EXPECT_STREQ(a.GetAttribute("e"), "");
  EXPECT_EQ(a.GetAttribute("last"), nullptr);
  EXPECT_STREQ(a.GetAttributeAt(3)->name, "last");
}

TEST(XMLParserTest, TextBeforeASectionIsKeptUndecoded) {
  SXMLResults results;
  XMLNode a = Parse("<a>x &amp; y <![CDATA[ <raw> &amp; ]]>z &amp;  </a>", results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_STREQ(a.GetText(0), "x &amp; y");
  EXPECT_STREQ(a.GetClearAt(0)->content, " <raw> &amp; ");
  EXPECT_STREQ(a.GetText(1), "z &");
  ASSERT_EQ(a.GetEntryCount(), 3);
  EXPECT_EQ(a.GetEntryAt(0), 0 * 4 + 2);
  EXPECT_EQ(a.GetEntryAt(1), 0 * 4 + 3);
  EXPECT_EQ(a.GetEntryAt(2), 1 * 4 + 2);
}

TEST(XMLParserTest, ContentTokensGatherIntoOneText) {
  SXMLResults results;
  // A quote with no partner before the next "<" is plain text.
  XMLNode a = Parse("<a>  it's \"q <b/>\"</a>", results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_STREQ(a.GetText(0), "it's \"q");
  EXPECT_STREQ(a.GetText(1), "\"");
  EXPECT_STREQ(Parse("<a> one \"two\" = > /> 'x'\t</a>", results).GetText(), "one \"two\" = > /> 'x'");
  EXPECT_STREQ(Parse("<a><PRE><b></PRE><Script>s</Script></a>", results).GetClearAt(0)->content,
               "<b>");
  EXPECT_EQ(results.code, eXMLOk);
}

TEST(XMLParserTest, DeclarationHoldsEverythingAfterIt) {
  SXMLResults results;
  XMLNode xml = Parse("<?xml version=\"1.0\" standalone?>\n<config/>", results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_TRUE(xml.IsDeclaration());
  EXPECT_STREQ(xml.GetName(), "xml");
  ASSERT_EQ(xml.GetAttributeCount(), 2);
  EXPECT_STREQ(xml.GetAttributeAt(1)->name, "standalone");
  EXPECT_STREQ(xml.GetChildAt(0).GetName(), "config");
  EXPECT_STREQ(Parse("<?a v=1.0?>", results).GetAttribute("v"), "1.0");
  EXPECT_EQ(Parse("<?a v=1.0 ?>", results).GetAttributeCount(), 1);
  XMLNode config = Parse("<!-- x --><?xml?><?other?><config/>", results, "config");
  EXPECT_STREQ(config.GetName(), "config");  // found inside both declarations
  Parse("<?xml a=1", results);
  EXPECT_EQ(results.code, eXMLOk);  // a declaration may run to the end
}

TEST(XMLParserTest, EndTagOfAnotherNameClosesUpToTheOneItNames) {
  SXMLResults results;
  XMLNode a = Parse("<a><b></a>", results);
  EXPECT_EQ(results.code, eXMLNotClosed);
  EXPECT_EQ(results.column, 11);
  EXPECT_STREQ(a.GetName(), "a");
  EXPECT_STREQ(a.GetChildAt(0).GetName(), "b");
  XMLNode r = Parse("<r><a><b><c></a><d/></r>", results);
  EXPECT_EQ(results.code, eXMLNotClosed);
  EXPECT_EQ(r.GetChildCount(), 2);
  EXPECT_STREQ(r.GetChildAt(1).GetName(), "d");
  EXPECT_EQ(Parse("<a/b></a/b>", results).GetChildCount(), 0);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_EQ(Parse("<a><ab></a>", results).GetChildCount(), 1);  // "a" does not close "ab"
  EXPECT_EQ(results.code, eXMLNotClosed);
}

TEST(XMLParserTest, StepsThroughMultiByteCharactersWhole) {
  SXMLResults results;
  // A lead byte takes its continuation bytes along, even a "<" standing in their place.
  XMLNode a = Parse("<a>\xE2<b/> \xF5</a>", results);
  EXPECT_EQ(results.code, eXMLOk);
  EXPECT_EQ(a.GetChildCount(), 0);
  EXPECT_STREQ(a.GetText(), "\xE2<b/> \xF5");
  // ...but never past the end of the text.
  EXPECT_STREQ(Parse("<a>\xF0", results).GetText(), "\xF0");
  EXPECT_EQ(results.code, eXMLNotClosed);
  EXPECT_EQ(results.column, 5);
}

TEST(XMLParserTest, BlankContentIsNoTextAndTrailingTextKeepsTheRoot) {
  SXMLResults results;
  EXPECT_EQ(Parse("<a> \r\n\t <b/>\n</a>", results).GetTextCount(), 0);
  XMLNode root = Parse("<a/> tail &lt;", results);
  EXPECT_EQ(root.GetName(), nullptr);
  EXPECT_STREQ(root.GetText(), "tail <");
  const std::string big(3 << 20, 'x');  // larger than any arena chunk
  XMLNode a = Parse(("<a v='" + big + "'>" + big + "</a>").c_str(), results);
  EXPECT_EQ(std::string(a.GetText()), big);
  EXPECT_EQ(std::string(a.GetAttribute("v")), big);
}

// The tree as text, to compare parses.
std::string Dump(const SXMLNodeData* node) {
  std::string out = std::string("(") + (node->name ? node->name : "") + (node->isDeclaration ? "?" : "");
  for (int i = 0; i < node->childCount + node->attributeCount + node->textCount + node->clearCount; ++i) {
    const int index = node->order[i] / 4;
    switch (node->order[i] & 3) {
      case eXMLEntryChild: out += Dump(node->children[index].GetData()); break;
      case eXMLEntryAttribute: {
        const SXMLAttribute& attribute = node->attributes[index];
        out += std::string(" @") + attribute.name + (attribute.value ? "=" + std::string(attribute.value) : "");
        break;
      }
      case eXMLEntryText: out += std::string(" '") + node->texts[index] + "'"; break;
      default: out += std::string(" [") + node->clears[index].content + "]"; break;
    }
  }
  return out + ")";
}

TEST(XMLParserTest, DirectPathsGiveWhatTheTokensGive) {
  const char* documents[] = {
      "<r><a x='1' y = \"2\"z=\"3\" w=4 v>t</a><b/ ><c></C ></r>",
      "<r><a/ >x</a/></r>",                  // "/>" ends the end tag's name early
      "<r><\"x>abc</\"x>\" <y/></r>",         // the end tag's name opens a quoted string
      "<r>t &amp; u<b q='&lt;'/>v<!-- c --></r>",
      "<r><a></b></r>", "<r><a x='&bad;'/></r>", "<r><?d a=1?><e/></r>", "<r><a x='1' 'q'/></r>",
  };
  for (const char* text : documents) {
    SXMLParseState direct{text, 0, 0, 0, nullptr, 0, true};
    SXMLParseState tokens = direct;
    SXMLNodeData* a = XMLParser(direct, true).Parse();
    SXMLNodeData* b = XMLParser(tokens, false).Parse();
    EXPECT_EQ(direct.code, tokens.code) << text;
    EXPECT_EQ(direct.code == eXMLNotClosed ? direct.warningIndex : direct.index,
              tokens.code == eXMLNotClosed ? tokens.warningIndex : tokens.index) << text;
    ASSERT_EQ(a == nullptr, b == nullptr) << text;
    if (a) {
      EXPECT_EQ(Dump(a), Dump(b)) << text;
    }
    ReleaseXMLNodeData(a);
    ReleaseXMLNodeData(b);
  }
}

struct SFaultCase {
  const char* text;
  const char* tag;
  std::int32_t code;
  std::int32_t line;
  std::int32_t column;
};

TEST(XMLParserTest, EveryFaultGivesItsCodeAndPlace) {
  const SFaultCase cases[] = {
      {"<a/>", nullptr, eXMLOk, 0, 0},
      {"<a>\n<b>", nullptr, eXMLNotClosed, 2, 4},
      {"<a x", nullptr, eXMLNotClosed, 1, 5},
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
  };
  for (const SFaultCase& c : cases) {
    SXMLResults results;
    XMLNode node = Parse(c.text, results, c.tag);
    EXPECT_EQ(results.code, c.code) << c.text;
    EXPECT_EQ(results.line, c.line) << c.text;
    EXPECT_EQ(results.column, c.column) << c.text;
    EXPECT_EQ(node.IsEmpty(), c.code >= eXMLEmptyFile) << c.text;
    EXPECT_STRNE(DescribeXMLResult(c.code), DescribeXMLResult(-1));
  }
  SXMLResults results;
  EXPECT_TRUE(Parse(nullptr, results).IsEmpty());
  EXPECT_EQ(results.code, eXMLNoText);
  EXPECT_EQ(results.line, 0);
}

}  // namespace
}  // namespace Ostrel
