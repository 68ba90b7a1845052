/// @file
/// Bookkeeping for process-wide singletons: one lock for creating them, a live counter
/// per type name and a log of creation and destruction events. Thread-safe.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <tamarack/CbCriticalSection.h>
#include <tamarack/Export.h>

namespace Singleton {

/// What happened to a singleton.
enum ELogEvent {
  Created = 0,   ///< It was made.
  Destroyed = 1  ///< It is about to be destroyed.
};

/// The one process-wide lock under which singletons are created.
TAMARACK_API CbCriticalSection& GetCriticalSectionSingleton();

/// Called after a singleton of `typeName` was created.
TAMARACK_API void IncrementSingletonCounter(const char* typeName);
/// Called after a singleton of `typeName` was deleted.
TAMARACK_API void DecrementSingletonCounter(const char* typeName);
/// Records an event for `typeName` (1 before destruction).
TAMARACK_API void Log(ELogEvent event, const char* typeName);

/// Live singletons of `typeName` (created minus destroyed).
TAMARACK_API int GetSingletonCounter(const char* typeName);
/// Every event recorded so far, oldest first.
TAMARACK_API std::vector<std::pair<ELogEvent, std::string>> GetSingletonLog();

}  // namespace Singleton

/// CbSingleton<T>: marker base of classes that use the singleton bookkeeping above.
template <class T>
class CbSingleton {};
