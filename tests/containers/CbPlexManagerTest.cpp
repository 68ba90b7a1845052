// CbPlexManager: block sizes, the order slots are handed out and reused, the exceptions
// with their function context, and locked use from several threads.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <thread>
#include <vector>

#include "support/CbPlexManager.h"

// At global scope so that the type name in the function context is plain.
struct SPlexProbe {
  std::uint64_t words[3];
};
// So large that no block of 0xFFFFFFFF of them can be described in a size_t.
struct SPlexGiant {
  unsigned char bytes[std::size_t{1} << 33];
};

namespace {

using Pool = CbPlexManager<SPlexProbe, 0, 0, unsigned int>;

// Takes slots until the pool holds `blocks` blocks.
void FillUntil(Pool& pool, unsigned blocks) {
  while (pool.GetBlockCount() < blocks) pool.GetFreeElement();
}

TEST(CbPlexManagerTest, BlocksGrowByHalfTruncatedEachTime) {
  auto sizes = [](unsigned initial, unsigned fixed, unsigned blocks) {
    Pool pool(initial, fixed);
    std::vector<unsigned> result;
    for (unsigned b = 1; b <= blocks; ++b) {
      result.push_back(pool.GetNextBlockSize());
      FillUntil(pool, b);
    }
    return result;
  };
  EXPECT_EQ(sizes(128, 0, 5), (std::vector<unsigned>{128, 192, 288, 432, 648}));
  EXPECT_EQ(sizes(1000, 0, 4), (std::vector<unsigned>{1000, 1500, 2250, 3375}));
  // 7 * 1.5 = 10.5 -> 10, 10 * 1.5 = 15: truncated per step, not 7 * 2.25 = 15.75.
  EXPECT_EQ(sizes(7, 0, 3), (std::vector<unsigned>{7, 10, 15}));
  EXPECT_EQ(sizes(3, 5, 3), (std::vector<unsigned>{5, 5, 5}));
}

TEST(CbPlexManagerTest, HandsOutBlocksLastElementFirstAndReusesSlotsLastInFirstOut) {
  Pool pool(4);
  std::vector<char*> taken;
  for (int i = 0; i < 4; ++i) taken.push_back(static_cast<char*>(pool.GetFreeElement()));
  const std::ptrdiff_t stride = taken[0] - taken[1];
  EXPECT_GE(stride, static_cast<std::ptrdiff_t>(sizeof(SPlexProbe)));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(taken[i - 1] - taken[i], stride) << i;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(taken[3]) % alignof(SPlexProbe), 0u);

  pool.ReturnElement(taken[1]);
  pool.ReturnElement(nullptr);
  pool.ReturnElement(taken[0]);
  pool.ReturnElement(taken[2]);
  EXPECT_EQ(pool.GetFreeElement(), taken[2]);
  EXPECT_EQ(pool.GetFreeElement(), taken[0]);
  EXPECT_EQ(pool.GetFreeElement(), taken[1]);
  EXPECT_EQ(pool.GetBlockCount(), 1u);
  pool.GetFreeElement();
  EXPECT_EQ(pool.GetBlockCount(), 2u);
}

TEST(CbPlexManagerTest, InitialSizeZeroThrowsWithFunctionContext) {
  try {
    Pool pool(0);
    FAIL() << "no exception";
  } catch (const CbException& e) {
    EXPECT_STREQ(e.GetFunctionName(),
                 "CbPlexManager<class SPlexProbe,0,0,unsigned int>::CbPlexManager");
  }
  try {
    CbPlexManager<int, 1, 0, unsigned int> pool(0, 5);
    FAIL() << "no exception";
  } catch (const CbException& e) {
    EXPECT_STREQ(e.GetFunctionName(), "CbPlexManager<int,1,0,unsigned int>::CbPlexManager");
  }
}

TEST(CbPlexManagerTest, BlockBeyondTheAddressSpaceThrowsOutOfMemory) {
  CbPlexManager<SPlexGiant, 0, 0, unsigned int> pool(1, 0xFFFFFFFFu);
  try {
    pool.GetFreeElement();
    FAIL() << "no exception";
  } catch (const CbExceptionOutOfMemory& e) {
    EXPECT_STREQ(e.GetFunctionName(),
                 "CbPlexManager<class SPlexGiant,0,0,unsigned int>::getFreeElement");
  }
  EXPECT_EQ(pool.GetBlockCount(), 0u);
}

TEST(CbPlexManagerTest, LockedPoolNeverHandsOneSlotToTwoThreads) {
  CbPlexManager<SPlexProbe, 1, 0, unsigned int> pool(16);
  constexpr int kThreads = 4;
  constexpr int kHeld = 8;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 5000; ++round) {
        SPlexProbe* held[kHeld];
        for (auto& slot : held) {
          slot = new (pool.GetFreeElement()) SPlexProbe{{std::uint64_t(t), std::uint64_t(round), 0}};
        }
        for (SPlexProbe* slot : held) {
          ASSERT_EQ(slot->words[0], std::uint64_t(t));
          ASSERT_EQ(slot->words[1], std::uint64_t(round));
          pool.ReturnElement(slot);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  // At most kThreads * kHeld slots were held at once: blocks of 16 and 24 cover them.
  EXPECT_LE(pool.GetBlockCount(), 2u);
}

}  // namespace
