#include "BeanStatistics.h"

#include <ostrel/BeanStatistics.h>

#include <memory_resource>
#include <mutex>
#include <string>
#include <unordered_map>

#include "support/CbMap.h"

namespace Ostrel {
namespace Internal {
namespace {

using StatisticsMap = CbMap<std::string, SBeanStatistics, CbFnv1aHash>;

constexpr std::uint32_t kBuckets = 128;

struct STables {
  StatisticsMap statistics{kBuckets};
  // The entry of every live instance. Never iterated, so a map without an iteration
  // order: its cost stays flat however many instances came and went. Its nodes come
  // from a pool, so counting an instance allocates nothing once the pool is warm.
  std::pmr::unsynchronized_pool_resource nodes;
  std::pmr::unordered_map<const void*, StatisticsMap::Association*> instances{&nodes};
  std::mutex lock;  // held only for a few table operations, never around client code
};

STables& Tables() {
  // Never destroyed: beans may be released by static destructors at process exit.
  static STables* tables = new STables;
  return *tables;
}

[[maybe_unused]] STables& s_tables = Tables();

}  // namespace

void RecordBean(const char* name, IReferenceCounted* instance) {
  STables& t = Tables();
  std::lock_guard<std::mutex> lock(t.lock);
  const void* address = instance;
  auto slot = t.instances.emplace(address, nullptr);
  if (!slot.second) {
    return;  // handed out again by its creation method: counted once already
  }
  auto* entry = t.statistics.GetOrInsert(std::string_view(name != nullptr ? name : ""));
  slot.first->second = entry;
  ++entry->value.live;
  ++entry->value.created;
  instance->GetReferenceCounter()->deleter = &ReleaseBean;
}

void ReleaseBean(IReferenceCounted* instance) {
  {
    STables& t = Tables();
    std::lock_guard<std::mutex> lock(t.lock);
    const void* address = instance;
    auto known = t.instances.find(address);
    if (known != t.instances.end()) {
      StatisticsMap::Association* entry = known->second;
      if (--entry->value.live == 0) {
        t.statistics.Remove(std::string_view(entry->key));
        // The table never shrinks, and a sparse one makes each insertion look for its
        // neighbour in iteration order across the empty buckets: start afresh once the
        // last bean is gone.
        if (t.statistics.IsEmpty() && t.statistics.GetBucketCount() > kBuckets) {
          StatisticsMap fresh(kBuckets);
          t.statistics.Swap(fresh);
        }
      }
      t.instances.erase(known);
    }
  }
  delete instance;
}

}  // namespace Internal

std::vector<SBeanStatisticsEntry> GetBeanStatistics() {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<std::mutex> lock(t.lock);
  std::vector<SBeanStatisticsEntry> entries;
  entries.reserve(t.statistics.GetCount());
  for (const auto& entry : t.statistics) {
    entries.push_back({entry.key, entry.value.live, entry.value.created});
  }
  return entries;
}

bool GetBeanStatistics(const char* name, SBeanStatisticsEntry& entry) {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<std::mutex> lock(t.lock);
  auto* found = t.statistics.Lookup(std::string_view(name != nullptr ? name : ""));
  if (found == nullptr) {
    return false;
  }
  entry = {found->key, found->value.live, found->value.created};
  return true;
}

}  // namespace Ostrel
