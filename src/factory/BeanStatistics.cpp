#include "BeanStatistics.h"

#include <ostrel/BeanStatistics.h>

#include <memory_resource>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/CSpinLock.h"
#include "support/CbMap.h"

namespace Ostrel {
namespace Internal {
namespace {

using StatisticsMap = CbMap<std::string, SBeanStatistics, CbFnv1aHash>;

constexpr std::uint32_t kBuckets = 128;
// Entries of names without live instances are kept for their next instance (a prototype
// comes and goes with every request) until they are this many and half of the table.
constexpr std::uint32_t kDormantKept = 1024;

struct STables {
  // An entry whose `live` count is 0 stands for no entry (see kDormantKept).
  StatisticsMap statistics{kBuckets};
  std::uint32_t dormant = 0;
  // The entry of every live instance. Never iterated, so a map without an iteration
  // order: its cost stays flat however many instances came and went. Its nodes come
  // from a pool, so counting an instance allocates nothing once the pool is warm.
  std::pmr::unsynchronized_pool_resource nodes;
  std::pmr::unordered_map<const void*, StatisticsMap::Association*> instances{&nodes};
  CSpinLock lock;  // held for a few table operations, never around client code
};

// Drops the entries without live instances; a table left empty starts afresh, since it
// never shrinks and a sparse one makes each insertion look for its neighbour in
// iteration order across the empty buckets.
void DropDormant(STables& t) {
  std::vector<std::string> names;
  names.reserve(t.dormant);
  for (const auto& entry : t.statistics) {
    if (entry.value.live == 0) names.push_back(entry.key);
  }
  for (const std::string& name : names) t.statistics.Remove(name);
  t.dormant = 0;
  if (t.statistics.IsEmpty() && t.statistics.GetBucketCount() > kBuckets) {
    StatisticsMap fresh(kBuckets);
    t.statistics.Swap(fresh);
  }
}

STables& Tables() {
  // Never destroyed: beans may be released by static destructors at process exit.
  static STables* tables = new STables;
  return *tables;
}

[[maybe_unused]] STables& s_tables = Tables();

}  // namespace

void RecordBean(const char* name, IReferenceCounted* instance) {
  STables& t = Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  const void* address = instance;
  auto slot = t.instances.emplace(address, nullptr);
  if (!slot.second) {
    return;  // handed out again by its creation method: counted once already
  }
  bool inserted = false;
  auto* entry = t.statistics.GetOrInsert(std::string_view(name != nullptr ? name : ""), &inserted);
  slot.first->second = entry;
  if (!inserted && entry->value.live == 0) {
    --t.dormant;  // woken; its counts were reset when it fell dormant
  }
  ++entry->value.live;
  ++entry->value.created;
  instance->GetReferenceCounter()->deleter = &ReleaseBean;
}

void ReleaseBean(IReferenceCounted* instance) {
  {
    STables& t = Tables();
    std::lock_guard<CSpinLock> lock(t.lock);
    const void* address = instance;
    auto known = t.instances.find(address);
    if (known != t.instances.end()) {
      StatisticsMap::Association* entry = known->second;
      t.instances.erase(known);
      if (--entry->value.live == 0) {
        // As if removed: a later instance starts the counts anew.
        entry->value.created = 0;
        if (++t.dormant > kDormantKept && t.dormant * 2 > t.statistics.GetCount()) {
          DropDormant(t);
        }
      }
    }
  }
  delete instance;
}

}  // namespace Internal

std::vector<SBeanStatisticsEntry> GetBeanStatistics() {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  std::vector<SBeanStatisticsEntry> entries;
  entries.reserve(t.statistics.GetCount() - t.dormant);
  for (const auto& entry : t.statistics) {
    if (entry.value.live != 0) entries.push_back({entry.key, entry.value.live, entry.value.created});
  }
  return entries;
}

bool GetBeanStatistics(const char* name, SBeanStatisticsEntry& entry) {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CSpinLock> lock(t.lock);
  auto* found = t.statistics.Lookup(std::string_view(name != nullptr ? name : ""));
  if (found == nullptr || found->value.live == 0) {
    return false;
  }
  entry = {found->key, found->value.live, found->value.created};
  return true;
}

}  // namespace Ostrel
