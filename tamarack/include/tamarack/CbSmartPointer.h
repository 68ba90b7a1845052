/// @class CbSmartPointer
/// CbSmartPointer<T>: an intrusive smart pointer over IReferenceCounted. Copies share
/// the object; the last release destroys it, through the counter record's deleter when
/// one is set, else through the virtual destructor. A single pointer object is not
/// synchronised; distinct pointers to one object may be copied and released from any
/// thread. T may be incomplete where no reference is taken or dropped, so a class can
/// hold a counted pointer to its own kind.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include <tamarack/IReferenceCounted.h>
#include <tamarack/ReferenceCounter.h>

namespace TamarackDetail {

inline void AddReference(const IReferenceCounted* object) {
  object->GetReferenceCounter()->count.fetch_add(1, std::memory_order_relaxed);
}

// Drops one reference; destroys the object when it was the last one.
inline void ReleaseReference(IReferenceCounted* object) {
  SReferenceCounter* counter = object->GetReferenceCounter();
  if (counter->count.fetch_sub(1, std::memory_order_acq_rel) != 1) {
    return;
  }
  CbCriticalSection& section = ReferenceCounter_GetCriticalSection(counter);
  section.Enter();
  if (counter->count.load(std::memory_order_acquire) != 0) {
    section.Leave();  // revived through a weak reference meanwhile
    return;
  }
  for (SWeakReference* weak = counter->weakReferences; weak != nullptr;) {
    SWeakReference* next = weak->next;
    weak->target = nullptr;
    weak->next = nullptr;
    weak = next;
  }
  counter->weakReferences = nullptr;
  ReferenceDeleter deleter = counter->deleter;
  section.Leave();
  if (deleter != nullptr) {
    deleter(object);
  } else {
    delete object;
  }
}

}  // namespace TamarackDetail

template <class T>
class CbSmartPointer {
public:
  using element_type = T;  ///< The type pointed to.

  /// An empty pointer.
  CbSmartPointer() noexcept = default;
  /// An empty pointer.
  CbSmartPointer(std::nullptr_t) noexcept {}
  /// Takes a new reference to `object` (which may be null).
  CbSmartPointer(T* object) noexcept : m_object(object) { Acquire(); }
  /// Shares `other`'s object, taking a new reference.
  CbSmartPointer(const CbSmartPointer& other) noexcept : m_object(other.m_object) { Acquire(); }
  /// Takes over `other`'s reference; `other` is left empty.
  CbSmartPointer(CbSmartPointer&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
  /// Shares the object of a pointer to a derived class, taking a new reference.
  template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
  CbSmartPointer(const CbSmartPointer<U>& other) noexcept : m_object(other.Get()) { Acquire(); }
  /// Takes over the reference of a pointer to a derived class; `other` is left empty.
  template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
  CbSmartPointer(CbSmartPointer<U>&& other) noexcept : m_object(other.Detach()) {}

  /// Drops the reference held, if any.
  ~CbSmartPointer() { Release(); }

  /// Shares `other`'s object and drops the reference held before.
  CbSmartPointer& operator=(const CbSmartPointer& other) noexcept {
    CbSmartPointer(other).Swap(*this);
    return *this;
  }
  /// Takes over `other`'s reference and drops the one held before; `other` is left empty.
  CbSmartPointer& operator=(CbSmartPointer&& other) noexcept {
    CbSmartPointer(std::move(other)).Swap(*this);
    return *this;
  }
  /// Takes a new reference to `object` (which may be null) and drops the one held before.
  CbSmartPointer& operator=(T* object) noexcept {
    CbSmartPointer(object).Swap(*this);
    return *this;
  }
  /// Drops the reference held, if any.
  CbSmartPointer& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  /// Drops the reference held, if any.
  void Reset() noexcept { Release(); }

  /// The object, or null; no reference is taken for the caller.
  T* Get() const noexcept { return m_object; }
  /// The object's members; the pointer must not be empty.
  T* operator->() const noexcept { return m_object; }
  /// The object; the pointer must not be empty.
  T& operator*() const noexcept { return *m_object; }
  /// True when the pointer holds an object.
  explicit operator bool() const noexcept { return m_object != nullptr; }
  /// True when the pointer holds no object.
  bool IsEmpty() const noexcept { return m_object == nullptr; }

  /// Gives up the reference without releasing it; the caller owns it now.
  T* Detach() noexcept {
    T* object = m_object;
    m_object = nullptr;
    return object;
  }

  /// Exchanges the objects of two pointers without counting.
  void Swap(CbSmartPointer& other) noexcept { std::swap(m_object, other.m_object); }

  /// Takes over a reference that the caller owns (one given up by Detach), without
  /// counting again.
  static CbSmartPointer Adopt(T* object) noexcept {
    CbSmartPointer pointer;
    pointer.m_object = object;
    return pointer;
  }

private:
  // Checked where the pointer counts, the first place that needs a complete T.
  static constexpr bool CheckCounted() {
    static_assert(std::is_base_of<IReferenceCounted, T>::value,
                  "CbSmartPointer needs a class derived from IReferenceCounted");
    return true;
  }
  void Acquire() noexcept {
    static_assert(CheckCounted());
    if (m_object != nullptr) {
      TamarackDetail::AddReference(m_object);
    }
  }
  void Release() noexcept {
    static_assert(CheckCounted());
    T* object = m_object;
    m_object = nullptr;
    if (object != nullptr) {
      TamarackDetail::ReleaseReference(object);
    }
  }

  T* m_object = nullptr;
};

/// @file
/// CbSmartPointer, its comparisons and DynamicPointerCast.

/// True when both point to the same object (or both are empty).
template <class T, class U>
bool operator==(const CbSmartPointer<T>& a, const CbSmartPointer<U>& b) noexcept {
  return a.Get() == b.Get();
}
/// True when they point to different objects.
template <class T, class U>
bool operator!=(const CbSmartPointer<T>& a, const CbSmartPointer<U>& b) noexcept {
  return a.Get() != b.Get();
}
/// True when `a` is empty.
template <class T>
bool operator==(const CbSmartPointer<T>& a, std::nullptr_t) noexcept { return !a; }
/// True when `a` holds an object.
template <class T>
bool operator!=(const CbSmartPointer<T>& a, std::nullptr_t) noexcept { return static_cast<bool>(a); }

/// Checked conversion: an empty pointer when `from` does not point to a T.
template <class T, class U>
CbSmartPointer<T> DynamicPointerCast(const CbSmartPointer<U>& from) noexcept {
  return CbSmartPointer<T>(dynamic_cast<T*>(from.Get()));
}
