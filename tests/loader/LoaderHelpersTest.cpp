// The loader's helpers: numeric and bool attribute values, loop-variable substitution,
// loop passes and the bounds of a load's work.
#include <climits>

#include "CLoopPasses.h"
#include "LoaderHelpers.h"
#include "Thrown.h"

namespace {

using namespace Ostrel::Internal;
using TestSupport::Message;
using TestSupport::Thrown;

const std::string kNotNumeric = "Value of numeric parameter must be numeric";

SubstitutionMap Variables(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> list) {
  SubstitutionMap map(128);
  for (const auto& entry : list) map.GetOrInsert(std::wstring(entry.first))->value = entry.second;
  return map;
}

TEST(StringToIntTest, ReadsLeadingNumberLikeScanf) {
  EXPECT_EQ(StringToInt("12"), 12);
  EXPECT_EQ(StringToInt(" \t\n 12"), 12);
  EXPECT_EQ(StringToInt("+7"), 7);
  EXPECT_EQ(StringToInt("-3"), -3);
  EXPECT_EQ(StringToInt("3abc"), 3);
  EXPECT_EQ(StringToInt("0012 34"), 12);
  EXPECT_EQ(StringToInt("2147483647"), INT_MAX);
  EXPECT_EQ(StringToInt("-2147483648"), INT_MIN);
}

TEST(StringToIntTest, RejectsTextWithoutNumberAndOutOfRange) {
  for (const char* text : {"abc", "x1", "", "   ", "+", "-", "- 1", "2147483648", "-2147483649",
                           "99999999999999999999999"}) {
    EXPECT_EQ(Message([&] { StringToInt(text); }), kNotNumeric) << text;
  }
  EXPECT_EQ(Message([] { StringToInt(nullptr); }), kNotNumeric);
}

TEST(StringToBoolTest, OnlyExactLowerCaseWords) {
  EXPECT_TRUE(StringToBool(L"true"));
  EXPECT_FALSE(StringToBool(std::string("false")));
  for (const char* text : {"True", "FALSE", " true", "1", ""}) {
    const std::string message = "Value of bool parameter must be 'true' or 'false'";
    EXPECT_EQ(Message([&] { StringToBool(std::string(text)); }), message);
    EXPECT_EQ(Message([&] { StringToBool(Platform::Utf8ToWide(text)); }), message);
  }
}

TEST(SubstituteTest, ModifiersAndPercentOutsideLoops) {
  SubstitutionMap none(128);
  EXPECT_EQ(Substitute("100% %x% %", none), L"100% %x% %");
  EXPECT_EQ(Substitute(nullptr, none), L"");
  SubstitutionMap v = Variables({{L"i", L"7"}, {L"n", L"Big Shop"}, {L"u", L"\u00C4 \u00E4"}, {L"e", L""}});
  EXPECT_EQ(Substitute("bean%i%_%i%[%e%]", v), L"bean7_7[]");
  EXPECT_EQ(Substitute("%u%|%.u%", v), L"\u00C4 \u00E4|\u00C4\u00E4");
  EXPECT_EQ(Substitute("%.n%|%_n%|%^n%", v), L"BigShop|big shop|BIG SHOP");
  // Applied as remove spaces, lower, upper whatever the written order.
  EXPECT_EQ(Substitute("%^._n%", v), L"BIGSHOP");
}

TEST(SubstituteTest, Utf8FormMatchesTheWideOne) {
  SubstitutionMap none(128);
  SubstitutionMap v = Variables({{L"i", L"\u00E9"}});
  for (const char* text : {"", "plain", "caf\xC3\xA9", "bad \xFF byte", "%i%!", "x%.i%y"}) {
    for (const SubstitutionMap* map : {&none, &v}) {
      EXPECT_EQ(SubstituteUtf8(text, *map), Platform::WideToUtf8(Substitute(text, *map))) << text;
    }
  }
  EXPECT_EQ(SubstituteUtf8(nullptr, v), "");
  EXPECT_EQ(Message([&] { SubstituteUtf8("%j%", v); }), "Missing substitution");
}

TEST(SubstituteTest, InsertedTextIsScannedAgain) {
  SubstitutionMap v = Variables({{L"a", L"<%b%>"}, {L"b", L"%c%"}, {L"c", L"x"}, {L"p", L"5%"}});
  EXPECT_EQ(Substitute("%a%%a%", v), L"<x><x>");
  EXPECT_EQ(Message([&] { Substitute("%p%", v); }), "Invalid substitution pattern");
}

TEST(SubstituteTest, BadPatterns) {
  SubstitutionMap v = Variables({{L"i", L"1"}, {L"loop", L"%loop%"}, {L"grow", L"a%grow%"}});
  for (const char* text : {"a%i", "%i%%", "%loop%", "%grow%"}) {
    // The last two keep reproducing their own pattern and stop after a bound.
    EXPECT_EQ(Message([&] { Substitute(text, v); }), "Invalid substitution pattern") << text;
  }
  for (const char* text : {"%j%", "%%", "%I%"}) {
    EXPECT_EQ(Message([&] { Substitute(text, v); }), "Missing substitution") << text;
  }
}

// The passes of the first loop in `xml`, as "var=value," per pass.
std::string Passes(const std::string& xml, const SubstitutionMap& variables,
                   SLoadBudget* budget = nullptr) {
  Ostrel::XMLNode node = Ostrel::XMLNode::ParseString(xml.c_str());
  SLoadBudget own;
  CLoopPasses loop(node, NameIs(node.GetName(), "for"), variables, budget != nullptr ? budget : &own);
  std::string text;
  while (loop.Next()) {
    for (const auto& entry : loop.Variables()) {
      text += Platform::WideToUtf8(entry.key + L"=" + entry.value) + ",";
    }
    text += ";";
  }
  return text;
}

TEST(LoopPassesTest, ForLoopBounds) {
  auto passes = [](const char* attributes) {
    return Passes(std::string("<for substitute='i' ") + attributes + "/>", SubstitutionMap(128));
  };
  EXPECT_EQ(passes("first='1' last='3'"), "i=1,;i=2,;i=3,;");
  EXPECT_EQ(passes("first=' 0' last='7x' inc='3'"), "i=0,;i=3,;i=6,;");
  EXPECT_EQ(passes("first='-2' last='-1'"), "i=-2,;i=-1,;");
  EXPECT_EQ(passes("first='5' last='4'"), "");
  EXPECT_EQ(passes("first='5' last='4' inc='0'"), "");
  EXPECT_EQ(passes("first='2147483646' last='2147483647'"), "i=2147483646,;i=2147483647,;");
}

TEST(LoopPassesTest, ForLoopErrors) {
  auto error = [](const char* attributes) {
    return Thrown([&] { Passes(std::string("<for ") + attributes + "/>", SubstitutionMap(128)); });
  };
  for (const char* bad : {"last='2' substitute='i'", "first='' last='2' substitute='i'",
                          "first='1' last=' ' substitute='i'", "first='1' last='2' inc='' substitute='i'",
                          "first='a1' last='2' substitute='i'",
                          "first='1' last='4294967297' substitute='i'"}) {
    EXPECT_EQ(error(bad).message, kNotNumeric) << bad;
  }
  for (const char* bad : {"first='1' last='2' inc='0' substitute='count'",
                          "first='1' last='1' inc='-1' substitute='count'"}) {
    std::string message = error(bad).message;
    EXPECT_NE(message.find("'count'"), std::string::npos) << message;
    EXPECT_NE(message.find("inc"), std::string::npos) << message;
  }
  auto missing = error("first='1' last='2'");
  EXPECT_EQ(missing.message, "Empty attribute 'substitute' in bean for loop");
  EXPECT_EQ(missing.function, "ParseContainer");
  missing = Thrown([] { Passes("<foreach set='a' substitute=''/>", SubstitutionMap(128)); });
  EXPECT_EQ(missing.message, "Empty attribute 'substitute' in bean foreach loop");
  EXPECT_EQ(missing.function, "ParseContainer");
}

TEST(LoopPassesTest, ForeachItems) {
  auto passes = [](const char* set) {
    std::string xml = "<foreach substitute='s'";
    if (set != nullptr) xml += std::string(" set='") + set + "'";
    return Passes(xml + "/>", SubstitutionMap(128));
  };
  EXPECT_EQ(passes(" a | b c |d"), "s=a,;s=b c,;s=d,;");
  EXPECT_EQ(passes("a||b"), "s=a,;s=,;s=b,;");
  EXPECT_EQ(passes("a|b|"), "s=a,;s=b,;");
  EXPECT_EQ(passes(""), "s=,;");
  EXPECT_EQ(passes(nullptr), "s=,;");
  EXPECT_EQ(passes("|"), "s=,;");
}

TEST(LoopPassesTest, OwnVariableHidesTheOuterOneInACopy) {
  SubstitutionMap outer = Variables({{L"i", L"outer"}, {L"k", L"kept"}});
  std::string passes = Passes("<for first='1' last='1' substitute='i'/>", outer);
  EXPECT_NE(passes.find("i=1,"), std::string::npos);
  EXPECT_NE(passes.find("k=kept,"), std::string::npos);
  EXPECT_EQ(outer.GetCount(), 2u);
  EXPECT_EQ(outer.Lookup(std::wstring(L"i"))->value, L"outer");
}

// Every bound fails before its work is done: a loop too large before its first pass,
// the passes of many loops together, substitution that grows a value or a load.
TEST(LoadBudgetTest, LoopsAndSubstitutionAreBounded) {
  auto error = [](auto&& work) { return Thrown(work).message; };
  const std::string tooMany = error([] {
    Passes("<for first='-2147483648' last='2147483647' substitute='i'/>", SubstitutionMap(128));
  });
  EXPECT_NE(tooMany.find("4194304 passes"), std::string::npos) << tooMany;
  SLoadBudget budget;
  budget.AddLoopPasses(budget.limits.loopPasses - 1);
  Passes("<foreach set='x' substitute='s'/>", SubstitutionMap(128), &budget);
  EXPECT_NE(error([&] { budget.AddLoopPasses(1); }).find("passes"), std::string::npos);

  // A value that keeps its own pattern doubles until a bound stops it.
  SubstitutionMap v = Variables({{L"a", L"%a%%a%"}, {L"big", std::wstring(1 << 19, L'x').c_str()}});
  EXPECT_EQ(error([&] { Substitute("%a%", v); }), "Invalid substitution pattern");
  EXPECT_NE(error([&] { Substitute("%big%%big%%big%", v); }).find("one value"), std::string::npos);
  SLoadBudget load;
  load.limits.loadInsertions = std::size_t{1} << 20;
  load.AddInsertion(0, 1 << 19);
  EXPECT_EQ(Substitute("%big%", v, &load).size(), std::size_t{1} << 19);
  EXPECT_NE(error([&] { Substitute("%big%", v, &load); }).find("one configuration"),
            std::string::npos);
}

}  // namespace
