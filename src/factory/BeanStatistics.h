// The process-wide bean statistics: live and created counts per bean name, and the
// counts of every live instance that a factory created. Shared by all factories. A
// factory takes the counts of a bean name once (AcquireCounters) and counts each
// instance through them, so a creation costs no look-up of the name; the counts of one
// name and the table of instances have locks of their own, each held for a few
// instructions and never around client code.
#pragma once

#include <cstdint>

#include <tamarack/IReferenceCounted.h>

namespace Ostrel {
namespace Internal {

// The counts of one bean name; opaque outside the statistics.
struct SBeanCounters;

// The counts of `name`, kept until ReleaseCounters and while instances counted through
// them live.
SBeanCounters* AcquireCounters(const char* name);
void ReleaseCounters(SBeanCounters* counters);

// Counts a new instance and makes ReleaseBean its deleter; an instance counted before
// (a creation method may hand one out again) is left as it is.
void RecordBean(SBeanCounters& counters, IReferenceCounted* instance);

// The deleter of every bean a factory created: uncounts the instance, then deletes it.
void ReleaseBean(IReferenceCounted* instance);

}  // namespace Internal
}  // namespace Ostrel
