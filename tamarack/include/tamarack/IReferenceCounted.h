// IReferenceCounted: base of every object held by CbSmartPointer (bean instances,
// services, pools). The object owns a counter record; the count changes only
// atomically, and the last release destroys the object (see CbSmartPointer).
// AddRef and Release may be called from any thread at once.
#pragma once

#include <atomic>
#include <cstdint>

#include <tamarack/Export.h>

class IReferenceCounted;

// One weak reference to a counted object. The final release clears every record in
// the object's list (target and link set to null) before the object is destroyed.
struct SWeakReference {
  IReferenceCounted* target = nullptr;
  SWeakReference* next = nullptr;
};

// Replaces the virtual destructor on the final release when set.
using ReferenceDeleter = void (*)(IReferenceCounted*);

// The counter record of a counted object.
struct SReferenceCounter {
  std::atomic<std::uint32_t> count{0};
  SWeakReference* weakReferences = nullptr;
  ReferenceDeleter deleter = nullptr;
};

class TAMARACK_API IReferenceCounted {
public:
  virtual ~IReferenceCounted();
  virtual SReferenceCounter* GetReferenceCounter() const = 0;
};
