// What outlives one request: bean statistics, the start-up pass and Reset.
#include <algorithm>

#include <ostrel/BeanStatistics.h>

#include "BeanStatistics.h"
#include "CDefinitionStore.h"
#include "FactoryFixture.h"
#include "support/CbMap.h"

namespace FactoryTest {
namespace {

using Strings = std::vector<std::string>;
using LifecycleTest = FactoryFixture;

TEST_F(LifecycleTest, StatisticsFollowTheInstances) {
  Load(
      R"(<library path="LIB_A"><beans><bean name="stat.proto" class="t::CWidget"/></beans></library>)");
  Ostrel::SBeanStatisticsEntry entry;
  CbSmartPointer<IReferenceCounted> one = Get("stat.proto");
  CbSmartPointer<IReferenceCounted> two = Get("stat.proto");
  one.Reset();
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.name + ":" + std::to_string(entry.live) + "/" + std::to_string(entry.created),
            "stat.proto:1/2");
  two.Reset();
  EXPECT_FALSE(Ostrel::GetBeanStatistics("stat.proto", entry));
  CbSmartPointer<IReferenceCounted> three = Get("stat.proto");
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.live + entry.created, 2u);  // counted anew

  // Many names that come and go: those without instances are dropped in bulk at some
  // point, while the live one keeps its counts.
  std::string beans;
  for (int i = 0; i < 3000; ++i)
    beans += "<bean name=\"stat." + std::to_string(i) + "\" class=\"t::CWidget\"/>";
  Load("<library path=\"LIB_A\"><beans>" + beans + "</beans></library>");
  for (int i = 0; i < 3000; ++i) EXPECT_TRUE(Get(("stat." + std::to_string(i)).c_str()));
  for (const auto& listed : Ostrel::GetBeanStatistics()) {
    EXPECT_TRUE(listed.name.rfind("stat.", 0) != 0 || listed.name == "stat.proto") << listed.name;
  }
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.live, 1u);
}

TEST_F(LifecycleTest, StartUpPass) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="eager.proto" class="t::CMaker" lazy="false" exported="false"/>
    <bean name="eager.single" class="t::CWidget" lazy="false" singleton="true" exported="false"/>
    <bean name="lazy" class="t::CPlain"/>
  </beans></library>)");
  EXPECT_EQ(Events("create "),
            (Strings{"create t::CMaker.CMaker()", "create t::CWidget.CWidget()"}));
  EXPECT_EQ(Events("destroy "), Strings{"destroy t::CMaker.CMaker()"});
  EXPECT_TRUE(ResolveWarnings().empty());  // asked for on behalf of the declaring library
  // Every load's start-up pass runs over all non-lazy beans: the prototype is made again,
  // the cached singleton is not.
  Load(
      R"(<library path="LIB_B"><beans><bean name="other" class="t::CPlain" lazy="false"/></beans></library>)");
  EXPECT_EQ(Events("create "), (Strings{"create t::CMaker.CMaker()", "create t::CWidget.CWidget()",
                                        "create t::CMaker.CMaker()", "create t::CPlain.CPlain()"}));
  EXPECT_EQ(Recorded(Get("eager.single", &libA))->calls, Strings{"CWidget()"});
}

std::string Tracked(const std::string& name) {
  return "<bean name=\"" + name +
         "\" class=\"t::CWidget\" factory-method=\"Track\" singleton=\"true\">"
         "<constructor-arg><argument><value type=\"char*\">" +
         name + "</value></argument></constructor-arg></bean>";
}

TEST_F(LifecycleTest, ResetReleasesSingletonsInCacheOrderThenWrappersAndForgetsAll) {
  const Strings names = {"zeta", "alpha", "mu", "beta", "omega", "kappa"};
  std::string beans;
  for (const std::string& name : names) beans += Tracked(name);
  Load("<library path=\"LIB_A\"><beans>" + beans + Tracked("held") +
       "<bean name=\"r2\" "
       "class=\"t::CPlain\"><provides><interface>t::IService</interface></provides></bean>"
       "</beans></library>");
  for (const std::string& name : names) ASSERT_TRUE(Get(name.c_str()));
  CbSmartPointer<IReferenceCounted> held = Get("held");
  ASSERT_TRUE(factory->GetServiceInstance("{t-service}"));

  // The cache's order for these insertions, neither creation order nor its reverse.
  CbMap<std::string, int> probe(128);
  for (const std::string& name : names) probe.GetOrInsert(name);
  probe.GetOrInsert(std::string("held"));
  Strings expected;
  for (const auto& entry : probe) {
    if (entry.key != "held")
      expected.push_back("destroy t::CWidget.Track(char*:" + entry.key + ")");
  }
  ASSERT_NE(expected.front(), "destroy t::CWidget.Track(char*:zeta)");
  ASSERT_NE(expected.front(), "destroy t::CWidget.Track(char*:kappa)");
  expected.insert(expected.end(), names.size() + 1, "wrapper t::CWidget gone");

  ClearEvents();
  factory->Reset();
  Strings events = Events();
  events.erase(std::remove(events.begin(), events.end(), "wrapper t::CPlain gone"), events.end());
  EXPECT_EQ(events, expected);
  EXPECT_FALSE(factory->Exists("r2"));
  EXPECT_EQ(factory->GetSingletonCount() + factory->GetWrapperCount() +
                factory->GetStore().GetConfigCount() + factory->GetServiceCount("{t-service}"),
            0u);
  // The instance the client holds outlives the reset.
  ClearEvents();
  held.Reset();
  EXPECT_EQ(Events(), Strings{"destroy t::CWidget.Track(char*:held)"});

  // The new store reaches this factory: a provided interface resolves through it.
  Load(R"(<library path="LIB_B"><beans>
    <bean name="r1" class="t::CPlain" singleton="true"><provides><interface>t::IService</interface></provides></bean>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> service = factory->GetServiceInstance("{t-service}");
  ASSERT_TRUE(service);
  EXPECT_EQ(service, Get("r1"));
}

}  // namespace
}  // namespace FactoryTest
