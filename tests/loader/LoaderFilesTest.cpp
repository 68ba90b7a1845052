// Configuration files: reading, encodings, includes and their failures. Every test
// writes its files into a fresh temporary folder.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "loader/CXMLResource.h"
#include "Thrown.h"

namespace {

using TestSupport::Message;
using TestSupport::Thrown;
using Ostrel::CXMLResource;

struct LoaderFilesTest : ::testing::Test {
  void SetUp() override {
    char pattern[] = "/tmp/ostrel-loader-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Writes `text` (UTF-8) to dir/name; with a byte order, as UTF-16 with a BOM.
  std::string Write(const std::string& name, const std::string& text, int utf16 = 0) {
    const std::string path = dir + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    if (utf16 == 0) {
      out << text;
    } else {
      const std::wstring wide = Platform::Utf8ToWide(text);
      auto put = [&](unsigned unit) {
        const char bytes[2] = {static_cast<char>(utf16 < 0 ? unit & 0xFF : unit >> 8),
                               static_cast<char>(utf16 < 0 ? unit >> 8 : unit & 0xFF)};
        out.write(bytes, 2);
      };
      put(0xFEFF);
      for (wchar_t c : wide) put(static_cast<unsigned>(c));  // the texts here stay in the BMP
    }
    return path;
  }

  std::unique_ptr<CXMLResource> Load(const std::string& path) {
    return std::make_unique<CXMLResource>(Platform::Utf8ToWide(path).c_str());
  }
  std::string Bean(const char* name, const char* extra = "") {
    return std::string("<bean name='") + name + "' class='C' lazy='false' " + extra + "/>";
  }
  std::string Doc(const std::string& content, const std::string& beans = "") {
    return "<ostrel>" + content + "<library path='lib.so'><beans>" + beans +
           "</beans></library></ostrel>";
  }
  std::string Names(const CXMLResource& resource) {
    std::string text;
    for (const auto& library : resource.GetLibraries()) {
      for (const auto& bean : library->beans) text += bean.name + " ";
    }
    return text;
  }
  std::string Eager(const CXMLResource& resource) {
    std::string text;
    for (const auto& name : resource.GetEagerNames()) text += name + " ";
    return text;
  }

  std::string dir;
};

TEST_F(LoaderFilesTest, MissingAndMalformedFiles) {
  const std::string missing = dir + "/none.xml";
  auto error = Thrown([&] { Load(missing); });
  EXPECT_EQ(error.message, "File not found: " + missing);
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::CXMLResource");
  const std::string bad = Write("bad.xml", "<ostrel>\n<library path='x'>\n  <beans </library>\n");
  EXPECT_EQ(Message([&] { Load(bad); }), "Error when parsing file: " + bad +
                                             "' - Error when parssing 'ostrel' at line 3, column 10.");
  const std::string other = Write("other.xml", "<config/>");
  EXPECT_EQ(Message([&] { Load(other); }),
            "Error when parsing file: " + other + "' - Error when parssing 'ostrel'.");
  const std::string noPath = Write("nopath.xml", "<ostrel><library/></ostrel>");
  auto library = Thrown([&] { Load(noPath); });
  EXPECT_EQ(library.message, "Error (path not found) when parsing library in file '" + noPath + "'");
  EXPECT_EQ(library.function, "Ostrel::CXMLResource::parseLibrary");
}

TEST_F(LoaderFilesTest, EncodingsLoadAlike) {
  const std::string text = "<?xml version='1.0'?>\n" +
                           Doc("", Bean("caf\xC3\xA9") + "<bean name='x' class='C'><constructor-arg>"
                                   "<argument><value type='wchar_t*'>\xE2\x82\xAC 5</value></argument>"
                                   "</constructor-arg></bean>");
  const char* names[] = {"utf8.xml", "le.xml", "be.xml"};
  const int orders[] = {0, -1, 1};
  for (int i = 0; i < 3; ++i) {
    auto r = Load(Write(names[i], text, orders[i]));
    EXPECT_EQ(Names(*r), "caf\xC3\xA9 x ") << names[i];
    EXPECT_EQ(r->GetLibraries().at(0)->beans.at(1).constructorArguments.at(0).value, "\xE2\x82\xAC 5");
  }
}

TEST_F(LoaderFilesTest, IncludesResolveAgainstTheIncludingFile) {
  Write("sub/deeper/b.xml", Doc("", Bean("b")));
  Write("sub/a.xml", Doc("<include path='deeper/b.xml'/>", Bean("a")));
  Write("c.xml", Doc("", Bean("c")));
  const std::string main =
      Write("main.xml", Doc("<INCLUDE Path='sub\\a.xml'/><include path='c.xml'/>", Bean("m")));
  auto r = Load(main);
  EXPECT_EQ(Names(*r), "b a c m ");
  EXPECT_EQ(Eager(*r), "b a c m ");
  ASSERT_EQ(r->GetLibraries().size(), 1u);

  // A name without folder resolves its includes in the current folder.
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.c_str()), 0);
  std::unique_ptr<CXMLResource> relative;
  EXPECT_NO_THROW(relative = Load("main.xml"));
  ASSERT_EQ(chdir(previous.c_str()), 0);
  ASSERT_NE(relative, nullptr);
  EXPECT_EQ(Names(*relative), "b a c m ");
}

TEST_F(LoaderFilesTest, IncludeFailures) {
  const std::string noPath = Write("nopath.xml", Doc("<include/>"));
  EXPECT_EQ(Message([&] { Load(noPath); }), "Missing argument 'path' in include tag");
  const std::string missing = Write("missing.xml", Doc("<include path='gone.xml'/>"));
  EXPECT_EQ(Message([&] { Load(missing); }), "File not found: " + dir + "/gone.xml");

  const std::string self = Write("self.xml", Doc("<include path='self.xml'/>"));
  EXPECT_EQ(Message([&] { Load(self); }), "Include cycle detected: '" + dir + "/self.xml'");
  Write("sub/back.xml", Doc("<include path='../ring.xml'/>"));
  const std::string ring = Write("ring.xml", Doc("<include path='sub/back.xml'/>"));
  EXPECT_EQ(Message([&] { Load(ring); }), "Include cycle detected: '" + dir + "/sub/../ring.xml'");

  // One file included twice is no cycle, but defines its beans twice.
  Write("x.xml", Doc("", Bean("dup")));
  Write("y.xml", Doc("", Bean("dup")));
  const std::string twice = Write("twice.xml", Doc("<include path='x.xml'/><include path='y.xml'/>"));
  auto error = Thrown([&] { Load(twice); });
  EXPECT_EQ(error.message, "Overriding bean 'dup'");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::Integrate");
  const std::string again = Write("again.xml", Doc("<include path='x.xml'/><include path='x.xml'/>"));
  EXPECT_EQ(Message([&] { Load(again); }), "Overriding bean 'dup'");
}

TEST_F(LoaderFilesTest, IncludingFileMayRedefineAnIncludedName) {
  Write("x.xml", Doc("", Bean("dup", "singleton='true'")));
  const std::string main = Write("main.xml", Doc("<include path='x.xml'/>", Bean("dup")));
  auto r = Load(main);
  EXPECT_EQ(Names(*r), "dup dup ");
  EXPECT_EQ(Eager(*r), "dup dup ");
  EXPECT_TRUE(r->GetLibraries()[0]->beans[0].singleton);
}

}  // namespace
