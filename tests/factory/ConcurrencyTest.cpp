// One factory used from eight threads at once: singletons, prototypes with references,
// and services registered, asked for and released, a fixed number of rounds each.
#include <array>
#include <thread>

#include <ostrel/BeanStatistics.h>

#include "FactoryFixture.h"

namespace FactoryTest {
namespace {

struct CPlainObject : CbReferenceCounted {};

constexpr int kThreads = 8;
constexpr int kSingletons = 4;
constexpr long kRounds = 2000;

using ConcurrencyTest = FactoryFixture;

TEST_F(ConcurrencyTest, EightThreadsResolveAndRegisterConsistently) {
  std::string beans;
  for (int i = 0; i < kSingletons; ++i) {
    beans += "<bean name=\"conc.s" + std::to_string(i) + "\" class=\"t::CWidget\" singleton=\"true\" init-method=\"Init\"/>";
  }
  Load("<library path=\"LIB_A\"><beans>" + beans + R"(
    <bean name="conc.proto" class="t::CWidget"><properties>
      <property name="SetLimit"><value type="int">2</value></property>
      <property name="SetPeer"><ref bean="conc.s0"/></property>
      <property name="SetService"><ref service="t::I3"/></property></properties></bean>
    <bean name="conc.service" class="t::CWidget" singleton="true"><provides><interface>t::I3</interface></provides></bean>
  </beans></library>)");

  std::atomic<int> failures{0};
  std::array<std::array<IReferenceCounted*, kSingletons>, kThreads> seen{};
  std::atomic<bool> go{false};  // the threads start their rounds together
  Ostrel::IBeanFactory& shared = *factory;  // through the interface, as clients call it
  auto work = [&](int index) {
    const std::string ownType = "{conc-thread-" + std::to_string(index) + "}";
    shared.RegisterFactory("{conc-shared}", index % 2 == 0,
                           [] { return CbSmartPointer<IReferenceCounted>(new CPlainObject); }, nullptr);
    while (!go) std::this_thread::yield();
    for (long round = 0; round < kRounds; ++round) {
      const int which = static_cast<int>(round % kSingletons);
      CbSmartPointer<IReferenceCounted> single = shared.GetBean(("conc.s" + std::to_string(which)).c_str());
      if (seen[index][which] == nullptr) seen[index][which] = single.Get();
      if (!single || seen[index][which] != single.Get()) ++failures;
      CbSmartPointer<IReferenceCounted> proto = shared.GetBean("conc.proto");
      if (!proto || Recorded(proto)->calls.back() != "SetService(service:t::CWidget)") ++failures;

      CbSmartPointer<IReferenceCounted> mine(new CPlainObject);
      shared.RegisterInstance(ownType.c_str(), false, mine, nullptr);
      if (shared.GetServiceInstance(ownType.c_str()) != mine) ++failures;
      shared.ReleaseInstance(mine);
      if (shared.GetServiceCount(ownType.c_str()) != 0) ++failures;
      const std::uint32_t count = shared.GetServiceCount("{conc-shared}");
      if (count == 0 || count > kThreads) ++failures;
      if (!shared.GetServiceInstance("{conc-shared}", static_cast<std::uint32_t>(round % count))) ++failures;
      if (round % 64 == 0) (void)Ostrel::GetBeanStatistics();
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(work, i);
  go = true;
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_TRUE(ResolveWarnings().empty());
  for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t], seen[0]) << "thread " << t;
  EXPECT_EQ(factory->GetServiceCount("{conc-shared}"), static_cast<std::uint32_t>(kThreads));
  // Each singleton was made and initialised once; every prototype has been released.
  Ostrel::SBeanStatisticsEntry entry;
  for (const char* name : {"conc.s0", "conc.s1", "conc.s2", "conc.s3", "conc.service"}) {
    ASSERT_TRUE(Ostrel::GetBeanStatistics(name, entry)) << name;
    EXPECT_EQ(entry.live * 10 + entry.created, 11u) << name;
  }
  EXPECT_EQ(Recorded(Get("conc.s1"))->calls, (std::vector<std::string>{"CWidget()", "Init()"}));
  EXPECT_FALSE(Ostrel::GetBeanStatistics("conc.proto", entry));
  factory.reset();
  EXPECT_FALSE(Ostrel::GetBeanStatistics("conc.s0", entry));
}

TEST_F(ConcurrencyTest, SingletonAskedForByTwoThreadsAtOnceIsMadeOnce) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="slow" class="t::CWidget" factory-method="Slow" singleton="true"/></beans></library>)");
  auto get = [this] { return factory->GetBeanWrapper("slow", nullptr).second; };
  CbSmartPointer<IReferenceCounted> other;
  std::thread thread([&] { other = get(); });
  CbSmartPointer<IReferenceCounted> mine = Get("slow");
  thread.join();
  EXPECT_TRUE(mine);
  EXPECT_EQ(mine, other);
}

}  // namespace
}  // namespace FactoryTest
