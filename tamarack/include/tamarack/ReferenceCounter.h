/// @file
/// The lock that guards the final release of a reference counter.
/// The lock may be taken from any thread.
#pragma once

#include <tamarack/CbCriticalSection.h>
#include <tamarack/Export.h>

/// Returns the lock guarding the counter record at `counter`. The same address always
/// gives the same lock; the locks come from a fixed striped table, so finding one is a
/// hash and an index. Thread-safe.
TAMARACK_API CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* counter);
