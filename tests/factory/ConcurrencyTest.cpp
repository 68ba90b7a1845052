// One factory used from several threads at once: a fixed number of rounds each.
#include <thread>

#include "FactoryFixture.h"

namespace FactoryTest {
namespace {

struct CPlainObject : CbReferenceCounted {};

using ConcurrencyTest = FactoryFixture;

// Registrations, look-ups and releases of services on eight threads, among requests
// for a prototype that references a singleton and a service.
TEST_F(ConcurrencyTest, EightThreadsRegisterAndResolveConsistently) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="single" class="t::CWidget" singleton="true"><provides><interface>t::I3</interface></provides></bean>
    <bean name="proto" class="t::CWidget"><properties><property name="SetPeer"><ref bean="single"/></property>
      <property name="SetService"><ref service="t::I3"/></property></properties></bean></beans></library>)");
  std::atomic<int> failures{0};
  Ostrel::IBeanFactory& shared = *factory;  // through the interface, as clients call it
  auto work = [&](int index) {
    const std::string ownType = "{conc-thread-" + std::to_string(index) + "}";
    shared.RegisterFactory(
        "{conc-shared}", index % 2 == 0,
        [] { return CbSmartPointer<IReferenceCounted>(new CPlainObject); }, nullptr);
    for (long round = 0; round < 2000; ++round) {
      CbSmartPointer<IReferenceCounted> proto = shared.GetBean("proto");
      if (!proto || Recorded(proto)->calls.back() != "SetService(service:t::CWidget)") ++failures;
      CbSmartPointer<IReferenceCounted> mine(new CPlainObject);
      shared.RegisterInstance(ownType.c_str(), false, mine, nullptr);
      if (shared.GetServiceInstance(ownType.c_str()) != mine) ++failures;
      shared.ReleaseInstance(mine);
      const std::uint32_t count = shared.GetServiceCount("{conc-shared}");
      if (shared.GetServiceCount(ownType.c_str()) != 0 || count == 0 || count > 8) ++failures;
      if (!shared.GetServiceInstance("{conc-shared}", static_cast<std::uint32_t>(round % count)))
        ++failures;
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back(work, i);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_TRUE(ResolveWarnings().empty());
  EXPECT_EQ(factory->GetServiceCount("{conc-shared}"), 8u);
  EXPECT_EQ(Events("create t::CWidget.CWidget()").size(), 1u + 8 * 2000);
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

// Two beans are created at once (one waits inside its creation for the other's), and
// the singleton both refer to is made once.
TEST_F(ConcurrencyTest, DifferentBeansAreCreatedInParallelAndTheirSingletonOnce) {
  const std::string peer = R"(<properties><property name="SetPeer"><ref bean="shared"/></property></properties>)";
  Load(R"(<library path="LIB_A"><beans><bean name="shared" class="t::CWidget" singleton="true"/>
    <bean name="left" class="t::CWidget" factory-method="Wait">)" + peer + R"(</bean>
    <bean name="right" class="t::CWidget" factory-method="Signal">)" + peer + R"(</bean>
    </beans></library>)");
  for (int round = 0; round < 20; ++round) {
    CbSmartPointer<IReferenceCounted> left, right;
    std::thread thread([&] { left = Get("left"); });
    right = Get("right");
    thread.join();
    ASSERT_TRUE(left && right);
    EXPECT_EQ(Recorded(left)->calls.back(), Recorded(right)->calls.back());
  }
  EXPECT_EQ(Events("signalled").size(), 20u);
  EXPECT_EQ(Events("create t::CWidget.CWidget()").size(), 1u);
}

}  // namespace
}  // namespace FactoryTest
