// The loader's helpers: numeric attribute values, loop-variable substitution, loop
// passes and the bounds of a load's work.
#include <sstream>

#include "CLoopPasses.h"
#include "LoaderHelpers.h"
#include "Thrown.h"

namespace {

using namespace Ostrel::Internal;
using TestSupport::Message;

const std::string kNotNumeric = "Value of numeric parameter must be numeric";

// Variables from "name=value;name=value...".
SubstitutionMap Variables(const std::string& list) {
  SubstitutionMap map(128);
  std::istringstream items(list);
  for (std::string item; std::getline(items, item, ';');) {
    map.GetOrInsert(item.substr(0, item.find('=')))->value = item.substr(item.find('=') + 1);
  }
  return map;
}

TEST(StringToIntTest, ReadsALeadingNumberInRange) {
  std::string read;
  for (const char* text : {" \t\n 12", "+7", "-3", "0012 34", "2147483647", "-2147483648"}) {
    read += std::to_string(StringToInt(text)) + " ";
  }
  EXPECT_EQ(read, "12 7 -3 12 2147483647 -2147483648 ");
  for (const char* text :
       {"abc", "", "   ", "+", "- 1", "2147483648", "-2147483649", "99999999999999999999999"}) {
    EXPECT_EQ(Message([&] { StringToInt(text); }), kNotNumeric) << text;
  }
}

TEST(SubstituteTest, ModifiersAndPatterns) {
  SubstitutionMap v = Variables(
      "i=7;n=Big Shop;u=\xC3\x84 \xC3\xA4;e=;a=<%b%>;b=%c%;c=x;p=5%;"
      "loop=%loop%;grow=a%grow%");
  EXPECT_EQ(Substitute("100% %x% %", SubstitutionMap(128)), "100% %x% %");
  EXPECT_EQ(Substitute("bean%i%_%i%[%e%]", v), "bean7_7[]");
  EXPECT_EQ(Substitute("%.u%|%.n%|%_n%|%^n%|%_u%", v),
            "\xC3\x84\xC3\xA4|BigShop|big shop|BIG SHOP|\xC3\xA4 \xC3\xA4");
  // Applied as remove spaces, lower, upper whatever the written order.
  EXPECT_EQ(Substitute("%^._n%", v), "BIGSHOP");
  // Inserted text is scanned again.
  EXPECT_EQ(Substitute("%a%%a%", v), "<x><x>");
  for (const char* text : {"a%i", "%i%%", "%p%", "%loop%", "%grow%"}) {
    EXPECT_EQ(Message([&] { Substitute(text, v); }), "Invalid substitution pattern") << text;
  }
  for (const char* text : {"%j%", "%%", "%I%"}) {
    EXPECT_EQ(Message([&] { Substitute(text, v); }), "Missing substitution") << text;
  }
  // Bytes that are no UTF-8 are kept, with or without patterns beside them.
  for (const char* text : {"a\xFF\xFE" "b", "a\xFE\xFF" "b", "\xC3"}) {
    EXPECT_EQ(Substitute(text, v), text);
    EXPECT_EQ(Substitute((std::string(text) + "%i%").c_str(), v), std::string(text) + "7");
  }
}

// The passes of the loop element `xml`, as "var=value," per pass.
std::string Passes(const std::string& xml,
                   const SubstitutionMap& variables = SubstitutionMap(128)) {
  Ostrel::XMLNode node = Ostrel::XMLNode::ParseString(xml.c_str());
  SLoadBudget budget;
  CLoopPasses loop(node, NameIs(node.GetName(), "for"), variables, &budget);
  std::string text;
  while (loop.Next()) {
    for (const auto& entry : loop.Variables())
      text += entry.key + "=" + entry.value + ",";
    text += ";";
  }
  return text;
}

TEST(LoopPassesTest, ForAndForeachPasses) {
  const std::pair<const char*, const char*> loops[] = {
      {"<for substitute='i' first='1' last='3'/>", "i=1,;i=2,;i=3,;"},
      {"<for substitute='i' first=' 0' last='7x' inc='3'/>", "i=0,;i=3,;i=6,;"},
      {"<for substitute='i' first='-2' last='-1'/>", "i=-2,;i=-1,;"},
      {"<for substitute='i' first='5' last='4' inc='0'/>", ""},
      {"<for substitute='i' first='2147483646' last='2147483647'/>",
       "i=2147483646,;i=2147483647,;"},
      {"<foreach substitute='s' set=' a | b c |d'/>", "s=a,;s=b c,;s=d,;"},
      {"<foreach substitute='s' set='a||b|'/>", "s=a,;s=,;s=b,;"},
      {"<foreach substitute='s' set='|'/>", "s=,;"},
      {"<foreach substitute='s'/>", "s=,;"}};
  for (const auto& [xml, passes] : loops) EXPECT_EQ(Passes(xml), passes) << xml;
  // The loop's own variable hides an outer one of the same name in a copy.
  SubstitutionMap outer = Variables("i=outer;k=kept");
  const std::string passes = Passes("<for first='1' last='1' substitute='i'/>", outer);
  EXPECT_NE(passes.find("i=1,"), std::string::npos);
  EXPECT_NE(passes.find("k=kept,"), std::string::npos);
  EXPECT_EQ(outer.Lookup("i")->value, "outer");
}

TEST(LoopPassesTest, Errors) {
  for (const char* bad :
       {"<for last='2' substitute='i'/>", "<for first='1' last=' ' substitute='i'/>",
        "<for first='1' last='2' inc='' substitute='i'/>",
        "<for first='-99999999999999999999' last='3' substitute='i'/>"}) {
    EXPECT_EQ(Message([&] { Passes(bad); }), kNotNumeric) << bad;
  }
  EXPECT_EQ(Message([] { Passes("<for first='1' last='2' inc='0' substitute='count'/>"); }),
            "Attribute 'inc' of the for loop over 'count' must be positive");
  auto missing = TestSupport::Thrown([] { Passes("<for first='1' last='2'/>"); });
  EXPECT_EQ(missing.message, "Empty attribute 'substitute' in bean for loop");
  EXPECT_EQ(missing.function, "ParseContainer");
  EXPECT_EQ(Message([] { Passes("<foreach set='a' substitute=''/>"); }),
            "Empty attribute 'substitute' in bean foreach loop");
}

// Every bound fails before its work is done: a loop too large before its first pass,
// the passes of many loops together, substitution that grows a value or a load.
TEST(LoadBudgetTest, LoopsAndSubstitutionAreBounded) {
  EXPECT_EQ(Message([] { Passes("<for first='-2147483648' last='2147483647' substitute='i'/>"); }),
            "Loops of one configuration may make at most 4194304 passes");
  SLoadBudget budget;
  budget.AddLoopPasses(budget.limits.loopPasses - 1);
  EXPECT_NE(Message([&] { budget.AddLoopPasses(2); }).find("passes"), std::string::npos);
  SubstitutionMap v = Variables("a=%a%%a%;big=" + std::string(1 << 19, 'x'));
  EXPECT_EQ(Message([&] { Substitute("%a%", v); }), "Invalid substitution pattern");
  EXPECT_NE(Message([&] { Substitute("%big%%big%%big%", v); }).find("one value"),
            std::string::npos);
  SLoadBudget load;
  load.limits.loadInsertions = std::size_t{1} << 20;
  load.AddInsertion(0, 1 << 19);
  EXPECT_EQ(Substitute("%big%", v, &load).size(), std::size_t{1} << 19);
  EXPECT_NE(Message([&] { Substitute("%big%", v, &load); }).find("one configuration"),
            std::string::npos);
}

}  // namespace
