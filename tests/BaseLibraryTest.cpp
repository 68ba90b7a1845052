// The base library: timer text, recursive locks, the reference-counter lock table and
// the singleton bookkeeping.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include <tamarack/CbCriticalSectionAuto.h>
#include <tamarack/CbTimer.h>
#include <tamarack/ReferenceCounter.h>
#include <tamarack/Singleton.h>

namespace {

TEST(CbTimerTest, FormatsElapsedTimeWithUnit) {
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  timer.Stop();
  std::wstring text = timer.GetFormatted();
  EXPECT_TRUE(std::regex_match(std::string(text.begin(), text.end()),
                               std::regex(R"(\d+\.\d{3} ms)")));
  EXPECT_GE(timer.GetElapsed(), 5.0);
  EXPECT_LT(timer.GetElapsed(), 5000.0);
  // Stopped: the figure no longer moves.
  double frozen = timer.GetElapsed();
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(timer.GetElapsed(), frozen);

  CbTimer seconds(CbTimer::Seconds);
  seconds.Start();
  seconds.Stop();
  std::wstring s = seconds.GetFormatted();
  EXPECT_EQ(s.substr(s.size() - 2), L" s");
}

TEST(CriticalSectionTest, RecursiveAndEarlyLeave) {
  CbCriticalSection section;
  {
    CbCriticalSectionAuto outer(section);
    CbCriticalSectionAuto inner(section);  // same thread enters again
    inner.Leave();
    inner.Leave();  // a second Leave does nothing
  }
  // Fully released: another thread can enter.
  bool entered = false;
  std::thread other([&] {
    entered = section.TryEnter();
    if (entered) section.Leave();
  });
  other.join();
  EXPECT_TRUE(entered);
}

TEST(ReferenceCounterLockTest, SameAddressSameLockAndAddressesSpread) {
  int a = 0;
  EXPECT_EQ(&ReferenceCounter_GetCriticalSection(&a), &ReferenceCounter_GetCriticalSection(&a));
  std::vector<std::uint64_t> storage(1024);
  std::set<const CbCriticalSection*> distinct;
  for (auto& word : storage) distinct.insert(&ReferenceCounter_GetCriticalSection(&word));
  EXPECT_GT(distinct.size(), 100u);
}

TEST(SingletonBookkeepingTest, CountersAndLog) {
  const char* name = "BaseLibraryTest::Thing";
  EXPECT_EQ(Singleton::GetSingletonCounter(name), 0);
  Singleton::IncrementSingletonCounter(name);
  EXPECT_EQ(Singleton::GetSingletonCounter(name), 1);
  Singleton::Log(Singleton::Destroyed, name);
  Singleton::DecrementSingletonCounter(name);
  EXPECT_EQ(Singleton::GetSingletonCounter(name), 0);
  auto log = Singleton::GetSingletonLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], std::make_pair(Singleton::Created, std::string(name)));
  EXPECT_EQ(log.back(), std::make_pair(Singleton::Destroyed, std::string(name)));
  EXPECT_EQ(&Singleton::GetCriticalSectionSingleton(), &Singleton::GetCriticalSectionSingleton());
}

}  // namespace
