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

class ConcurrencyTest : public FactoryFixture {};

TEST_F(ConcurrencyTest, EightThreadsResolveAndRegisterConsistently) {
  std::string beans;
  for (int i = 0; i < kSingletons; ++i) {
    beans += "<bean name=\"conc.s" + std::to_string(i) +
             "\" class=\"t::CWidget\" singleton=\"true\" init-method=\"Init\"/>";
  }
  Load("<library path=\"LIB_A\"><beans>" + beans + R"(
    <bean name="conc.proto" class="t::CWidget"><properties>
      <property name="SetLimit"><value type="int">2</value></property>
      <property name="SetOwner"><value type="char*">owner</value></property>
      <property name="SetPeer"><ref bean="conc.s0"/></property>
    </properties></bean>
    <bean name="conc.service" class="t::CWidget" singleton="true">
      <provides><interface>t::IConc</interface></provides></bean>
    <bean name="conc.user" class="t::CWidget"><properties>
      <property name="SetService"><ref service="t::IConc"/></property></properties></bean>
  </beans></library>)");

  std::atomic<int> failures{0};
  std::array<std::array<IReferenceCounted*, kSingletons + 1>, kThreads> seen{};
  std::atomic<bool> go{false};  // the threads start their rounds together
  Ostrel::IBeanFactory& shared = *factory;  // through the interface, as clients call it

  auto work = [&](int index) {
    auto fail = [&] { ++failures; };
    const std::string ownType = "{conc-thread-" + std::to_string(index) + "}";
    shared.RegisterFactory("{conc-shared}", index % 2 == 0,
                           [] { return CbSmartPointer<IReferenceCounted>(new CPlainObject); }, nullptr);
    while (!go) std::this_thread::yield();
    for (long round = 0; round < kRounds; ++round) {
      const int which = static_cast<int>(round % kSingletons);
      CbSmartPointer<IReferenceCounted> single = shared.GetBean(("conc.s" + std::to_string(which)).c_str());
      if (!single) fail();
      if (seen[index][which] == nullptr) seen[index][which] = single.Get();
      if (seen[index][which] != single.Get()) fail();

      CbSmartPointer<IReferenceCounted> proto = shared.GetBean("conc.proto");
      if (!proto || Recorded(proto)->calls.size() != 4) fail();
      proto.Reset();

      CbSmartPointer<IReferenceCounted> service = shared.GetServiceInstance("{t-conc}");
      if (!service) fail();
      if (seen[index][kSingletons] == nullptr) seen[index][kSingletons] = service.Get();
      if (seen[index][kSingletons] != service.Get()) fail();
      CbSmartPointer<IReferenceCounted> user = shared.GetBean("conc.user");
      if (!user || Recorded(user)->calls.back() != "SetService(service:t::CWidget)") fail();

      CbSmartPointer<IReferenceCounted> mine(new CPlainObject);
      shared.RegisterInstance(ownType.c_str(), false, mine, nullptr);
      if (shared.GetServiceInstance(ownType.c_str()) != mine) fail();
      shared.ReleaseInstance(mine);
      if (shared.GetServiceCount(ownType.c_str()) != 0) fail();

      const std::uint32_t count = shared.GetServiceCount("{conc-shared}");
      if (count == 0 || count > kThreads) fail();
      if (!shared.GetServiceInstance("{conc-shared}", static_cast<std::uint32_t>(round % count))) fail();
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

  // Each singleton was made once; every prototype instance has been released.
  Ostrel::SBeanStatisticsEntry entry;
  for (int i = 0; i < kSingletons; ++i) {
    const std::string name = "conc.s" + std::to_string(i);
    ASSERT_TRUE(Ostrel::GetBeanStatistics(name.c_str(), entry)) << name;
    EXPECT_EQ(entry.live, 1u) << name;
    EXPECT_EQ(entry.created, 1u) << name;
    EXPECT_EQ(Recorded(Get(name.c_str()))->calls, (std::vector<std::string>{"CWidget()", "Init()"}));
  }
  ASSERT_TRUE(Ostrel::GetBeanStatistics("conc.service", entry));
  EXPECT_EQ(entry.created, 1u);
  EXPECT_FALSE(Ostrel::GetBeanStatistics("conc.proto", entry));
  EXPECT_FALSE(Ostrel::GetBeanStatistics("conc.user", entry));

  factory.reset();
  for (int i = 0; i < kSingletons; ++i) {
    EXPECT_FALSE(Ostrel::GetBeanStatistics(("conc.s" + std::to_string(i)).c_str(), entry));
  }
  EXPECT_FALSE(Ostrel::GetBeanStatistics("conc.service", entry));
}

}  // namespace
}  // namespace FactoryTest
