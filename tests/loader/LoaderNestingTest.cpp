// Nesting and the bounds of a load's work at the loader: loops, properties, inline
// beans and includes load at the documented depth on a thread with a small stack, and
// fail with a clear message one level deeper or when a load would do too much.
#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "SLoadBudget.h"
#include "Thrown.h"
#include "loader/CXMLResource.h"

namespace {

using Ostrel::CXMLResource;

const int kDepth = Ostrel::Internal::LoadLimits().nesting;
const std::string kTooDeep = "Loops and inline beans may nest at most 1000 levels deep";

// Runs `work` on a thread with a 256 KiB stack; returns the message of the CException
// it threw, or "" when it threw none.
std::string OnSmallStack(const std::function<void()>& work) {
  struct SCall {
    const std::function<void()>* work;
    std::string message;
  } call{&work, ""};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    auto* c = static_cast<SCall*>(argument);
    CaptureLog::Clear();
    try {
      (*c->work)();
    } catch (const Ostrel::CException&) {
      const std::wstring logged = CaptureLog::Records().back().message;  // Ostrel-Exception: "..."
      c->message = Platform::WideToUtf8(logged.substr(19, logged.size() - 20));
    }
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, run, &call), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return call.message;
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

TEST(LoaderNestingTest, IncludesNestWithoutLimitButFilesAreCounted) {
  char pattern[] = "/tmp/ostrel-nesting-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path dir = pattern;
  auto write = [&](const std::string& name, const std::string& includes, int times) {
    // Only the chain's files define beans; the others are included many times.
    std::ofstream(dir / (name + ".xml"))
        << "<ostrel>" << Repeat("<include path='" + includes + ".xml'/>", times)
        << (name[0] == 'c'
                ? "<library path='l'><beans><bean name='" + name + "' class='C'/></beans></library>"
                : "")
        << "</ostrel>";
  };
  // A chain of 1,500 files, each including the next.
  for (int i = 0; i < 1500; ++i)
    write("c" + std::to_string(i), "c" + std::to_string(i + 1), i + 1 < 1500);
  EXPECT_EQ(OnSmallStack([&] {
              CXMLResource r((dir / "c0.xml").wstring().c_str());
              EXPECT_EQ(r.GetLibraries().at(0)->beans.size(), 1500u);
            }),
            "");
  // Ten includes of the next level on each of six levels would read a million files.
  for (int level = 0; level < 6; ++level)
    write("f" + std::to_string(level), "f" + std::to_string(level + 1), level < 5 ? 10 : 0);
  EXPECT_EQ(OnSmallStack([&] { CXMLResource((dir / "f0.xml").wstring().c_str()); }),
            "A configuration may read at most 4096 files, its includes counted");
  std::filesystem::remove_all(dir);
}

}  // namespace
