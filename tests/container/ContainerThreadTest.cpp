// Containers of both kinds made, copied, used and destroyed on several threads at once,
// while the default factory comes and goes. A thread only ever relies on integrated
// names of its own, and only while it holds a container on them.
#include "ContainerFixture.h"

#include <atomic>
#include <thread>

namespace ContainerTest {
namespace {

using ContainerThreadTest = ContainerFixture;

TEST_F(ContainerThreadTest, ConcurrentIntegratedAndStandAloneContainers) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 40;
  std::atomic<int> failures{0};
  std::atomic<int> rounds{0};
  auto check = [&failures](bool ok) { failures += ok ? 0 : 1; };

  auto work = [&](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      const std::string suffix = std::to_string(thread) + "_" + std::to_string(round);
      const std::string order = "order_" + suffix;
      const std::string basket = "basket_" + suffix;
      try {
        CContainer integrated(
            Document(Bean(order, "shop::COrder", round % 2 == 0 ? "lazy=\"false\"" : "")).c_str(),
            true);
        CContainer attached;
        CContainer copy = attached;
        CContainer emptyText("", true);
        check(copy.GetFactory() == integrated.GetFactory());
        check(CallsOf(copy.GetBean<CRecordedBean>(order.c_str())) == Calls{"COrder()"});
        check(emptyText.Exists(order.c_str()));

        // Stand-alone, resolving a "::" reference into the default factory (every other
        // round while loading).
        const std::string eager = round % 2 == 1 ? " lazy=\"false\"" : "";
        CContainer alone(Document(Bean(basket, "CBasket", "singleton=\"true\"" + eager,
                                       OrderProperty("::" + order)))
                             .c_str(),
                         false);
        CContainer aloneCopy(alone);
        check(!alone.Exists(order.c_str()));
        check(!integrated.Exists(basket.c_str()));
        check(CallsOf(aloneCopy.GetBean<CRecordedBean>(basket.c_str())) ==
              Calls{"CBasket()", "SetOrder(bean:shop::COrder)"});
        CContainer moved(std::move(aloneCopy));
        if (round % 3 == 0) {
          moved.Reset();
          check(!alone.Exists(basket.c_str()));
        }
        ++rounds;
      } catch (...) {
        ++failures;
      }
    }
  };

  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(work, i);
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(rounds.load(), kThreads * kRounds);
  std::size_t successes = 0;
  for (const auto& message : InfoMessages(kConstructor)) successes += IsSuccess(message) ? 1 : 0;
  EXPECT_EQ(successes, static_cast<std::size_t>(kThreads * kRounds * 3));
}

// A loading reset empties and loads in one step: two threads resetting one factory
// with the same text never see each other's beans ("Overriding bean").
TEST_F(ContainerThreadTest, LoadingResetsOfOneFactoryDoNotInterleave) {
  CContainer shared(kBasket.c_str(), false);
  std::atomic<int> failures{0};
  auto work = [&] {
    for (int round = 0; round < 300; ++round) {
      try {
        shared.Reset(kBasket.c_str());
      } catch (...) {
        ++failures;
      }
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_TRUE(shared.Exists("basket"));
}

}  // namespace
}  // namespace ContainerTest
