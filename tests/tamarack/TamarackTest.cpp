// The base library's singleton bookkeeping and counted pointers.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <tamarack/Singleton.h>
#include <ostrel/Ostrel.h>

namespace {

TEST(BaseLibraryTest, SingletonCountersAndLog) {
  const char* name = "TamarackTest::Thing";
  Singleton::IncrementSingletonCounter(name);
  Singleton::Log(Singleton::Destroyed, name);
  Singleton::DecrementSingletonCounter(name);
  EXPECT_EQ(Singleton::GetSingletonCounter(name), 0);
  const auto log = Singleton::GetSingletonLog();
  EXPECT_EQ(decltype(log)(log.end() - 2, log.end()),
            decltype(log)({{Singleton::Created, name}, {Singleton::Destroyed, name}}));
}

std::atomic<int> g_destroyed{0};

struct CCounted : CbReferenceCounted {
  ~CCounted() override { ++g_destroyed; }
  CbSmartPointer<CCounted> next;  // a pointer to its own, still incomplete, kind
};

// The last release runs the deleter once and clears the weak records; with copies on
// several threads, whichever thread releases last deletes.
TEST(SmartPointerTest, LastReleaseOnAnyThreadDeletesOnceAndClearsWeakRecords) {
  g_destroyed = 0;
  CCounted* raw = new CCounted;
  SWeakReference first{raw, nullptr}, second{raw, &first};
  raw->GetReferenceCounter()->weakReferences = &second;
  static int deleted = 0;  // the deleter runs instead of the deletion
  raw->GetReferenceCounter()->deleter = [](IReferenceCounted*) { ++deleted; };
  CbSmartPointer<CCounted> a(raw);
  CbSmartPointer<IReferenceCounted> b(a), c(std::move(b));
  a.Reset();
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(deleted, 0);
  c.Reset();
  EXPECT_EQ(deleted, 1);
  EXPECT_TRUE(first.target == nullptr && second.target == nullptr && second.next == nullptr);
  delete raw;
  for (int round = 0; round < 50; ++round) {
    CbSmartPointer<CCounted> shared(new CCounted);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([mine = shared] {
        for (int i = 0; i < 1000; ++i) CbSmartPointer<IReferenceCounted> copy(mine);
      });
    }
    shared.Reset();
    for (auto& t : threads) t.join();
  }
  CbSmartPointer<CCounted> chain(new CCounted);
  chain->next = new CCounted;
  chain.Reset();
  EXPECT_EQ(g_destroyed, 53);
}

}  // namespace
