// Read-only diagnostics: how many instances of each bean are alive, process-wide over
// every factory. Counts cover instances that a factory created and that have not been
// released yet; an entry disappears when its last instance goes.
// GetBeanStatistics may be called from any thread, also while beans are made and
// released: each count is read under its own lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ostrel/Export.h>

namespace Ostrel {

/// The instance counts of one bean name.
struct SBeanStatisticsEntry {
  std::string name;       ///< The bean's name.
  std::uint64_t live;     ///< Created and not yet released.
  std::uint64_t created;  ///< Created since the entry was made.
};

/// A snapshot of every bean name with live instances. Thread-safe.
OSTREL_API std::vector<SBeanStatisticsEntry> GetBeanStatistics();

/// The entry of one bean name; false (and `entry` untouched) when it has none.
OSTREL_API bool GetBeanStatistics(const char* name, SBeanStatisticsEntry& entry);

}  // namespace Ostrel
