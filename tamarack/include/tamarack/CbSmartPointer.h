// CbSmartPointer<T>: an intrusive smart pointer over IReferenceCounted. Copies share
// the object; the last release destroys it, through the counter record's deleter when
// one is set, else through the virtual destructor. A single pointer object is not
// synchronised; distinct pointers to one object may be copied and released from any
// thread. T may be incomplete where no reference is taken or dropped, so a class can
// hold a counted pointer to its own kind.
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
  using element_type = T;

  CbSmartPointer() noexcept = default;
  CbSmartPointer(std::nullptr_t) noexcept {}
  // Takes a new reference to `object` (which may be null).
  CbSmartPointer(T* object) noexcept : m_object(object) { Acquire(); }
  CbSmartPointer(const CbSmartPointer& other) noexcept : m_object(other.m_object) { Acquire(); }
  CbSmartPointer(CbSmartPointer&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
  template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
  CbSmartPointer(const CbSmartPointer<U>& other) noexcept : m_object(other.Get()) { Acquire(); }
  template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
  CbSmartPointer(CbSmartPointer<U>&& other) noexcept : m_object(other.Detach()) {}

  ~CbSmartPointer() { Release(); }

  CbSmartPointer& operator=(const CbSmartPointer& other) noexcept {
    CbSmartPointer(other).Swap(*this);
    return *this;
  }
  CbSmartPointer& operator=(CbSmartPointer&& other) noexcept {
    CbSmartPointer(std::move(other)).Swap(*this);
    return *this;
  }
  CbSmartPointer& operator=(T* object) noexcept {
    CbSmartPointer(object).Swap(*this);
    return *this;
  }
  CbSmartPointer& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  // Drops the reference held, if any.
  void Reset() noexcept { Release(); }

  T* Get() const noexcept { return m_object; }
  T* operator->() const noexcept { return m_object; }
  T& operator*() const noexcept { return *m_object; }
  explicit operator bool() const noexcept { return m_object != nullptr; }
  bool IsEmpty() const noexcept { return m_object == nullptr; }

  // Gives up the reference without releasing it; the caller owns it now.
  T* Detach() noexcept {
    T* object = m_object;
    m_object = nullptr;
    return object;
  }

  void Swap(CbSmartPointer& other) noexcept { std::swap(m_object, other.m_object); }

  // Takes over a reference that the caller owns (one given up by Detach), without
  // counting again.
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

template <class T, class U>
bool operator==(const CbSmartPointer<T>& a, const CbSmartPointer<U>& b) noexcept {
  return a.Get() == b.Get();
}
template <class T, class U>
bool operator!=(const CbSmartPointer<T>& a, const CbSmartPointer<U>& b) noexcept {
  return a.Get() != b.Get();
}
template <class T>
bool operator==(const CbSmartPointer<T>& a, std::nullptr_t) noexcept { return !a; }
template <class T>
bool operator!=(const CbSmartPointer<T>& a, std::nullptr_t) noexcept { return static_cast<bool>(a); }

// Checked conversion: an empty pointer when `from` does not point to a T.
template <class T, class U>
CbSmartPointer<T> DynamicPointerCast(const CbSmartPointer<U>& from) noexcept {
  return CbSmartPointer<T>(dynamic_cast<T*>(from.Get()));
}
