// End-to-end scenarios of the container facade and the application base, through what
// libostrel.so exports: how containers find their factory, resets and their log,
// failing loads, and the configuration phase of an application.
#include <fstream>
#include <functional>
#include <random>
#include <regex>

#include "Environment.h"
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

// Starts with an empty log. The default factory must go with the last integrated
// container: one left over would leak into the next test.
class ContainerTest : public ::testing::Test {
  void SetUp() override { CaptureLog::Clear(); }
  void TearDown() override { EXPECT_FALSE(CContainer().Exists("basket")) << "left over"; }
};

// Integrated containers share the default factory; a stand-alone one and its copies share
// a factory of their own, so the same name loads in both. Every load and reset logs its
// source and mode.
TEST_F(ContainerTest, ModesShareOrIsolateFactoriesAndLogLoadsAndResets) {
  const std::string path = ::testing::TempDir() + "ostrel-container-orders-" +
                           std::to_string(std::random_device()()) + ".xml";
  std::ofstream(path) << kOrder;
  const std::wstring file(path.begin(), path.end());
  CContainer integrated = CContainer::FromFile(path, true), alone(kBasket.c_str(), false),
             attached, empty(nullptr), copy(alone);
  EXPECT_TRUE(attached.Exists("order") && copy.Exists("basket"));
  EXPECT_FALSE(integrated.Exists("basket") || alone.Exists("order") || empty.Exists("order"));
  for (CContainer* container : {&attached, &empty}) container->Reset();
  EXPECT_FALSE(integrated.Exists("order"));
  integrated.Reset(kBasket.c_str());
  copy.ResetFromFile(path);  // empties the original and loads into it
  std::remove(path.c_str());
  EXPECT_TRUE(attached.Exists("basket") && alone.Exists("order") && !alone.Exists("basket"));
  EXPECT_EQ(Infos(),
            (std::vector<std::wstring>{
                L"Loading configuration from file '" + file + L"' (integration)...", kDone,
                L"Loading configuration from xml (stand-alone)...", kDone,
                L"Attaching configuration to default factory", L"Creating empty configuration",
                L"Resetting integrated configuration", L"Resetting stand-alone configuration",
                L"Resetting configuration from xml (integration)...", kDone,
                L"Resetting configuration from file '" + file + L"' (stand-alone)...", kDone}));
  CContainer moved(std::move(copy));
  EXPECT_EQ(Message([&] { copy.Reset(); }), "The container holds no factory (moved from)");
}

// A loading reset reads the new configuration aside: one that fails to load leaves the
// old one in place; one that loads replaces it and drops, with a record, what client
// code registered.
TEST_F(ContainerTest, LoadingResetsSwapOrChangeNothing) {
  CContainer alone(kBasket.c_str(), false);
  EXPECT_THROW(alone.Reset("<ostrel><library path=''/></ostrel>"), Ostrel::CException);
  EXPECT_TRUE(alone.Exists("basket"));
  struct CClientService : CbReferenceCounted {};
  alone.GetFactory()->RegisterInstance("{client}", false, new CClientService, nullptr);
  alone.Reset(kOrder.c_str());
  EXPECT_TRUE(alone.Exists("order") && !alone.Exists("basket"));
  EXPECT_EQ(alone.GetServiceCount("{client}"), 0u);
  EXPECT_EQ(CaptureLog::CountMessage(L"Reset drops 1 service registration(s) made by client code"),
            1u);
  // A relative library path is looked for in the load's plug-in path.
  const std::string plugin = PLUGIN_TWO, folder = plugin.substr(0, plugin.rfind('/'));
  const std::string relative = Document(Library(plugin.substr(folder.size() + 1), Bean("o", "shop::COrder")));
  alone.Reset(relative.c_str());
#if !defined(_WIN32)  // Windows also looks in the program's folder, where the plug-ins are
  EXPECT_THROW(alone.Exists("o"), Ostrel::CException);
#endif
  Ostrel::SLoadOptions options;
  options.pluginPath = {folder};
  alone.Reset(relative.c_str(), options);
  EXPECT_TRUE(alone.Exists("o"));
}

// A bean whose constructor runs the test's code.
struct CHook : CbReferenceCounted {
  static inline std::function<void()> s_made;
  CHook() { s_made(); }
};
struct CHookWrapper : Ostrel::CBeanWrapper<CHook> {
  CHookWrapper() : CBeanWrapper("CHook") { Constructor<>("CHook"); }
};

// Code that a factory runs (here a constructor in the start-up pass) cannot reset or
// load that factory; it may load another one. A non-lazy bean that cannot be made is
// logged and the load succeeds; the start-up pass of every later load tries it again.
TEST_F(ContainerTest, RefusedAndFailingLoadsLeaveWhatWasLoadedBefore) {
  Ostrel::RegisterBeanClass<CHookWrapper>("CHook");
  std::vector<std::string> met;  // by the constructor: who refused, then another load
  CHook::s_made = [&] {
    met.push_back(Thrown([] { CContainer().Reset(); }).function);
    met.push_back(Thrown([&] { CContainer(kOrder.c_str(), true); }).function);
    met.push_back(CContainer(kOrder.c_str(), false).Exists("order") ? "loaded" : "not loaded");
  };
  CContainer integrated(Beans(Bean("hook", "CHook", "lazy=\"false\"")).c_str(), true);
  CHook::s_made = nullptr;
  EXPECT_EQ(met, (std::vector<std::string>{"Ostrel::CBeanFactoryImpl::Reset",
                                           "Ostrel::CBeanFactoryImpl::Integrate", "loaded"}));
  EXPECT_TRUE(integrated.Exists("hook") && !integrated.Exists("order"));
  CContainer(Beans(Bean("no", "CMissing", "lazy=\"false\"")).c_str(), true);  // no maker
  const std::wstring failed = L"Could not resolve bean 'no', unknown exception was thrown";
  EXPECT_EQ(CaptureLog::CountMessage(failed), 1u);
  CContainer(kBasket.c_str(), true);
  EXPECT_EQ(CaptureLog::CountMessage(failed), 2u);
}

// A strict load or reset that fails its check changes nothing and is placed at the first
// error; one whose load-time bean cannot be made fails too. OSTREL_STRICT=1 makes every
// load strict.
TEST_F(ContainerTest, FailedStrictLoadsChangeNothing) {
  const Ostrel::SLoadOptions strict{true};
  const std::string typo = Beans(Bean("order", "shop::COrder", "init-methd=\"Open\""));
  CContainer alone(kBasket.c_str(), false, strict);
  const SThrown failed = Thrown([&] { alone.Reset(typo.c_str(), strict); });
  EXPECT_EQ(failed.message, "Strict load failed (1 error): Unknown attribute 'init-methd' of "
                            "'bean' (did you mean 'init-method'?)");
  EXPECT_EQ(failed.place.compare(0, 9, "<text>:1:"), 0) << failed.place;
  EXPECT_TRUE(alone.Exists("basket") && !alone.Exists("order"));
  std::string what;
  try {
    alone.Reset(typo.c_str(), strict);
  } catch (const std::exception& e) {
    what = e.what();
  }
  EXPECT_EQ(what, failed.message + " (at " + failed.place.substr(0, failed.place.find(' ')) + ")");
  // After a strict load, a look-up of an unregistered type id warns, once per id.
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(alone.GetService<CHook>("no.such.id"));
  EXPECT_EQ(CaptureLog::CountMessage(L"No service registered for type id 'no.such.id'"), 1u);

  Ostrel::RegisterBeanClass<CHookWrapper>("CHook");
  CHook::s_made = [] { throw 1; };
  const std::string eager = Beans(Bean("hook", "CHook", "lazy=\"false\""));
  EXPECT_EQ(Message([&] { CContainer(eager.c_str(), false, strict); }),
            "Strict load failed: load-time bean 'hook' could not be made");
  CContainer(eager.c_str(), false);  // logged only
  CHook::s_made = nullptr;

  SetEnvironment("OSTREL_STRICT", "1");
  EXPECT_EQ(Thrown([&] { CContainer(typo.c_str(), false); }).function,
            "Ostrel::CContainer::CContainer");
  SetEnvironment("OSTREL_STRICT", nullptr);
}

// A bean whose exit method counts, made at load time.
struct CTracked : CbReferenceCounted {
  static inline int s_exits = 0;
  void Close() { ++s_exits; }
  void SetPeer(CbSmartPointer<CTracked>) {}
};
struct CTrackedWrapper : Ostrel::CBeanWrapper<CTracked> {
  CTrackedWrapper() : CBeanWrapper("CTracked") {
    Constructor<>("CTracked");
    Method("Close", &CTracked::Close);
    Method("SetPeer", &CTracked::SetPeer);
  }
};

// A strict load whose load-time bean fails puts the factory back as it was, merged into
// the default factory or swapped in by a reset: the singletons it made are released
// (exit methods run), its definitions and service registrations go, and what was there
// before stays (singletons, client registrations); the same names load again. A
// passed strict reset releases the old configuration as a default one does.
TEST_F(ContainerTest, StrictLoadWhoseLoadTimeBeanFailsPutsTheFactoryBack) {
  Ostrel::RegisterBeanClass<CHookWrapper>("CHook");
  Ostrel::RegisterBeanClass<CTrackedWrapper>("CTracked");
  Ostrel::RegisterInterface<CTracked>("CTracked");
  const Ostrel::SLoadOptions strict{true};
  const std::string eager = "singleton=\"true\" lazy=\"false\" exit-method=\"Close\"";
  const std::string provides = "<provides><interface>CTracked</interface></provides>";
  const std::string kept = Beans(Bean("kept", "CTracked", eager) + Bean("basket", "CBasket"));
  const std::string failing = Beans(Bean("made", "CTracked", eager, provides) +
                                    Bean("hook", "CHook", "lazy=\"false\""));
  struct CClientService : CbReferenceCounted {};
  const std::string type = typeid(CTracked).name();
  for (bool reset : {false, true}) {
    SCOPED_TRACE(reset ? "reset" : "integrated");
    CContainer base(kept.c_str(), !reset);
    base.GetFactory()->RegisterInstance("{client}", false, new CClientService, nullptr);
    CbSmartPointer<CTracked> before = base.GetBean<CTracked>("kept");
    CTracked::s_exits = 0;
    CHook::s_made = [] { throw 1; };
    const auto load = [&] {
      if (reset) base.Reset(failing.c_str(), strict);
      else CContainer(failing.c_str(), true, strict);
    };
    EXPECT_EQ(Message(load), "Strict load failed: load-time bean 'hook' could not be made");
    EXPECT_EQ(CTracked::s_exits, 1);  // "made", not "kept"
    EXPECT_EQ(base.GetBean<CTracked>("kept").Get(), before.Get());
    before.Reset();
    EXPECT_TRUE(base.Exists("basket") && !base.Exists("made") && !base.Exists("hook"));
    EXPECT_EQ(base.GetServiceCount(type.c_str()), 0u);
    EXPECT_EQ(base.GetServiceCount("{client}"), 1u);
    CHook::s_made = [] {};
    CTracked::s_exits = 0;
    if (reset) base.Reset(failing.c_str(), strict);
    else CContainer(failing.c_str(), true, strict);
    EXPECT_TRUE(base.Exists("made") && base.GetService<CTracked>());
    EXPECT_EQ(CTracked::s_exits, reset ? 1 : 0);  // the old "kept" with its configuration
    EXPECT_EQ(base.GetServiceCount("{client}"), reset ? 0u : 1u);
    base.Reset();
  }
  CHook::s_made = nullptr;
}

// The toolkit refuses a reference that resolved to nothing; the factory names it, once,
// at the property, and hands out no bean.
TEST_F(ContainerTest, AReferenceThatResolvedToNothingIsNamedAtItsProperty) {
  Ostrel::RegisterBeanClass<CTrackedWrapper>("CTracked");
  CContainer alone(Beans(Bean("b", "CTracked", "", RefProperty("SetPeer", "x"))).c_str(), false);
  EXPECT_FALSE(alone.GetBean<CTracked>("b"));
  std::vector<std::wstring> warnings;
  for (const auto& r : CaptureLog::Records())
    if (r.level == Logging::Warn && r.message.rfind(L"  at ", 0) != 0) warnings.push_back(r.message);
  EXPECT_EQ(warnings, (std::vector<std::wstring>{
                          L"Bean 'x' requested, but not configured",
                          L"reference 'x' of property 'SetPeer' of bean 'b' resolved to nothing"}));
}

// Its configuration text for step 1 is `text` (null: it throws an int), after loading
// kBasket; its fallback is a failing load.
struct CApplication : Ostrel::AApplication {
  const wchar_t* text = L"basket";
  bool Start() override { return true; }
  void Stop() override {}
  std::wstring GetConfigurationText(Ostrel::EConfigurationStep step) override {
    return step != Ostrel::eConfigurationStepStartup ? L"" : text ? Load(kBasket) : throw 7;
  }
  std::wstring GetFallbackConfigurationText(Ostrel::EConfigurationStep step) override {
    return step == Ostrel::eConfigurationStepStartup ? Load("<ostrel><library") : L"";
  }
  // Loads `xml` into a container of the application; returns the configuration text.
  std::wstring Load(const std::string& xml) {
    SetContainer(new CContainer(xml.c_str(), true));
    return text;
  }
};

// The fallback is asked for only when the configuration text is empty; a configuration
// or fallback that throws makes Init fail before its closing record. Copies hold
// containers of their own on one factory: each Exit releases its own, the singletons go
// with the last, and a repeated Exit does nothing.
TEST_F(ContainerTest, ApplicationInitLogsAroundTheConfigurationAndExitDestroysTheContainerOnce) {
  for (const wchar_t* text : {L"basket", L"", static_cast<const wchar_t*>(nullptr)}) {
    CaptureLog::Clear();
    CApplication application;
    application.text = text;
    EXPECT_EQ(application.Init(), text && *text);
    EXPECT_TRUE(application.Exit());
    const auto messages = Infos();  // a load logs one or two in between
    ASSERT_EQ(messages.size(), text ? 4u : 1u);
    EXPECT_EQ(messages.front(), L"Loading configuration:");
    EXPECT_EQ(messages.back() == kDone, text && *text);
  }
  CApplication application;  // its singleton is made while loading
  application.Load(Beans(Bean("basket", "CBasket", "singleton=\"true\" lazy=\"false\"")));
  CApplication copy(application), assigned;
  assigned = copy;
  EXPECT_TRUE(copy.Exit() && application.Exit());
  EXPECT_EQ(Ostrel::GetBeanStatistics().size(), 1u);
  EXPECT_TRUE(assigned.Exit() && assigned.Exit());
  EXPECT_TRUE(Ostrel::GetBeanStatistics().empty());
}

// The typed accessors cast through CTypedCast, which keeps one adjustment per class:
// each base of a class with several gets its own, and a class that is no T stays one.
struct IFirst : virtual IReferenceCounted {
  int first = 1;
};
struct ISecond : virtual IReferenceCounted {
  int second = 2;
};
struct IThird : virtual IReferenceCounted {};
struct CSeveral : CbReferenceCounted, IFirst, ISecond {};
struct CSecondOnly : CbReferenceCounted, ISecond {};

TEST(TypedCastTest, EachBaseOfEachClassIsFoundAgainFromTheCache) {
  CSeveral several;
  CSecondOnly only;
  for (int round = 0; round < 2; ++round) {
    IReferenceCounted* counted = &several;
    EXPECT_EQ(Ostrel::Internal::CTypedCast<IFirst>::Cast(counted), static_cast<IFirst*>(&several));
    EXPECT_EQ(Ostrel::Internal::CTypedCast<ISecond>::Cast(counted), static_cast<ISecond*>(&several));
    EXPECT_EQ(Ostrel::Internal::CTypedCast<ISecond>::Cast(&only), static_cast<ISecond*>(&only));
    EXPECT_EQ(Ostrel::Internal::CTypedCast<IFirst>::Cast(&only), nullptr);
    EXPECT_EQ(Ostrel::Internal::CTypedCast<IThird>::Cast(counted), nullptr);
  }
}

}  // namespace
