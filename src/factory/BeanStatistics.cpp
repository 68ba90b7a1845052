#include "BeanStatistics.h"

#include <ostrel/BeanStatistics.h>
#include <tamarack/CbCriticalSection.h>

#include <mutex>
#include <string>

#include "support/CbMap.h"

namespace Ostrel {
namespace Internal {
namespace {

using StatisticsMap = CbMap<std::string, SBeanStatistics, CbFnv1aHash>;

struct STables {
  StatisticsMap statistics{128};
  // The entry of every live instance. Never iterated: few buckets to begin with keep
  // its ordered insertions cheap.
  CbMap<const void*, StatisticsMap::Association*> instances{16};
  CbCriticalSection lock;
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
  std::lock_guard<CbCriticalSection> lock(t.lock);
  const void* address = instance;
  if (t.instances.Lookup(address) != nullptr) {
    return;  // handed out again by its creation method: counted once already
  }
  auto* entry = t.statistics.GetOrInsert(std::string_view(name != nullptr ? name : ""));
  t.instances.GetOrInsert(address)->value = entry;
  ++entry->value.live;
  ++entry->value.created;
  instance->GetReferenceCounter()->deleter = &ReleaseBean;
}

void ReleaseBean(IReferenceCounted* instance) {
  {
    STables& t = Tables();
    std::lock_guard<CbCriticalSection> lock(t.lock);
    const void* address = instance;
    if (auto* known = t.instances.Lookup(address)) {
      StatisticsMap::Association* entry = known->value;
      if (--entry->value.live == 0) {
        t.statistics.Remove(std::string_view(entry->key));
      }
      t.instances.Remove(address);
    }
  }
  delete instance;
}

}  // namespace Internal

std::vector<SBeanStatisticsEntry> GetBeanStatistics() {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CbCriticalSection> lock(t.lock);
  std::vector<SBeanStatisticsEntry> entries;
  entries.reserve(t.statistics.GetCount());
  for (const auto& entry : t.statistics) {
    entries.push_back({entry.key, entry.value.live, entry.value.created});
  }
  return entries;
}

bool GetBeanStatistics(const char* name, SBeanStatisticsEntry& entry) {
  Internal::STables& t = Internal::Tables();
  std::lock_guard<CbCriticalSection> lock(t.lock);
  auto* found = t.statistics.Lookup(std::string_view(name != nullptr ? name : ""));
  if (found == nullptr) {
    return false;
  }
  entry = {found->key, found->value.live, found->value.created};
  return true;
}

}  // namespace Ostrel
