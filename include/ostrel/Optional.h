// Optional<U>: a bean or service parameter of a toolkit wrapper that accepts a reference
// that resolved to nothing. Without it the toolkit refuses such a reference, so that no
// setter or constructor ever receives null by accident.
// Like a smart pointer, one Optional is used by one thread at a time; the object it
// refers to is counted atomically.
#pragma once

#include <utility>

#include <tamarack/CbSmartPointer.h>

namespace Ostrel {

/// A reference parameter that may be empty on purpose: declare a setter or constructor
/// parameter as `Ostrel::Optional<U>` (or a const reference to one) and a configured
/// reference that resolved to nothing arrives empty instead of failing the call.
template <class U>
class Optional {
public:
  /// An empty reference.
  Optional() = default;
  /// A reference to the object `pointer` holds (empty when it holds none).
  explicit Optional(CbSmartPointer<U> pointer) : m_pointer(std::move(pointer)) {}

  /// Whether the reference resolved to an object.
  explicit operator bool() const { return static_cast<bool>(m_pointer); }
  /// The object; null when the reference resolved to nothing.
  U* Get() const { return m_pointer.Get(); }
  /// The object's members; the reference must not be empty.
  U* operator->() const { return m_pointer.Get(); }
  /// The counted pointer, to keep the object.
  const CbSmartPointer<U>& Pointer() const { return m_pointer; }

private:
  CbSmartPointer<U> m_pointer;
};

}  // namespace Ostrel
