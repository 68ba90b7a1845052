// End-to-end scenarios of the container facade and the application base, through what
// libostrel.so exports: how containers find their factory, resets and their log,
// failing loads, and the configuration phase of an application.
#include <fstream>
#include <functional>
#include <regex>

#include "RecordingWrapper.h"
#include "TestDocument.h"
#include "Thrown.h"  // brings GoogleTest, <ostrel/Ostrel.h> and the captured log

namespace {

using namespace TestSupport;
using Ostrel::CContainer;

std::string Beans(const std::string& beans) { return Document(Library(PLUGIN_TWO, beans)); }
const std::string kBasket = Beans(Bean("basket", "CBasket"));
const std::string kOrder = Beans(Bean("order", "shop::COrder"));
const std::wstring kDone = L"Configuration loading successful (loading time: T)";

// Messages of the Info records since the last Clear, the loading time replaced by "T".
std::vector<std::wstring> Infos() {
  std::vector<std::wstring> messages;
  for (const auto& r : CaptureLog::Records())
    if (r.level == Logging::Info)
      messages.push_back(regex_replace(r.message, std::wregex(L"\\d+\\.\\d{3} ms"), L"T"));
  return messages;
}

// Starts with an empty log; a default factory left over would leak into the next test.
class ContainerTest : public ::testing::Test {
  void SetUp() override { CaptureLog::Clear(); }
  void TearDown() override { EXPECT_FALSE(CContainer().Exists("basket")) << "left over"; }
};

TEST_F(ContainerTest, IntegratedShareStandAloneAndCopiesAreIsolatedMovedFromThrows) {
  {
    CContainer baskets(kBasket.c_str(), true), orders(kOrder.c_str(), true);
    CContainer alone(kBasket.c_str(), false), copy(alone);  // the same name: no override
    EXPECT_TRUE(CContainer().Exists("order") && orders.Exists("basket"));
    EXPECT_FALSE(copy.Exists("order") || CContainer(nullptr).Exists("basket"));
    copy.Reset();  // empties the original, nothing else
    EXPECT_TRUE(!alone.Exists("basket") && baskets.Exists("basket"));

    CContainer moved(std::move(copy));
    EXPECT_THROW(copy.Exists("basket"), Ostrel::CException);
    EXPECT_EQ(Message([&] { copy.Reset(); }), "The container holds no factory (moved from)");
  }
  // No integrated container is left: the next one starts from an empty default factory.
  CContainer again(kBasket.c_str(), true);
  EXPECT_FALSE(again.Exists("order"));
}

TEST_F(ContainerTest, LoadsAndResetsLogTheirSourceAndMode) {
  const std::string path = ::testing::TempDir() + "ostrel-container-orders.xml";
  std::ofstream(path) << kOrder;
  const std::wstring file(path.begin(), path.end());
  CContainer integrated(kBasket.c_str(), true), alone(file.c_str(), false), attached,
      empty(nullptr);
  for (CContainer* container : {&attached, &empty}) container->Reset();
  integrated.Reset(file.c_str());
  alone.Reset(kBasket.c_str());
  std::remove(path.c_str());
  EXPECT_TRUE(integrated.Exists("order") && alone.Exists("basket"));
  EXPECT_FALSE(integrated.Exists("basket") || alone.Exists("order"));
  EXPECT_EQ(Infos(),
            (std::vector<std::wstring>{
                L"Loading configuration from xml (integration)...", kDone,
                L"Loading configuration from file '" + file + L"' (stand-alone)...", kDone,
                L"Attaching configuration to default factory", L"Creating empty configuration",
                L"Resetting integrated configuration", L"Resetting stand-alone configuration",
                L"Resetting configuration from file '" + file + L"' (integration)...", kDone,
                L"Resetting configuration from xml (stand-alone)...", kDone}));
}

// A bean whose init method runs the test's code.
struct CHook : CbReferenceCounted {
  static inline std::function<void()> s_init;
  void Init() { s_init(); }
};
struct CHookWrapper : Ostrel::CBeanWrapper<CHook> {
  CHookWrapper() : CBeanWrapper("CHook") {
    Constructor<>("CHook");
    Method("Init", &CHook::Init);
  }
};

// Code that a factory runs (here an init method in the start-up pass) cannot reset or
// load that factory; it may load another one.
TEST_F(ContainerTest, ResetOrLoadFromInsideTheFactoryIsRefused) {
  Ostrel::RegisterBeanClass<CHookWrapper>("CHook");
  CContainer attached;
  std::vector<std::string> met;  // by the init method: who refused, then another load
  CHook::s_init = [&] {
    met.push_back(Thrown([&] { attached.Reset(); }).function);
    met.push_back(Thrown([&] { attached.Reset(kOrder.c_str()); }).function);
    met.push_back(Thrown([&] { CContainer(kOrder.c_str(), true); }).function);
    met.push_back(CContainer(kOrder.c_str(), false).Exists("order") ? "loaded" : "not loaded");
  };
  const std::string hook = Bean("hook", "CHook", "lazy=\"false\" init-method=\"Init\"");
  CContainer integrated(Beans(hook).c_str(), true);
  CHook::s_init = nullptr;
  const std::string reset = "Ostrel::CBeanFactoryImpl::Reset";
  EXPECT_EQ(met, (std::vector<std::string>{reset, reset, "Ostrel::CBeanFactoryImpl::Integrate",
                                           "loaded"}));
  EXPECT_TRUE(integrated.Exists("hook") && !integrated.Exists("order"));
}

TEST_F(ContainerTest, FailedLoadThrowsAndLeavesWhatWasLoadedBefore) {
  CContainer held(kOrder.c_str(), true);
  const std::string bad = Beans(Bean("first", "CBasket") + Bean("second", "CBasket", "lazy=\"x\""));
  // What was loaded before stays and nothing of the failed load does: "order" clashes
  // and "first" loads again below.
  EXPECT_THROW(CContainer(bad.c_str(), true), Ostrel::CException);
  // A name loaded before rejects the whole integrated load before anything is made.
  const std::string clash = Beans(Bean("made", "CBasket", "lazy=\"false\" singleton=\"true\"") +
                                  Bean("order", "CBasket"));
  EXPECT_EQ(Message([&] { CContainer(clash.c_str(), true); }), "Overriding bean 'order'");
  Ostrel::SBeanStatisticsEntry entry{};
  EXPECT_FALSE(Ostrel::GetBeanStatistics("made", entry) || held.Exists("made"));
  // A non-lazy bean that cannot be made is logged and the load succeeds; the start-up
  // pass of every later load tries it again.
  const std::string unmakeable = Bean("no", "CMissing", "lazy=\"false\"");  // no maker
  CContainer ok(Beans(Bean("first", "CBasket") + unmakeable).c_str(), true);
  const std::wstring failed = L"Could not resolve bean 'no', unknown exception was thrown";
  EXPECT_EQ(CaptureLog::WithMessage(failed).size(), 1u);
  CContainer(kBasket.c_str(), true);
  EXPECT_EQ(CaptureLog::WithMessage(failed).size(), 2u);
}

// Runs the test's code for step 1 of the configuration and for its fallback.
using Text = std::function<std::wstring()>;
struct CApplication : Ostrel::AApplication {
  Text configure, fallback = [] { return std::wstring(); };
  int fallbacks = 0;
  bool Start() override { return true; }
  void Stop() override {}
  std::wstring GetConfigurationText(Ostrel::EConfigurationStep step) override {
    return step == Ostrel::eConfigurationStepStartup ? configure() : L"";
  }
  std::wstring GetFallbackConfigurationText(Ostrel::EConfigurationStep step) override {
    ++fallbacks;
    return step == Ostrel::eConfigurationStepStartup ? fallback() : L"";
  }
  // Loads `xml` into a container of the application; returns a configuration text.
  std::wstring Load(const std::string& xml, const wchar_t* text = L"basket") {
    SetContainer(new CContainer(xml.c_str(), true));
    return text;
  }
  using AApplication::GetContainer;
};

// The fallback is asked for only when the configuration text is empty; a configuration
// or fallback that throws makes Init fail.
TEST_F(ContainerTest, ApplicationInitLogsAroundTheConfigurationAndFailsWhenItThrows) {
  for (const wchar_t* text : {L"basket", L""}) {
    CaptureLog::Clear();
    CApplication application;
    application.configure = [&] { return application.Load(kBasket, text); };
    ASSERT_TRUE(application.Init());
    EXPECT_EQ(application.fallbacks, *text ? 0 : 1);
    EXPECT_TRUE(application.GetContainer()->Exists("basket") && application.Exit());
    const auto messages = Infos();  // the container's load logs two in between
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages.front(), L"Loading configuration:");
    EXPECT_EQ(messages.back(), kDone);
  }
  for (bool inFallback : {false, true}) {
    for (bool loading : {false, true}) {
      CaptureLog::Clear();
      CApplication application;
      const Text throwing = [&] {
        return loading ? application.Load("<ostrel><library") : throw 7;
      };
      application.configure = inFallback ? application.fallback : throwing;
      application.fallback = throwing;
      EXPECT_FALSE(application.Init());
      EXPECT_EQ(Infos().front(), L"Loading configuration:");
      EXPECT_NE(Infos().back(), kDone);
    }
  }
}

// Copies hold containers of their own on one factory: each Exit releases its own, the
// singletons go with the last, and a repeated Exit does nothing.
TEST_F(ContainerTest, ApplicationExitDestroysTheContainerOnce) {
  CApplication application;
  application.Load(Beans(Bean("basket", "CBasket", "singleton=\"true\"")));
  std::atomic<int> destroyed{0};
  if (auto basket = application.GetContainer()->GetBean<TestPlugin::CRecordedBean>("basket")) {
    basket->destroyed = &destroyed;  // the singleton cache keeps the last reference
  }
  CApplication copy(application), assigned;
  assigned = copy;
  EXPECT_TRUE(copy.Exit() && application.Exit() && assigned.GetContainer()->Exists("basket"));
  EXPECT_EQ(destroyed.load(), 0);
  EXPECT_TRUE(assigned.Exit() && assigned.Exit());
  EXPECT_EQ(destroyed.load(), 1);
}

}  // namespace
