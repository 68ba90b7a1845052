/// @class IReferenceCounted
/// IReferenceCounted: base of every object held by CbSmartPointer (bean instances,
/// services, pools). The object owns a counter record; the count changes only
/// atomically, and the last release destroys the object (see CbSmartPointer).
/// References may be taken and dropped (through CbSmartPointer) from any thread at once.
#pragma once

#include <atomic>
#include <cstdint>

#include <tamarack/Export.h>

class IReferenceCounted;

/// One weak reference to a counted object. The final release clears every record in
/// the object's list (target and link set to null) before the object is destroyed.
/// Link a record into the list, unlink it, and take a reference through its target only
/// while holding the lock ReferenceCounter_GetCriticalSection gives for the counter.
struct SWeakReference {
  IReferenceCounted* target = nullptr;  ///< The object; null once it is being destroyed.
  SWeakReference* next = nullptr;       ///< The next record in the object's list.
};

/// Replaces the virtual destructor on the final release when set.
using ReferenceDeleter = void (*)(IReferenceCounted*);

/// The counter record of a counted object.
struct SReferenceCounter {
  std::atomic<std::uint32_t> count{0};       ///< Strong references; changed atomically.
  SWeakReference* weakReferences = nullptr;  ///< Weak references, guarded by the counter's lock.
  ReferenceDeleter deleter = nullptr;        ///< Destroys the object instead of `delete`, if set.
};

class TAMARACK_API IReferenceCounted {
public:
  virtual ~IReferenceCounted();
  /// The object's counter record; the same for the object's whole life. Derive virtually
  /// so that an object with several counted interfaces has one record.
  virtual SReferenceCounter* GetReferenceCounter() const = 0;
};
