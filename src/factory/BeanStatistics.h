// The process-wide bean statistics: live and created counts per bean name, and the
// bean name of every live instance that a factory created. Shared by all factories;
// guarded by one lock, taken after any factory lock.
#pragma once

#include <cstdint>

#include <tamarack/IReferenceCounted.h>

namespace Ostrel {
namespace Internal {

struct SBeanStatistics {
  std::uint64_t live = 0;
  std::uint64_t created = 0;
};

// Counts a new instance of bean `name` and makes ReleaseBean its deleter; an instance
// counted before (a creation method may hand one out again) is left as it is.
void RecordBean(const char* name, IReferenceCounted* instance);

// The deleter of every bean a factory created: uncounts the instance, then deletes it.
void ReleaseBean(IReferenceCounted* instance);

}  // namespace Internal
}  // namespace Ostrel
