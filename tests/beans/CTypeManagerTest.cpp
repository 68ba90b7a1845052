// The type names of literal arguments and how their value texts are read.
#include <gtest/gtest.h>

#include <climits>

#include "Thrown.h"
#include "beans/CTypeManager.h"
#include "beans/SArgument.h"

namespace {

const char* const kTypeNames[] = {
    "bool",        "char",           "int8_t",        "unsigned char", "uint8_t", "short",
    "int16_t",     "unsigned short", "uint16_t",      "int",           "int32_t", "unsigned int",
    "uint32_t",    "long",           "unsigned long", "float",         "double",  "char*",
    "const char*", "wchar_t*",       "const wchar_t*"};

class TypeManagerTest : public ::testing::Test {
 protected:
  // The value that `type` reads from `text`.
  template <class T>
  T Read(const char* type, const wchar_t* text) {
    auto pointer = manager.FindTypeBean(type)->CreateValuePointer(text);
    if (pointer == nullptr || pointer->GetValue() == nullptr) {
      ADD_FAILURE() << type << " gave no value";
      return T();
    }
    return *static_cast<T*>(pointer->GetValue());
  }

  void ExpectUnknown(const char* type) {
    TestSupport::ExpectThrown([&] { manager.FindTypeBean(type); },
                            "Ostrel::CTypeManager::FindTypeBean", "Could not find type bean");
  }

  Ostrel::CTypeManager manager;
};

TEST_F(TypeManagerTest, FindsTheBasicTypesButNoReferences) {
  EXPECT_EQ(manager.GetTypeCount(), 21u);
  for (const char* name : kTypeNames) {
    ASSERT_NO_THROW(manager.FindTypeBean(name)) << name;
    if (std::string(name) == "bool") continue;  // no text is not a bool
    auto pointer = manager.FindTypeBean(name)->CreateValuePointer(nullptr);
    ASSERT_NE(pointer, nullptr) << name;
    EXPECT_NE(pointer->GetValue(), nullptr) << name;
  }
  for (const char* name : {"Bean", "string", "int64_t", "char *", "", "bean", "service"}) {
    ExpectUnknown(name);
  }
  ExpectUnknown(nullptr);

  EXPECT_TRUE(Ostrel::CTypeManager::IsReference("bean"));
  EXPECT_TRUE(Ostrel::CTypeManager::IsReference("service"));
  EXPECT_FALSE(Ostrel::CTypeManager::IsReference("Bean"));
  EXPECT_FALSE(Ostrel::CTypeManager::IsReference(nullptr));
}

TEST_F(TypeManagerTest, NumbersReadTheLeadingNumberAndNeverFail) {
  EXPECT_EQ(Read<int>("int", L" 42abc"), 42);
  EXPECT_EQ(Read<int>("int", L"abc"), 0);
  EXPECT_EQ(Read<int>("int32_t", L"-99999999999"), INT_MIN);
  EXPECT_EQ(Read<unsigned int>("unsigned int", L"4000000000"), 2147483647u);
  EXPECT_EQ(Read<unsigned int>("uint32_t", L"0x1F"), 0u);
  EXPECT_EQ(Read<long>("long", L"-5000000000"), -5000000000L);
  // Smaller types keep the low bits.
  EXPECT_EQ(Read<signed char>("int8_t", L"300"), 44);
  EXPECT_EQ(Read<unsigned char>("uint8_t", L"256"), 0);
  EXPECT_EQ(Read<short>("int16_t", L"40000"), -25536);
  EXPECT_EQ(Read<unsigned short>("unsigned short", L"65537"), 1);
  // Only unsigned long takes the base from the text.
  EXPECT_EQ(Read<unsigned long>("unsigned long", L"0x1F"), 31ul);
  EXPECT_EQ(Read<unsigned long>("unsigned long", L"010"), 8ul);
  EXPECT_EQ(Read<unsigned long>("unsigned long", L"18446744073709551615"), ULONG_MAX);
  EXPECT_FLOAT_EQ(Read<float>("float", L" -0.125xyz"), -0.125f);
  EXPECT_DOUBLE_EQ(Read<double>("double", L"1.5e3"), 1500.0);
  EXPECT_DOUBLE_EQ(Read<double>("double", L".25"), 0.25);
  EXPECT_DOUBLE_EQ(Read<double>("double", L"abc"), 0.0);
}

TEST_F(TypeManagerTest, BoolAcceptsExactlyTrueAndFalse) {
  EXPECT_TRUE(Read<bool>("bool", L"true"));
  EXPECT_FALSE(Read<bool>("bool", L"false"));
  for (const wchar_t* text : {L"True", L"1", L" true", L"false ", L""}) {
    TestSupport::ExpectThrown([&] { Read<bool>("bool", text); },
                            "`anonymous-namespace'::stringToBool", "Invalid bool value");
  }
}

TEST_F(TypeManagerTest, CharactersAndStrings) {
  EXPECT_EQ(Read<char>("char", L"xyz"), 'x');
  EXPECT_EQ(Read<char>("char", L""), '\0');
  const wchar_t* text = L"Gr\u00fc\u00dfe \u20ac \U0001F600";
  const char* utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(Read<std::string>("char*", text), utf8);
  EXPECT_EQ(Read<std::string>("const char*", text), utf8);
  EXPECT_EQ(Read<std::wstring>("wchar_t*", text), text);
  EXPECT_EQ(Read<std::wstring>("const wchar_t*", L""), L"");
}

}  // namespace
