// CTypedCast<T>: turns a counted object into a T without a dynamic_cast per call. Every
// object of one class lies at one distance from the T inside it, so the distance is
// found with one dynamic_cast the first time a class is met and reused afterwards.
// The typed accessors of CContainer use it; any code may.
// Cast may be called from any thread: the distances it learns are published atomically.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <typeinfo>

#include <tamarack/IReferenceCounted.h>

namespace Ostrel {
namespace Internal {

/// Casts counted objects to T, remembering the adjustment for a few classes per T.
template <class T>
class CTypedCast {
public:
  /// `object` as a T, or null when it is null or no T. Safe from any thread.
  static T* Cast(IReferenceCounted* object) noexcept {
    if (object == nullptr) return nullptr;
    char* const address = reinterpret_cast<char*>(object);
    // The class and the place of the counted base inside the whole object identify
    // the adjustment, also where a class has more than one counted base.
    char* const whole = static_cast<char*>(dynamic_cast<void*>(object));
    const std::type_info* const type = &typeid(*object);
    const std::ptrdiff_t base = address - whole;
    for (SEntry& entry : s_entries) {
      const int state = entry.state.load(std::memory_order_acquire);
      if (state == kEmpty) break;
      if (state == kReady && entry.type == type && entry.base == base) {
        return entry.offset == kNoT ? nullptr : reinterpret_cast<T*>(address + entry.offset);
      }
    }
    T* typed = dynamic_cast<T*>(object);
    const std::ptrdiff_t offset = typed != nullptr ? reinterpret_cast<char*>(typed) - address : kNoT;
    for (SEntry& entry : s_entries) {
      int expected = kEmpty;
      if (entry.state.compare_exchange_strong(expected, kWriting, std::memory_order_acquire)) {
        entry.type = type;
        entry.base = base;
        entry.offset = offset;
        entry.state.store(kReady, std::memory_order_release);
        break;
      }
    }
    return typed;
  }

private:
  enum : int { kEmpty, kWriting, kReady };
  static constexpr std::ptrdiff_t kNoT = PTRDIFF_MIN;
  struct SEntry {
    std::atomic<int> state{kEmpty};
    const std::type_info* type = nullptr;
    std::ptrdiff_t base = 0;
    std::ptrdiff_t offset = 0;
  };
  // Classes beyond these are cast every time.
  inline static SEntry s_entries[4];
};

}  // namespace Internal
}  // namespace Ostrel
