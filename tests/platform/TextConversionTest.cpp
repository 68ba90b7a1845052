// The UTF-8 codec: round trips at the boundaries of each length, surrogates in wide
// strings, and every byte sequence the decoder rejects.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextConversion.h"

namespace Platform {
namespace {

TEST(TextConversionTest, RoundTripsCharactersOfOneToFourBytes) {
  const struct {
    const char* utf8;
    const wchar_t* wide;
  } cases[] = {{"\x01\x7F", L"\x01\x7F"},
               {"\xC2\x80\xDF\xBF", L"\u0080\u07FF"},
               {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", L"\u0800\uD7FF\uE000\uFFFF"},
               {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", L"\U00010000\U0010FFFF"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8);
  }
}

TEST(TextConversionTest, SurrogatePairIsOneCharacterAndOtherSurrogatesAreReplaced) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xDE00), wchar_t(0xD83D), L'x', wchar_t(0xDBFF)}),
            bad + bad + "x" + bad);
  if (sizeof(wchar_t) == 4) {
    EXPECT_EQ(WideToUtf8(std::wstring{static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)}), bad + bad);
  }
}

TEST(TextConversionTest, EachBadSequenceBecomesOneReplacementPerMaximalPart) {
  const struct {
    const char* utf8;
    std::size_t replacements;
  } cases[] = {{"\x80", 1}, {"\xBF\x80", 2},                                      // stray continuations
               {"\xC0\x80", 2}, {"\xC1\xBF", 2}, {"\xE0\x9F\xBF", 3}, {"\xF0\x8F\xBF\xBF", 4},  // overlong
               {"\xED\xA0\x80", 3}, {"\xED\xBF\xBF", 3},                          // surrogates
               {"\xF4\x90\x80\x80", 4}, {"\xF5\x80\x80\x80", 4}, {"\xFF", 1},      // above U+10FFFF
               {"\xC3", 1}, {"\xE2\x82", 1}, {"\xF0\x9F\x98", 1}, {"\xE2\x82\xE2\x82", 2}};  // truncated
  for (const auto& c : cases) {
    const std::wstring replaced(c.replacements, L'\uFFFD');
    EXPECT_EQ(Utf8ToWide(std::string("<") + c.utf8 + ">"), L"<" + replaced + L">") << c.utf8;
    EXPECT_EQ(Utf8ToWide(c.utf8), replaced) << c.utf8;
  }
}

}  // namespace
}  // namespace Platform
