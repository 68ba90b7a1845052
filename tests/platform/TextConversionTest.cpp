// The UTF-8 codec (round trips at the bounds of each length, surrogates in wide strings,
// each byte sequence the decoder rejects) and case mapping with fixed rules.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <filesystem>

#include "platform/CaseMapping.h"
#include "platform/SharedLibrary.h"
#include "platform/TextConversion.h"

namespace Platform {
namespace {

// Characters at the bounds of each length round-trip; a surrogate pair in a wide string
// is one character, any other surrogate or value beyond U+10FFFF becomes U+FFFD.
// Decoding, each maximal part that cannot start a valid sequence becomes one U+FFFD, so an
// overlong form or an encoded surrogate gives one U+FFFD per byte.
TEST(TextConversionTest, RoundTripsAndEachBadPartBecomesOneReplacement) {
  const std::string utf8 =
      "\x01\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"
      "\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  const std::wstring wide = L"\x01\x7F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
  EXPECT_EQ(Utf8ToWide(utf8), wide);
  EXPECT_EQ(WideToUtf8(wide), utf8);
  std::wstring units{0xD83D, 0xDE00, 0xDE00, 0xD83D, L'x', 0xDBFF};
  std::string expected = "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBDx\xEF\xBF\xBD";
  if (sizeof(wchar_t) == 4) {  // values beyond U+10FFFF exist only with a 32-bit wchar_t
    units += {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
    expected += "\xEF\xBF\xBD\xEF\xBF\xBD";
  }
  EXPECT_EQ(WideToUtf8(units), expected);
  const auto expect = [](const std::string& utf8, std::size_t count) {
    const std::wstring replaced(count, L'\uFFFD');
    EXPECT_EQ(Utf8ToWide("<" + utf8 + ">"), L"<" + replaced + L">") << utf8;
    EXPECT_EQ(Utf8ToWide(utf8), replaced) << utf8;
  };
  // Stray bytes, overlong forms, surrogates, values beyond U+10FFFF.
  for (const char* utf8 : {"\x80", "\xBF\x80", "\xFF", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80",
                           "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                           "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"})
    expect(utf8, std::strlen(utf8));
  // Sequences cut short, by the end or by the next lead byte, are one part each.
  for (const char* utf8 : {"\xC3", "\xE2\x82", "\xF0\x9F\x98"}) expect(utf8, 1);
  expect("\xE2\x82\xE2\x82", 2);
}

TEST(CaseMappingTest, MapsLettersOfEveryScriptOneForOneWhateverTheHostLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "tr_TR.UTF-8");  // where present, its dotted and dotless i must not show
  std::wstring lower = L"Ii\u00C4\u00E4\u0150\u03A3\u0416\U00010400\U00010428\u00DF", upper = lower;
  ToLowerCase(lower);
  ToUpperCase(upper);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(lower, L"ii\u00E4\u00E4\u0151\u03C3\u0436\U00010428\U00010428\u00DF");
  EXPECT_EQ(upper, L"II\u00C4\u00C4\u0150\u03A3\u0416\U00010400\U00010400\u00DF");
}

// The file beside the module that holds an address: here, the test program itself.
TEST(SharedLibraryTest, SiblingPathIsInTheModulesFolder) {
  const std::filesystem::path sibling =
      SiblingPath(reinterpret_cast<const void*>(&SiblingPath), "x.so");
  EXPECT_EQ(sibling.filename(), "x.so");
  EXPECT_TRUE(std::filesystem::equivalent(
      sibling.parent_path(), std::filesystem::path(TEST_PROGRAM_DIR)));
}

}  // namespace
}  // namespace Platform
