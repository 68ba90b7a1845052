// The UTF-8 codec: round trips at the bounds of each length, surrogates in wide strings,
// and each byte sequence that the decoder rejects.
#include <gtest/gtest.h>

#include "platform/TextConversion.h"

namespace Platform {
namespace {

TEST(TextConversionTest, RoundTripsCharactersOfOneToFourBytes) {
  const std::string utf8 = "\x01\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"
                           "\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  const std::wstring wide = L"\x01\x7F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
  EXPECT_EQ(Utf8ToWide(utf8), wide);
  EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(TextConversionTest, SurrogatePairIsOneCharacterAndOtherSurrogatesAreReplaced) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xDE00), wchar_t(0xD83D), L'x', wchar_t(0xDBFF)}),
            bad + bad + "x" + bad);
  const std::wstring beyond = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
  if (sizeof(wchar_t) == 4) {
    EXPECT_EQ(WideToUtf8(beyond), bad + bad);  // no such values in 16 bits
  }
}

TEST(TextConversionTest, EachMaximalBadPartBecomesOneReplacement) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"\x80", 1}, {"\xBF\x80", 2},                                                    // stray
      {"\xC0\x80", 2}, {"\xC1\xBF", 2}, {"\xE0\x9F\xBF", 3}, {"\xF0\x8F\xBF\xBF", 4},  // overlong
      {"\xED\xA0\x80", 3}, {"\xED\xBF\xBF", 3},                                        // surrogates
      {"\xF4\x90\x80\x80", 4}, {"\xF5\x80\x80\x80", 4}, {"\xFF", 1},                   // > U+10FFFF
      {"\xC3", 1}, {"\xE2\x82", 1}, {"\xF0\x9F\x98", 1}, {"\xE2\x82\xE2\x82", 2}};     // truncated
  for (const auto& [utf8, count] : cases) {
    const std::wstring replaced(count, L'\uFFFD');
    EXPECT_EQ(Utf8ToWide(std::string("<") + utf8 + ">"), L"<" + replaced + L">") << utf8;
    EXPECT_EQ(Utf8ToWide(utf8), replaced) << utf8;
  }
}

}  // namespace
}  // namespace Platform
