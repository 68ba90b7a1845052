// CbSmartPointer over IReferenceCounted: counting, the deleter, weak records and
// concurrent releases.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <tamarack/CbReferenceCounted.h>
#include <tamarack/CbSmartPointer.h>

namespace {

std::atomic<int> g_destroyed{0};
std::atomic<int> g_deleted{0};

struct CCounted : CbReferenceCounted {
  ~CCounted() override { ++g_destroyed; }
};
struct COther : CbReferenceCounted {};

void CountingDeleter(IReferenceCounted* object) {
  ++g_deleted;
  delete object;
}

class SmartPointerTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_destroyed = 0;
    g_deleted = 0;
  }
};

TEST_F(SmartPointerTest, CountsCopiesAndDestroysOnLastRelease) {
  CCounted* raw = new CCounted;
  {
    CbSmartPointer<CCounted> a(raw);
    EXPECT_EQ(raw->GetReferenceCounter()->count.load(), 1u);
    CbSmartPointer<IReferenceCounted> b(a);
    CbSmartPointer<IReferenceCounted> c(std::move(b));
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(raw->GetReferenceCounter()->count.load(), 2u);
    a.Reset();
    EXPECT_EQ(g_destroyed, 0);
  }
  EXPECT_EQ(g_destroyed, 1);
}

TEST_F(SmartPointerTest, DeleterRunsInsteadOfTheDestructorCall) {
  CCounted* raw = new CCounted;
  raw->GetReferenceCounter()->deleter = &CountingDeleter;
  { CbSmartPointer<CCounted> p(raw); }
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(g_destroyed, 1);  // the deleter chose to delete it
}

TEST_F(SmartPointerTest, FinalReleaseClearsWeakRecords) {
  CCounted* raw = new CCounted;
  SWeakReference first{raw, nullptr};
  SWeakReference second{raw, &first};
  raw->GetReferenceCounter()->weakReferences = &second;
  { CbSmartPointer<CCounted> p(raw); }
  EXPECT_EQ(first.target, nullptr);
  EXPECT_EQ(second.target, nullptr);
  EXPECT_EQ(second.next, nullptr);
}

TEST_F(SmartPointerTest, DynamicCastChecksTheClass) {
  CbSmartPointer<IReferenceCounted> object(new CCounted);
  EXPECT_TRUE(DynamicPointerCast<CCounted>(object));
  EXPECT_FALSE(DynamicPointerCast<COther>(object));
  EXPECT_EQ(object.Get()->GetReferenceCounter()->count.load(), 1u);
}

TEST_F(SmartPointerTest, ConcurrentCopiesAndReleasesDeleteExactlyOnce) {
  for (int round = 0; round < 50; ++round) {
    CbSmartPointer<CCounted> shared(new CCounted);
    std::atomic<int> ready{0};  // 4: every thread holds its copy; 5: released, go
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&shared, &ready] {
        CbSmartPointer<CCounted> mine(shared);
        ++ready;
        while (ready < 5) std::this_thread::yield();
        for (int i = 0; i < 1000; ++i) {
          CbSmartPointer<CCounted> copy(mine);
          CbSmartPointer<IReferenceCounted> base(copy);
        }
      });
    }
    while (ready < 4) std::this_thread::yield();
    shared.Reset();
    ++ready;
    for (auto& t : threads) t.join();
  }
  EXPECT_EQ(g_destroyed, 50);
}

}  // namespace
