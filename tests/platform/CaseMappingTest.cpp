// Case mapping with fixed rules for every script, whatever the host program's locale.
#include <gtest/gtest.h>

#include <clocale>

#include "platform/CaseMapping.h"

namespace Platform {
namespace {

TEST(CaseMappingTest, MapsLettersOfEveryScriptOneForOne) {
  std::wstring lower =
      L"\u00C4\u00E4\u0150\u0151\u03A3\u03C3\u0416\u0436\U00010400\U00010428\u00DF";
  std::wstring upper = lower;
  ToLowerCase(lower);
  ToUpperCase(upper);
  EXPECT_EQ(lower, L"\u00E4\u00E4\u0151\u0151\u03C3\u03C3\u0436\u0436\U00010428\U00010428\u00DF");
  EXPECT_EQ(upper, L"\u00C4\u00C4\u0150\u0150\u03A3\u03A3\u0416\u0416\U00010400\U00010400\u00DF");
}

TEST(CaseMappingTest, TurkishHostLocaleKeepsDottedI) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) GTEST_SKIP() << "no tr_TR.UTF-8 locale";
  std::wstring upper = L"i", lower = L"I";
  ToUpperCase(upper);
  ToLowerCase(lower);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(upper + lower, L"Ii");
}

}  // namespace
}  // namespace Platform
