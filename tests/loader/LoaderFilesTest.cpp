// Configuration files (reading, includes and their failures, in a fresh temporary
// folder) and nesting: loops, inline beans and includes load at the documented depth on a
// thread with a small stack and fail with a clear message one level deeper or when a load
// would do too much.
#include <pthread.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "SLoadBudget.h"
#include "TestDocument.h"
#include "Thrown.h"
#include "loader/CXMLResource.h"

namespace {

using Ostrel::CXMLResource;
using TestSupport::Message;
using TestSupport::Thrown;

const int kDepth = Ostrel::Internal::LoadLimits().nesting;
const std::string kTooDeep = "Loops and inline beans may nest at most 1000 levels deep";

// Runs `work` on a thread with a 256 KiB stack; returns the message of the CException
// it threw, or "" when it threw none.
std::string OnSmallStack(std::function<void()> work) {
  std::pair<std::function<void()>, std::string> call{std::move(work), ""};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    auto* c = static_cast<std::pair<std::function<void()>, std::string>*>(argument);
    try {
      c->first();
    } catch (const Ostrel::CException& e) {
      c->second = e.GetMessage();
    }
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, run, &call), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return call.second;
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// `levels` loops inside "beans" around one bean, or inside "properties" around one
// property, or inline beans each in the constructor argument of the one before.
std::string Loops(int levels) {
  return "<ostrel><library path='l'><beans>" +
         Repeat("<for first='1' last='1' substitute='i'>", levels) +
         "<bean name='b%i%' class='C'><properties>" +
         Repeat("<foreach set='x' substitute='p'>", levels) +
         "<property name='Set%p%'><value type='int'>1</value></property>" +
         Repeat("</foreach>", levels) + "</properties></bean>" + Repeat("</for>", levels) +
         "</beans></library></ostrel>";
}
std::string InlineBeans(int levels) {
  return "<ostrel><library path='l'><beans><bean name='top' class='C'>" +
         Repeat("<constructor-arg><argument><bean class='C'>", levels) +
         Repeat("</bean></argument></constructor-arg>", levels) +
         "</bean></beans></library></ostrel>";
}

TEST(LoaderNestingTest, DocumentedDepthLoadsOnASmallStackAndOneMoreFails) {
  EXPECT_EQ(OnSmallStack([] {
              auto r = std::make_unique<CXMLResource>(Loops(kDepth / 2).c_str());
              const auto& beans = r->GetLibraries().at(0)->beans;
              ASSERT_EQ(beans.size(), 1u);
              EXPECT_EQ(beans[0].name + beans[0].properties.at(0).name, "b1Setx");
            }),
            "");
  EXPECT_EQ(OnSmallStack([] { CXMLResource(InlineBeans(kDepth).c_str()); }), "");
  for (const std::string& text : {Loops(kDepth), InlineBeans(kDepth + 1), Loops(20000)}) {
    EXPECT_EQ(OnSmallStack([&] { CXMLResource(text.c_str()); }), kTooDeep);
  }
}

// Lowers the limits of every load for the test's lifetime.
struct LowerLimits {
  explicit LowerLimits(void (*lower)(Ostrel::Internal::SLoadLimits&)) { lower(limits); }
  ~LowerLimits() { limits = saved; }
  Ostrel::Internal::SLoadLimits& limits = Ostrel::Internal::LoadLimits();
  Ostrel::Internal::SLoadLimits saved = limits;
};

std::string Nest(int outer, int inner) {
  return "<ostrel><library path='l'><beans><for first='1' last='" + std::to_string(outer) +
         "' substitute='i'><bean name='o%i%' class='C'/><for first='1' last='" +
         std::to_string(inner) + "' substitute='j'><bean name='b%i%.%j%' class='C'/>" +
         "</for></for></beans></library></ostrel>";
}

// A nested loop counts its passes in every pass still to come of the loops around it:
// a nest over the bound fails before its inner loop reads a bean, where counting pass by
// pass would first read beans up to the definition bound. One just inside loads.
TEST(LoaderBoundsTest, NestedLoopsAreChargedBeforeTheirFirstPass) {
  EXPECT_EQ(Message([] { CXMLResource(Nest(65536, 65536).c_str()); }),
            "Loops of one configuration may make at most 4194304 passes");
  LowerLimits lower([](auto& l) { l.loopPasses = 12; l.definitions = 4; });
  EXPECT_EQ(Message([] { CXMLResource(Nest(3, 4).c_str()); }),
            "Loops of one configuration may make at most 12 passes");
  lower.limits.definitions = 12;
  EXPECT_EQ(CXMLResource(Nest(3, 3).c_str()).GetLibraries().at(0)->beans.size(), 12u);
}

struct LoaderFilesTest : ::testing::Test {
  void SetUp() override {
    const auto name = "ostrel-loader-" + std::to_string(std::random_device()());
    dir = (std::filesystem::temp_directory_path() / name).string();
    ASSERT_TRUE(std::filesystem::create_directory(dir)) << dir;
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
  // The layout of the definitions in the file at `path`.
  static std::string Names(const std::string& path) {
    return TestSupport::Layout(CXMLResource(Platform::Utf8ToWide(path).c_str()));
  }
  std::string dir;
};

TEST_F(LoaderFilesTest, MalformedFiles) {
  const std::string bad = dir + "/bad.xml";
  std::ofstream(bad) << "<ostrel>\n<library path='x'>\n  <beans </library>\n";
  const auto parse = Thrown([&] { Names(bad); });
  EXPECT_EQ(parse.message, "Error when parsing file: " + bad +
                               "' - Error when parssing 'ostrel' at line 3, column 10.");
  EXPECT_EQ(parse.place, bad + ":3:10 (unexpected token inside a start tag)");
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
  EXPECT_EQ(Names(dir + "/main.xml"), "lib.so:[b,a,c,m] eager:b,a,c,m,");
  // The library is looked for in the folder of each file that names it, in reading order.
  const std::vector<std::string> folders = CXMLResource(Platform::Utf8ToWide(dir + "/main.xml").c_str())
                                               .GetLibraries().at(0)->searchFolders;
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_TRUE(std::filesystem::equivalent(folders[0], dir + "/sub/deeper")) << folders[0];
  EXPECT_TRUE(std::filesystem::equivalent(folders[1], dir + "/sub")) << folders[1];
  EXPECT_TRUE(std::filesystem::equivalent(folders[2], dir)) << folders[2];
  // A name without folder resolves its includes in the current folder.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  std::string relative;
  EXPECT_NO_THROW(relative = Names("main.xml"));
  std::filesystem::current_path(previous);
  EXPECT_EQ(relative, "lib.so:[b,a,c,m] eager:b,a,c,m,");
  // The including file may define a name again; an included file may not.
  Write("redefine.xml", "<include path='c.xml'/>", "c");
  EXPECT_EQ(Names(dir + "/redefine.xml"), "lib.so:[c,c] eager:c,c,");
}

TEST_F(LoaderFilesTest, IncludeFailures) {
  EXPECT_EQ(Message([&] { Names(Write("nopath.xml", "<include/>")); }),
            "Missing argument 'path' in include tag");
  // Placed at the include element that failed.
  const auto missing = Thrown([&] { Names(Write("missing.xml", "<include path='gone.xml'/>")); });
  EXPECT_EQ(missing.message + " @ " + missing.place,
            "File not found: " + dir + "/gone.xml @ " + dir + "/missing.xml:1:9");
  EXPECT_EQ(Message([&] { Names(Write("self.xml", "<include path='self.xml'/>")); }),
            "Include cycle detected: '" + dir + "/self.xml'");
  Write("sub/back.xml", "<include path='../ring.xml'/>");
  const auto ring = Thrown([&] { Names(Write("ring.xml", "<include path='sub/back.xml'/>")); });
  EXPECT_EQ(ring.message + " @ " + ring.place,
            "Include cycle detected: '" + dir + "/sub/../ring.xml' @ " + dir + "/sub/back.xml:1:9");
  // One file included twice is no cycle, but defines its beans twice.
  Write("x.xml", "", "dup");
  Write("y.xml", "", "dup");
  auto error =
      Thrown([&] { Names(Write("twice.xml", "<include path='x.xml'/><include path='y.xml'/>")); });
  EXPECT_EQ(error.message, "Overriding bean 'dup'");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::Integrate");
  EXPECT_EQ(error.place, dir + "/y.xml:1:39 (bean 'dup')");
  // Deeper down: a name two includes below repeats one of an earlier include of the top
  // file; a file's own name may repeat one of its own includes, and a later file's.
  Write("n/deep.xml", "", "dup");
  Write("n/mid.xml", "<include path='deep.xml'/>", "dup");
  const std::string top = Write("n/top.xml", "<include path='../x.xml'/><include path='mid.xml'/>");
  EXPECT_EQ(Thrown([&] { Names(top); }).place, dir + "/n/deep.xml:1:39 (bean 'dup')");
  EXPECT_EQ(Names(Write("n/ok.xml", "<include path='mid.xml'/>", "dup")),
            "lib.so:[dup,dup,dup] eager:dup,dup,dup,");
}

// Includes nest without a depth limit (a chain of 1,500 files loads on a small stack),
// but every file read counts: ten includes of the next level on six levels would read a
// million files.
TEST_F(LoaderFilesTest, IncludesNestWithoutLimitButFilesAreCounted) {
  for (int i = 0; i < 1500; ++i) {
    const std::string next = "<include path='c" + std::to_string(i + 1) + ".xml'/>";
    Write("c" + std::to_string(i) + ".xml", i + 1 < 1500 ? next : "", "c" + std::to_string(i));
  }
  std::string names;
  EXPECT_EQ(OnSmallStack([&] { names = Names(dir + "/c0.xml"); }), "");
  EXPECT_EQ(std::count(names.begin(), names.end(), ','), 1499 + 1500);
  for (int level = 0; level < 6; ++level) {
    const std::string next = "<include path='f" + std::to_string(level + 1) + ".xml'/>";
    Write("f" + std::to_string(level) + ".xml", level < 5 ? Repeat(next, 10) : "");
  }
  EXPECT_EQ(OnSmallStack([&] { Names(dir + "/f0.xml"); }),
            "A configuration may read at most 4096 files, its includes counted");
}

// A document (text, or any file read) and a value above their bounds fail where they
// stand, before their text is parsed or copied.
TEST_F(LoaderFilesTest, DocumentsAndValuesAreBounded) {
  const std::string big = Write("big.xml", std::string(200, ' '));
  Write("top.xml", "<include path='big.xml'/>");
  LowerLimits lower([](auto& l) { l.documentBytes = 150; l.valueBytes = 8; });
  EXPECT_EQ(Thrown([&] { Names(dir + "/top.xml"); }).place, dir + "/top.xml:1:9");
  EXPECT_EQ(Message([&] { Names(big); }),
            "A configuration document may hold at most 150 bytes: '" + big + "'");
  EXPECT_EQ(Message([] { CXMLResource(std::string(151, ' ').c_str()); }),
            "A configuration document may hold at most 150 bytes");
  const auto value = [](const char* text) {
    return "<ostrel><library path='l'><beans><bean name='b' class='C'><constructor-arg>"
           "<argument><value type='t'>" + std::string(text) +
           "</value></argument></constructor-arg></bean></beans></library></ostrel>";
  };
  lower.limits.documentBytes = 1000;
  EXPECT_NO_THROW(CXMLResource(value("12345678").c_str()));
  const auto thrown = Thrown([&] { CXMLResource(value("123456789").c_str()); });
  EXPECT_EQ(thrown.message + " @ " + thrown.place,
            "A value may hold at most 8 bytes @ <text>:1:76 (bean 'b')");
}

}  // namespace
