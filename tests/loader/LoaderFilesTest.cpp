// Configuration files: reading, includes and their failures, in a fresh temporary folder.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Thrown.h"
#include "loader/CXMLResource.h"

namespace {

using Ostrel::CXMLResource;
using TestSupport::Message;
using TestSupport::Thrown;

struct LoaderFilesTest : ::testing::Test {
  void SetUp() override {
    char pattern[] = "/tmp/ostrel-loader-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Writes a document with `content` and one library holding eager beans of `names`.
  std::string Write(const std::string& name, const std::string& content,
                    const std::string& names = "") {
    const std::string path = dir + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path);
    out << "<ostrel>" << content << "<library path='lib.so'><beans>";
    if (!names.empty()) out << "<bean name='" << names << "' class='C' lazy='false'/>";
    out << "</beans></library></ostrel>";
    return path;
  }
  // The bean names, then the eager names, of the file at `path`.
  static std::string Names(const std::string& path) {
    CXMLResource resource(Platform::Utf8ToWide(path).c_str());
    std::string text;
    for (const auto& library : resource.GetLibraries()) {
      for (const auto& bean : library->beans) text += bean.name + " ";
    }
    for (const auto& name : resource.GetEagerNames()) text += name + ",";
    return text;
  }
  std::string dir;
};

TEST_F(LoaderFilesTest, MissingAndMalformedFiles) {
  auto error = Thrown([&] { Names(dir + "/none.xml"); });
  EXPECT_EQ(error.message, "File not found: " + dir + "/none.xml");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::CXMLResource");
  const std::string bad = dir + "/bad.xml";
  std::ofstream(bad) << "<ostrel>\n<library path='x'>\n  <beans </library>\n";
  EXPECT_EQ(
      Message([&] { Names(bad); }),
      "Error when parsing file: " + bad + "' - Error when parssing 'ostrel' at line 3, column 10.");
  const std::string noPath = dir + "/nopath.xml";
  std::ofstream(noPath) << "<ostrel><library/></ostrel>";
  EXPECT_EQ(Message([&] { Names(noPath); }),
            "Error (path not found) when parsing library in file '" + noPath + "'");
}

TEST_F(LoaderFilesTest, IncludesResolveAgainstTheIncludingFileAndComeFirst) {
  Write("sub/deeper/b.xml", "", "b");
  Write("sub/a.xml", "<include path='deeper/b.xml'/>", "a");
  Write("c.xml", "", "c");
  Write("main.xml", "<INCLUDE Path='sub\\a.xml'/><include path='c.xml'/>", "m");
  EXPECT_EQ(Names(dir + "/main.xml"), "b a c m b,a,c,m,");
  // A name without folder resolves its includes in the current folder.
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.c_str()), 0);
  std::string relative;
  EXPECT_NO_THROW(relative = Names("main.xml"));
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_EQ(relative, "b a c m b,a,c,m,");
  // The including file may define a name again; an included file may not.
  Write("redefine.xml", "<include path='c.xml'/>", "c");
  EXPECT_EQ(Names(dir + "/redefine.xml"), "c c c,c,");
}

TEST_F(LoaderFilesTest, IncludeFailures) {
  EXPECT_EQ(Message([&] { Names(Write("nopath.xml", "<include/>")); }),
            "Missing argument 'path' in include tag");
  EXPECT_EQ(Message([&] { Names(Write("missing.xml", "<include path='gone.xml'/>")); }),
            "File not found: " + dir + "/gone.xml");
  EXPECT_EQ(Message([&] { Names(Write("self.xml", "<include path='self.xml'/>")); }),
            "Include cycle detected: '" + dir + "/self.xml'");
  Write("sub/back.xml", "<include path='../ring.xml'/>");
  EXPECT_EQ(Message([&] { Names(Write("ring.xml", "<include path='sub/back.xml'/>")); }),
            "Include cycle detected: '" + dir + "/sub/../ring.xml'");
  // One file included twice is no cycle, but defines its beans twice.
  Write("x.xml", "", "dup");
  Write("y.xml", "", "dup");
  auto error =
      Thrown([&] { Names(Write("twice.xml", "<include path='x.xml'/><include path='y.xml'/>")); });
  EXPECT_EQ(error.message, "Overriding bean 'dup'");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::Integrate");
  EXPECT_EQ(
      Message([&] { Names(Write("again.xml", "<include path='x.xml'/><include path='x.xml'/>")); }),
      "Overriding bean 'dup'");
}

}  // namespace
