// Containers used from several threads at once (see also StressTest).
#include "ContainerFixture.h"

#include <atomic>
#include <thread>

namespace ContainerTest {
namespace {

using ContainerThreadTest = ContainerFixture;

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
