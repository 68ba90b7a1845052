/// @class CbReferenceCounted
/// CbReferenceCounted: a ready base class that implements IReferenceCounted for bean and
/// service classes. It derives virtually, so a class may also implement interfaces that
/// derive virtually from IReferenceCounted and still has one counter record.
/// Counting is atomic: pointers to one object may be copied and dropped on any thread.
#pragma once

#include <tamarack/IReferenceCounted.h>

class CbReferenceCounted : public virtual IReferenceCounted {
public:
  /// Starts with a count of 0; the first CbSmartPointer to the object makes it 1.
  CbReferenceCounted() = default;
  /// A copy is a new object with a count of its own.
  CbReferenceCounted(const CbReferenceCounted&) : IReferenceCounted() {}
  /// Leaves the count alone: it belongs to the object, not to its value.
  CbReferenceCounted& operator=(const CbReferenceCounted&) { return *this; }
  ~CbReferenceCounted() override = default;

  /// The object's own counter record.
  SReferenceCounter* GetReferenceCounter() const override { return &m_counter; }

private:
  mutable SReferenceCounter m_counter;
};
