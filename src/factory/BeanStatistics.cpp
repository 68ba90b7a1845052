#include "BeanStatistics.h"

#include <ostrel/BeanStatistics.h>

#include <functional>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/CSpinLock.h"

namespace Ostrel {
namespace Internal {

struct SBeanCounters {
  explicit SBeanCounters(std::string n) : name(std::move(n)) {}
  const std::string name;
  CSpinLock lock;  // guards live and created
  std::uint64_t live = 0;
  std::uint64_t created = 0;
  // Factories holding the counts plus live instances counted through them; the entry
  // goes when this falls to 0.
  std::atomic<std::uint64_t> holders{0};
};

namespace {

// One part of the instance table, chosen by address, so that threads counting
// different instances seldom meet on one lock. Its nodes come from a pool, so counting
// an instance allocates nothing once the pool is warm.
struct alignas(64) SInstanceShard {
  CSpinLock lock;
  std::pmr::unsynchronized_pool_resource nodes;
  std::pmr::unordered_map<const void*, SBeanCounters*> counters{&nodes};
};

constexpr std::size_t kShards = 16;

struct STables {
  CSpinLock lock;  // guards `byName` and `entries`
  std::unordered_map<std::string, SBeanCounters*> byName;
  // Every entry alive, by address: an entry is dropped through its address without
  // reading it, since the one who dropped its last hold may find it freed already.
  std::unordered_set<const SBeanCounters*> entries;
  SInstanceShard shards[kShards];
};

STables& Tables() {
  // Never destroyed: beans may be released by static destructors at process exit.
  static STables* tables = new STables;
  return *tables;
}

[[maybe_unused]] STables& s_tables = Tables();

SInstanceShard& ShardOf(const void* instance) {
  return Tables().shards[(reinterpret_cast<std::uintptr_t>(instance) >> 6) % kShards];
}

// Drops a hold; the last one removes the entry.
void Drop(SBeanCounters* counters) {
  if (counters->holders.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  STables& t = Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  // Taken again (AcquireCounters) and perhaps dropped again meanwhile: only an entry
  // still in the table and still without holders goes, and only once.
  auto known = t.entries.find(counters);
  if (known == t.entries.end() || counters->holders.load(std::memory_order_acquire) != 0) return;
  t.entries.erase(known);
  t.byName.erase(counters->name);
  delete counters;
}

}  // namespace

SBeanCounters* AcquireCounters(const char* name) {
  STables& t = Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  SBeanCounters*& counters = t.byName[name != nullptr ? name : ""];
  if (counters == nullptr) {
    counters = new SBeanCounters(name != nullptr ? name : "");
    t.entries.insert(counters);
  }
  counters->holders.fetch_add(1, std::memory_order_relaxed);
  return counters;
}

void ReleaseCounters(SBeanCounters* counters) {
  if (counters != nullptr) Drop(counters);
}

void RecordBean(SBeanCounters& counters, IReferenceCounted* instance) {
  {
    SInstanceShard& shard = ShardOf(instance);
    std::lock_guard<CSpinLock> lock(shard.lock);
    if (!shard.counters.emplace(instance, &counters).second) {
      return;  // handed out again by its creation method: counted once already
    }
  }
  counters.holders.fetch_add(1, std::memory_order_relaxed);
  {
    std::lock_guard<CSpinLock> lock(counters.lock);
    ++counters.live;
    ++counters.created;
  }
  instance->GetReferenceCounter()->deleter = &ReleaseBean;
}

void ReleaseBean(IReferenceCounted* instance) {
  SBeanCounters* counters = nullptr;
  {
    SInstanceShard& shard = ShardOf(instance);
    std::lock_guard<CSpinLock> lock(shard.lock);
    auto known = shard.counters.find(instance);
    if (known != shard.counters.end()) {
      counters = known->second;
      shard.counters.erase(known);
    }
  }
  if (counters != nullptr) {
    {
      std::lock_guard<CSpinLock> lock(counters->lock);
      // As if the name had no entry: a later instance starts the counts anew.
      if (--counters->live == 0) counters->created = 0;
    }
    Drop(counters);
  }
  delete instance;
}

}  // namespace Internal

std::vector<SBeanStatisticsEntry> GetBeanStatistics() {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  std::vector<SBeanStatisticsEntry> entries;
  for (const auto& named : t.byName) {
    Internal::SBeanCounters& counters = *named.second;
    std::lock_guard<CSpinLock> countersLock(counters.lock);
    if (counters.live != 0) entries.push_back({counters.name, counters.live, counters.created});
  }
  return entries;
}

bool GetBeanStatistics(const char* name, SBeanStatisticsEntry& entry) {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  auto found = t.byName.find(name != nullptr ? name : "");
  if (found == t.byName.end()) return false;
  Internal::SBeanCounters& counters = *found->second;
  std::lock_guard<CSpinLock> countersLock(counters.lock);
  if (counters.live == 0) return false;
  entry = {counters.name, counters.live, counters.created};
  return true;
}

}  // namespace Ostrel
