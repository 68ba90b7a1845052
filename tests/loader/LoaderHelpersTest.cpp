// The loader's helpers: numeric and bool attribute values, loop-variable substitution
// and the walk of a container element with its loops.
#include <climits>

#include "LoaderHelpers.h"
#include "LoaderSupport.h"

namespace {

using namespace Ostrel::Internal;
using LoaderTest::Message;
using LoaderTest::Thrown;

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

// Records the walk of a container as "tag" for elements and "tag:var=value,..." per pass.
struct SWalk {
  std::vector<std::string> seen;

  void Run(const char* xml, const SubstitutionMap& variables) {
    Ostrel::XMLNode node = Ostrel::XMLNode::ParseString(xml);
    ASSERT_FALSE(node.IsEmpty());
    Walk(node, variables);
  }
  void Walk(const Ostrel::XMLNode& node, const SubstitutionMap& variables) {
    ParseContainer(
        node, {"bean", "service"}, variables,
        [this](const Ostrel::XMLNode& e) {
          const char* id = e.GetAttribute("id");
          seen.push_back(std::string(e.GetName()) + (id != nullptr ? id : ""));
        },
        [this](const Ostrel::XMLNode& loop, const SubstitutionMap& pass) {
          std::string text = loop.GetName();
          text += ":";
          for (const auto& entry : pass) {
            text += Platform::WideToUtf8(entry.key + L"=" + entry.value) + ",";
          }
          seen.push_back(text);
          Walk(loop, pass);
        });
  }
};

TEST(ParseContainerTest, ElementsByTagThenForThenForeach) {
  SWalk walk;
  walk.Run("<c><foreach substitute='f' set='x'/><Service id='1'/><FOR first='1' last='1' "
           "substitute='a'/><bean id='2'/><other/><service id='3'/><BEAN id='4'/>"
           "<for first='2' last='2' substitute='b'/></c>",
           SubstitutionMap(128));
  EXPECT_EQ(walk.seen, (std::vector<std::string>{"bean2", "BEAN4", "Service1", "service3",
                                                 "FOR:a=1,", "for:b=2,", "foreach:f=x,"}));
}

TEST(ParseContainerTest, ForLoopBounds) {
  auto passes = [](const char* attributes) {
    SWalk walk;
    walk.Run((std::string("<c><for substitute='i' ") + attributes + "/></c>").c_str(),
             SubstitutionMap(128));
    std::string text;
    for (const std::string& s : walk.seen) text += s.substr(4);
    return text;
  };
  EXPECT_EQ(passes("first='1' last='3'"), "i=1,i=2,i=3,");
  EXPECT_EQ(passes("first=' 0' last='7x' inc='3'"), "i=0,i=3,i=6,");
  EXPECT_EQ(passes("first='-2' last='-1'"), "i=-2,i=-1,");
  EXPECT_EQ(passes("first='5' last='4'"), "");
  EXPECT_EQ(passes("first='5' last='4' inc='0'"), "");
  EXPECT_EQ(passes("first='2147483646' last='2147483647'"), "i=2147483646,i=2147483647,");
}

TEST(ParseContainerTest, ForLoopErrors) {
  auto error = [](const char* attributes) {
    SWalk walk;
    return Thrown([&] {
      walk.Run((std::string("<c><for ") + attributes + "/></c>").c_str(), SubstitutionMap(128));
    });
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
  SWalk walk;
  missing = Thrown([&] { walk.Run("<c><foreach set='a' substitute=''/></c>", SubstitutionMap(128)); });
  EXPECT_EQ(missing.message, "Empty attribute 'substitute' in bean foreach loop");
  EXPECT_EQ(missing.function, "ParseContainer");
}

TEST(ParseContainerTest, ForeachItems) {
  auto passes = [](const char* set) {
    SWalk walk;
    std::string xml = "<c><foreach substitute='s'";
    if (set != nullptr) xml += std::string(" set='") + set + "'";
    walk.Run((xml + "/></c>").c_str(), SubstitutionMap(128));
    std::string text;
    for (const std::string& s : walk.seen) text += "[" + s.substr(8) + "]";
    return text;
  };
  EXPECT_EQ(passes(" a | b c |d"), "[s=a,][s=b c,][s=d,]");
  EXPECT_EQ(passes("a||b"), "[s=a,][s=,][s=b,]");
  EXPECT_EQ(passes("a|b|"), "[s=a,][s=b,]");
  EXPECT_EQ(passes(""), "[s=,]");
  EXPECT_EQ(passes(nullptr), "[s=,]");
  EXPECT_EQ(passes("|"), "[s=,]");
}

TEST(ParseContainerTest, InnerVariableHidesOuterAndCallerMapStaysUntouched) {
  SubstitutionMap outer = Variables({{L"i", L"outer"}, {L"k", L"kept"}});
  SWalk walk;
  walk.Run("<c><foreach substitute='i' set='a'><for first='1' last='1' substitute='i'>"
           "<bean id='x'/></for></foreach></c>",
           outer);
  ASSERT_EQ(walk.seen.size(), 3u);
  EXPECT_NE(walk.seen[0].find("i=a,"), std::string::npos);
  EXPECT_NE(walk.seen[1].find("i=1,"), std::string::npos);
  EXPECT_NE(walk.seen[1].find("k=kept,"), std::string::npos);
  EXPECT_EQ(walk.seen[2], "beanx");
  EXPECT_EQ(outer.GetCount(), 2u);
  EXPECT_EQ(outer.Lookup(std::wstring(L"i"))->value, L"outer");
}

}  // namespace
