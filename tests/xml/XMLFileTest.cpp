// Reading files: UTF-16 of both byte orders with and without a mark, the UTF-8 mark,
// and the faults that have no place in the text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/TextConversion.h"
#include "EXMLResult.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace {

class XMLFileTest : public ::testing::Test {
protected:
  XMLNode ParseBytes(const std::string& bytes, const char* tag = nullptr) {
    const std::string path = ::testing::TempDir() + "ostrel_xml_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    results_ = SXMLResults{-1, -1, -1};
    XMLNode node = XMLNode::ParseFile(Platform::Utf8ToWide(path).c_str(), tag, &results_);
    std::remove(path.c_str());
    return node;
  }

  // UTF-8 to UTF-16 with surrogate pairs, in the given byte order.
  static std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string out;
    for (wchar_t wide : Platform::Utf8ToWide(utf8)) {
      std::u16string units;
      const std::uint32_t cp = static_cast<std::uint32_t>(wide);
      if (cp >= 0x10000) {
        units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        units += static_cast<char16_t>(cp);
      }
      for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
      }
    }
    return out;
  }

  SXMLResults results_{};
};

const char kDocument[] =
    "<config version='2'>\n  <bean name='caf\xC3\xA9'>\xF0\x9F\x98\x80 &amp; more</bean>\n</config>";

TEST_F(XMLFileTest, Utf16InEitherByteOrderWithOrWithoutMarkReadsLikeUtf8) {
  const std::string variants[] = {
      kDocument,
      "\xEF\xBB\xBF" + std::string(kDocument),
      "\xFF\xFE" + Utf16(kDocument, false),
      "\xFE\xFF" + Utf16(kDocument, true),
      Utf16(kDocument, false),
      Utf16(kDocument, true),
  };
  for (const std::string& bytes : variants) {
    XMLNode config = ParseBytes(bytes);
    EXPECT_EQ(results_.code, eXMLOk);
    EXPECT_STREQ(config.GetAttribute("version"), "2");
    EXPECT_STREQ(config.GetChild("bean").GetAttribute("name"), "caf\xC3\xA9");
    EXPECT_STREQ(config.GetChild("bean").GetText(), "\xF0\x9F\x98\x80 & more");
  }
}

TEST_F(XMLFileTest, FaultsOutsideTheTextHaveNoPlace) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"", eXMLEmptyFile},
      {"\xFF\xFE<\0a", eXMLBadUtf16},                   // odd byte count
      {"\xFF\xFE<\0\x00\xDC>\0", eXMLBadUtf16},         // lone low surrogate
      {std::string("\xFE\xFF\0<\xD8\x00\0>", 8), eXMLBadUtf16},  // high without low
      {std::string("<\0a\0/\0>\0<", 9), eXMLBadUtf16},  // UTF-16 by its zeros, odd count
      {"\xFF\xFE", eXMLOk},
  };
  for (const auto& [bytes, code] : cases) {
    XMLNode node = ParseBytes(bytes);
    EXPECT_EQ(results_.code, code);
    EXPECT_EQ(results_.line, 0);
    EXPECT_EQ(node.IsEmpty(), code != eXMLOk);
  }
  SXMLResults results;
  EXPECT_TRUE(XMLNode::ParseFile(L"/nonexistent/ostrel/none.xml", nullptr, &results).IsEmpty());
  EXPECT_EQ(results.code, eXMLCannotOpen);
  XMLNode::ParseFile(nullptr, nullptr, &results);
  EXPECT_EQ(results.code, eXMLCannotOpen);
}

}  // namespace
}  // namespace Ostrel
