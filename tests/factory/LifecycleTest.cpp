// What outlives one request: the wrapper cache, bean statistics, the start-up pass,
// Reset and the move of a factory's tables.
#include <algorithm>

#include <ostrel/BeanStatistics.h>

#include "BeanStatistics.h"
#include "CDefinitionStore.h"
#include "FactoryFixture.h"
#include "support/CbMap.h"

namespace FactoryTest {
namespace {

using Strings = std::vector<std::string>;
using Messages = std::vector<std::wstring>;

class WrapperCacheTest : public FactoryFixture {};

TEST_F(WrapperCacheTest, BeansOfOneClassShareOneWrapper) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="p1" class="fac::CPlug"/>
    <bean name="p2" class="fac::CPlug" singleton="true"/>
  </beans></library>)");
  const int before = PluginMakerCalls(kLibA, "fac::CPlug");
  Ostrel::BeanResult first = factory->GetBeanWrapper("p1", nullptr);
  ASSERT_TRUE(first.second);
  const int built = PluginMakerCalls(kLibA, "fac::CPlug");
  EXPECT_EQ(built - before, 2);  // one call per definition when the library is built
  Ostrel::BeanResult second = factory->GetBeanWrapper("p2", nullptr);
  ASSERT_TRUE(second.second);
  EXPECT_EQ(second.first, first.first);
  EXPECT_EQ(factory->GetBeanWrapper("p1", nullptr).first, first.first);
  EXPECT_EQ(PluginMakerCalls(kLibA, "fac::CPlug"), built);
  EXPECT_EQ(factory->GetWrapperCount(), 1u);

  const Ostrel::CBeanConfig* config = factory->GetStore().FindBeanConfig("p2");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(factory->GetWrapper(*config), first.first);
}

TEST_F(WrapperCacheTest, MissingWrapperIsCachedToo) {
  Load(R"(<library path="LIB_B"><beans>
    <bean name="h1" class="fac::CHollow"/>
    <bean name="h2" class="fac::CHollow"/>
  </beans></library>)");
  const int before = PluginMakerCalls(kLibB, "fac::CHollow");
  EXPECT_FALSE(Get("h1"));
  const int afterFirst = PluginMakerCalls(kLibB, "fac::CHollow");
  EXPECT_EQ(afterFirst - before, 3);  // two definitions built, then one for the cache
  EXPECT_FALSE(Get("h2"));
  EXPECT_FALSE(Get("h1"));
  EXPECT_EQ(PluginMakerCalls(kLibB, "fac::CHollow"), afterFirst);
  EXPECT_EQ(factory->GetWrapperCount(), 1u);
  EXPECT_EQ(ResolveWarnings(), (Messages{L"No wrapper for class 'fac::CHollow' of bean 'h1'",
                                         L"No wrapper for class 'fac::CHollow' of bean 'h2'",
                                         L"No wrapper for class 'fac::CHollow' of bean 'h1'"}));
}

// --- statistics -------------------------------------------------------------------------

class StatisticsTest : public FactoryFixture {};

TEST_F(StatisticsTest, LiveCountsFollowTheInstances) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="stat.proto" class="t::CWidget"/>
  </beans></library>)");
  Ostrel::SBeanStatisticsEntry entry;
  CbSmartPointer<IReferenceCounted> one = Get("stat.proto");
  CbSmartPointer<IReferenceCounted> two = Get("stat.proto");
  ASSERT_TRUE(one && two);
  EXPECT_EQ(one->GetReferenceCounter()->deleter, &Ostrel::Internal::ReleaseBean);
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.name, "stat.proto");
  EXPECT_EQ(entry.live, 2u);
  EXPECT_EQ(entry.created, 2u);

  one.Reset();
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.live, 1u);
  EXPECT_EQ(entry.created, 2u);

  two.Reset();
  EXPECT_FALSE(Ostrel::GetBeanStatistics("stat.proto", entry));

  CbSmartPointer<IReferenceCounted> three = Get("stat.proto");
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.live, 1u);
  EXPECT_EQ(entry.created, 1u);

  // Many names that come and go: the names without instances are dropped in bulk at
  // some point, while the live one keeps its counts.
  std::string beans;
  for (int i = 0; i < 3000; ++i) beans += "<bean name=\"stat." + std::to_string(i) + "\" class=\"t::CWidget\"/>";
  Load("<library path=\"LIB_A\"><beans>" + beans + "</beans></library>");
  for (int i = 0; i < 3000; ++i) EXPECT_TRUE(Get(("stat." + std::to_string(i)).c_str()));
  for (const auto& listed : Ostrel::GetBeanStatistics()) {
    EXPECT_TRUE(listed.name.rfind("stat.", 0) != 0 || listed.name == "stat.proto") << listed.name;
  }
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.proto", entry));
  EXPECT_EQ(entry.live, 1u);
  CbSmartPointer<IReferenceCounted> again = Get("stat.7");
  ASSERT_TRUE(Ostrel::GetBeanStatistics("stat.7", entry));
  EXPECT_EQ(entry.created, 1u);
}

// --- start-up pass ------------------------------------------------------------------------

TEST_F(FactoryFixture, EagerPrototypeIsMadeOnceAndDroppedEagerSingletonStays) {
  const int trackedCreates = Counters("t::CTracked").creates;
  Load(R"(<library path="LIB_A"><beans>
    <bean name="eager.proto" class="t::CTracked" factory-method="Track" lazy="false" exported="false">
      <constructor-arg><argument><value type="char*">eager.proto</value></argument></constructor-arg></bean>
    <bean name="eager.single" class="t::CWidget" lazy="false" singleton="true" exported="false"/>
    <bean name="lazy" class="t::CPlain"/>
  </beans></library>)");
  EXPECT_EQ(Counters("t::CTracked").creates - trackedCreates, 1);
  EXPECT_EQ(EventsStartingWith("destroy "), Strings{"destroy eager.proto"});
  EXPECT_TRUE(ResolveWarnings().empty());  // asked for on behalf of the declaring library
  EXPECT_EQ(factory->GetSingletonCount(), 1u);
  EXPECT_EQ(EventsStartingWith("create t::CPlain"), Strings{});

  const int widgetCreates = Counters("t::CWidget").creates;
  CbSmartPointer<IReferenceCounted> single = Get("eager.single", &libA);
  ASSERT_TRUE(single);
  EXPECT_EQ(Recorded(single)->calls, Strings{"CWidget()"});
  EXPECT_EQ(Counters("t::CWidget").creates, widgetCreates);
}

// --- reset and move -------------------------------------------------------------------------

class ResetTest : public FactoryFixture {
protected:
  static std::string Tracked(const std::string& name) {
    return "<bean name=\"" + name + "\" class=\"t::CTracked\" factory-method=\"Track\" singleton=\"true\">"
           "<constructor-arg><argument><value type=\"char*\">" + name +
           "</value></argument></constructor-arg></bean>";
  }
};

TEST_F(ResetTest, SingletonsGoInCacheOrderBeforeTheirWrapper) {
  const Strings names = {"zeta", "alpha", "mu", "beta", "omega", "kappa"};
  std::string beans;
  for (const std::string& name : names) beans += Tracked(name);
  Load("<library path=\"LIB_A\"><beans>" + beans + Tracked("held") + "</beans></library>");
  for (const std::string& name : names) ASSERT_TRUE(Get(name.c_str()));
  CbSmartPointer<IReferenceCounted> held = Get("held");
  ASSERT_TRUE(held);

  // The cache's order for these insertions, which is neither creation order nor its reverse.
  CbMap<std::string, int> probe(128);
  for (const std::string& name : names) probe.GetOrInsert(name);
  probe.GetOrInsert(std::string("held"));
  Strings expected;
  for (const auto& entry : probe) {
    if (entry.key != "held") expected.push_back("destroy " + entry.key);
  }
  Strings creation, reversed;
  for (const std::string& name : names) creation.push_back("destroy " + name);
  reversed.assign(creation.rbegin(), creation.rend());
  ASSERT_NE(expected, creation);
  ASSERT_NE(expected, reversed);

  ClearEvents();
  factory->Reset();
  Strings events = Events();
  events.erase(std::remove_if(events.begin(), events.end(),
                              [](const std::string& e) {
                                return e.rfind("destroy ", 0) != 0 && e != "wrapper t::CTracked gone";
                              }),
               events.end());
  // Every definition built a wrapper of its own; all of them go after the singletons.
  expected.insert(expected.end(), names.size() + 1, "wrapper t::CTracked gone");
  EXPECT_EQ(events, expected);

  // The instance the client holds outlives the reset.
  EXPECT_EQ(Recorded(held)->calls, Strings{"Track(char*:held)"});
  ClearEvents();
  held.Reset();
  EXPECT_EQ(Events(), Strings{"destroy held"});
}

TEST_F(ResetTest, ResetFactoryKnowsNothingAndLoadsAgain) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="r1" class="t::CWidget" singleton="true"/>
    <bean name="r2" class="t::CPlain"><provides><interface>t::IService</interface></provides></bean>
  </beans></library>)");
  ASSERT_TRUE(Get("r1"));
  ASSERT_TRUE(factory->GetServiceInstance("{t-service}"));
  ASSERT_EQ(factory->GetWrapperCount(), 2u);

  factory->Reset();
  EXPECT_FALSE(factory->Exists("r1"));
  EXPECT_FALSE(factory->Exists("r2"));
  EXPECT_EQ(factory->GetSingletonCount(), 0u);
  EXPECT_EQ(factory->GetWrapperCount(), 0u);
  EXPECT_EQ(factory->GetStore().GetConfigCount(), 0u);
  EXPECT_EQ(factory->GetServiceCount("{t-service}"), 0u);
  EXPECT_FALSE(Get("r1"));
  EXPECT_EQ(ResolveWarnings(), Messages{L"Bean 'r1' requested, but not configured"});

  // The new store reaches this factory: a provided interface resolves through it.
  Load(R"(<library path="LIB_B"><beans>
    <bean name="r1" class="t::CPlain" singleton="true"><provides><interface>t::IService</interface></provides></bean>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> service = factory->GetServiceInstance("{t-service}");
  ASSERT_TRUE(service);
  EXPECT_EQ(service, Get("r1"));
  EXPECT_EQ(Recorded(service)->className, "t::CPlain");
}

}  // namespace
}  // namespace FactoryTest
