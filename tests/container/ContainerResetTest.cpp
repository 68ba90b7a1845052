// Resetting a container empties the factory it shares; the loading forms fill it
// again. The log tells which kind of factory was reset, in a fixed order relative to
// the emptying.
#include "ContainerFixture.h"

#include <functional>

#include <ostrel/BeanWrapper.h>

namespace ContainerTest {
namespace {

// A service instance that notes, when the emptied factory lets it go, how many reset
// records had been logged by then.
class CProbe : public CbReferenceCounted {
 public:
  explicit CProbe(int& seen) : m_seen(seen) {}
  ~CProbe() override { m_seen = static_cast<int>(InfoMessages(kReset).size()); }

 private:
  int& m_seen;
};

void AddProbe(CContainer& container, int& seen) {
  seen = -1;
  container.GetFactory()->RegisterInstance("{container-test-probe}", false,
                                           CbSmartPointer<IReferenceCounted>(new CProbe(seen)),
                                           nullptr);
}

using ContainerResetTest = ContainerFixture;

TEST_F(ContainerResetTest, ResetLogsThenEmptiesForEverySharingContainer) {
  CContainer loaded(kBasket.c_str(), true);
  CContainer attached;
  CContainer alone(kOrder.c_str(), false);
  CContainer copy(alone);
  auto kept = loaded.GetBean<CRecordedBean>("basket");
  int seen = 0;
  AddProbe(loaded, seen);
  CaptureLog::Clear();
  attached.Reset();
  EXPECT_EQ(seen, 1);
  EXPECT_FALSE(loaded.Exists("basket"));
  EXPECT_TRUE(kept);  // instances handed out before stay valid
  EXPECT_TRUE(copy.Exists("order"));
  copy.Reset();
  EXPECT_FALSE(alone.Exists("order"));
  EXPECT_EQ(InfoMessages(kReset),
            (std::vector<std::wstring>{L"Resetting integrated configuration",
                                       L"Resetting stand-alone configuration"}));
  // The emptied factory is still the default one.
  CContainer more(kOrder.c_str(), true);
  EXPECT_EQ(more.GetFactory(), loaded.GetFactory());
  EXPECT_TRUE(loaded.Exists("order"));
}

TEST_F(ContainerResetTest, ResetFromXmlEmptiesThenLogsThenLoads) {
  CContainer integrated(kBasket.c_str(), true);
  CContainer alone(kBasket.c_str(), false);
  for (CContainer* container : {&integrated, &alone}) {
    int seen = 0;
    AddProbe(*container, seen);
    CaptureLog::Clear();
    // "basket" again, this time of another class: no override, the reset came first.
    container->Reset(
        Document(Bean("basket", "shop::COrder", "lazy=\"false\" singleton=\"true\"")).c_str());
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(CallsOf(container->GetBean<CRecordedBean>("basket")), Calls{"COrder()"});
    auto messages = InfoMessages(kReset);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], std::wstring(L"Resetting configuration from xml (") +
                               (container == &integrated ? L"integration" : L"stand-alone") +
                               L")...");
    EXPECT_TRUE(IsSuccess(messages[1]));
  }
  Ostrel::SBeanStatisticsEntry entry{};
  ASSERT_TRUE(Ostrel::GetBeanStatistics("basket", entry));
  EXPECT_EQ(entry.created, 2u);  // made by each load, once

  // The container is empty even when the new text does not load.
  EXPECT_THROW(alone.Reset("<ostrel><library"), IException);
  EXPECT_FALSE(alone.Exists("basket"));
  CaptureLog::Clear();
  integrated.Reset("");
  EXPECT_FALSE(integrated.Exists("basket"));
  EXPECT_EQ(InfoMessages(kReset).size(), 2u);
}

TEST_F(ContainerResetTest, ResetFromFileLogsFirstThenEmptiesAndLoads) {
  const std::wstring orders = WriteFile("orders.xml", kOrder);
  CContainer integrated(kBasket.c_str(), true);
  CContainer alone(kBasket.c_str(), false);
  for (CContainer* container : {&integrated, &alone}) {
    const std::wstring mode = container == &integrated ? L"integration" : L"stand-alone";
    int seen = 0;
    AddProbe(*container, seen);
    CaptureLog::Clear();
    container->Reset(orders.c_str());
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(container->Exists("basket"));
    EXPECT_TRUE(container->Exists("order"));
    auto messages = InfoMessages(kReset);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0],
              L"Resetting configuration from file '" + orders + L"' (" + mode + L")...");
    EXPECT_TRUE(IsSuccess(messages[1]));
  }
  // A file that does not load: announced, emptied, then the error.
  const std::wstring missing = (m_folder / "missing.xml").wstring();
  CaptureLog::Clear();
  EXPECT_THROW(alone.Reset(missing.c_str()), IException);
  EXPECT_FALSE(alone.Exists("order"));
  auto records = CaptureLog::Records();
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(records[0].message,
            L"Resetting configuration from file '" + missing + L"' (stand-alone)...");
  EXPECT_EQ(records[1].level, Logging::Error);
}

// A bean whose init method runs the test's code.
class CHook : public CbReferenceCounted {
 public:
  static std::function<void()> s_init;
  void Init() { s_init(); }
};
std::function<void()> CHook::s_init;

struct CHookWrapper : Ostrel::CBeanWrapper<CHook> {
  CHookWrapper() : CBeanWrapper("CHook") {
    Constructor<>("CHook");
    Method("Init", &CHook::Init);
  }
};

// Code run by a factory (here an init method, during the start-up pass and on request)
// cannot reset or load that factory: it gets a CException, and the running request
// and the configuration stay intact. Another factory may still be loaded from there.
TEST_F(ContainerResetTest, ResetOrLoadFromInsideTheFactoryIsRefused) {
  Ostrel::RegisterBeanClass<CHookWrapper>("CHook");
  const std::string text =
      Document(Bean("hook", "CHook", "lazy=\"false\" init-method=\"Init\"") + Bean("basket"));
  CContainer attached;  // the default factory, which `integrated` loads into
  bool armed = false;
  int refused = 0;
  int loadedElsewhere = 0;
  CHook::s_init = [&] {
    if (!armed) return;
    for (const std::function<void()>& reenter : std::vector<std::function<void()>>{
             [&] { attached.Reset(); }, [&] { attached.Reset(text.c_str()); },
             [&] { CContainer(text.c_str(), true); }}) {
      try {
        reenter();
      } catch (const Ostrel::CException&) {
        ++refused;
      }
    }
    CContainer other(kOrder.c_str(), false);
    loadedElsewhere += other.Exists("order") ? 1 : 0;
  };
  armed = true;
  CContainer integrated(text.c_str(), true);  // the start-up pass runs the hook
  EXPECT_TRUE(integrated.GetBean<CHook>("hook"));  // a prototype: the hook runs again
  EXPECT_EQ(refused, 6);
  EXPECT_EQ(loadedElsewhere, 2);
  EXPECT_TRUE(integrated.Exists("basket"));
  CHook::s_init = nullptr;
}

}  // namespace
}  // namespace ContainerTest
