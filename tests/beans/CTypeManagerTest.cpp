// How the type manager reads the value texts of literal arguments, where that can go
// wrong: the bool words, integers out of range, number bases and decimal points.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "Thrown.h"
#include "beans/CTypeManager.h"
#include "platform/TextConversion.h"

namespace {

const Ostrel::CTypeManager manager;

// The value that `type` reads from `text`.
template <class T>
T Read(const char* type, const wchar_t* text) {
  const std::string utf8 = Platform::WideToUtf8(text);
  return *static_cast<T*>(manager.FindTypeBean(type)->CreateValuePointer(utf8)->GetValue());
}

// The bool words exactly; numbers from their leading digits, clamped or wrapped to
// their type; texts in the form their type holds. Type names match exactly.
TEST(TypeManagerTest, LiteralsReadAsTheirTypeAndOnlyKnownTypeNamesAreFound) {
  EXPECT_TRUE(Read<bool>("bool", L"true") && !Read<bool>("bool", L"false"));
  for (const wchar_t* text : {L"True", L"1", L" true", L""}) {
    TestSupport::ExpectThrown([&] { Read<bool>("bool", text); },
                              "`anonymous-namespace'::stringToBool", "Invalid bool value");
  }
  for (const char* type : {"Bool", "char *", "bean", static_cast<const char*>(nullptr)}) {
    TestSupport::ExpectThrown([&] { manager.FindTypeBean(type); },
                              "Ostrel::CTypeManager::FindTypeBean", "Could not find type bean");
  }

  EXPECT_EQ(Read<int>("int32_t", L" -99999999999abc"), INT_MIN);
  EXPECT_EQ(Read<unsigned int>("unsigned int", L"4000000000"), 2147483647u);
  EXPECT_EQ(Read<long>("long", L"-5000000000"), sizeof(long) == 8 ? -5000000000LL : LONG_MIN);
  // Smaller types keep the low bits.
  EXPECT_EQ(Read<signed char>("int8_t", L"300"), 44);
  // Only unsigned long takes the base from the text.
  EXPECT_EQ(Read<unsigned int>("uint32_t", L"0x1F"), 0u);
  EXPECT_EQ(Read<unsigned long>("unsigned long", L"0x1F"), 31ul);
  EXPECT_FLOAT_EQ(Read<float>("float", L" -0.125xyz"), -0.125f);
  // Beyond float's range: infinity of the sign; the largest float as printed still reads.
  const float kInf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Read<float>("float", L"1e39"), kInf);
  EXPECT_EQ(Read<float>("float", L"-1e300"), -kInf);
  EXPECT_EQ(Read<float>("float", L"3.4028235e38"), std::numeric_limits<float>::max());
  EXPECT_DOUBLE_EQ(Read<double>("double", L".25e1"), 2.5);
  // Texts are UTF-8 for char*, unchanged for wchar_t*.
  EXPECT_EQ(Read<std::string>("const char*", L"\u20ac"), "\xE2\x82\xAC");
  const std::string bytes = "a\xFF\xFE" "b";  // not UTF-8: kept for narrow text
  EXPECT_EQ(*static_cast<std::string*>(
                manager.FindTypeBean("char*")->CreateValuePointer(bytes)->GetValue()),
            bytes);
  EXPECT_EQ(Read<std::wstring>("wchar_t*", L"\u20ac"), L"\u20ac");
}

}  // namespace

// The configuration check's view of literals: a whole value in the type's range, white
// space around it aside; the lenient conversions above read all of these.
TEST(TypeManagerTest, LiteralCheckAcceptsOnlyWholeValuesInRange) {
  const struct {
    const char* type;
    const char* text;
    bool valid;
  } kCases[] = {
      {"int8_t", "-128", true}, {"int8_t", "128", false}, {"uint8_t", "255", true},
      {"uint8_t", "-1", false}, {"unsigned short", "65536", false}, {"int", " 16\n", true},
      {"int", "16x", false}, {"int", "", false}, {"int", "2147483648", false},
      {"unsigned int", "4294967295", true}, {"long", "2147483647", true},
      {"long", "9223372036854775808", false}, {"unsigned long", "0x10", true},
      {"unsigned long", "-1", false}, {"double", "1e308", true}, {"double", "1e309", false},
      {"float", "3.5e38", false}, {"float", "-2.5", true}, {"float", ".", false},
      {"char", "a", true}, {"char", "ab", false}, {"bool", "True", false},
      {"char*", "anything", true}};
  for (const auto& c : kCases) {
    EXPECT_EQ(Ostrel::CTypeManager::LiteralProblem(c.type, c.text).empty(), c.valid)
        << c.type << " '" << c.text << "'";
  }
}
