// CSpinLock: a lock for sections of a few instructions that never run client code:
// cheaper than a mutex when nobody waits, and it yields while somebody does. Not
// recursive. Meets BasicLockable, for std::lock_guard.
#pragma once

#include <atomic>
#include <thread>

namespace Ostrel {

class CSpinLock {
public:
  void lock() {
    while (m_held.exchange(true, std::memory_order_acquire)) {
      while (m_held.load(std::memory_order_relaxed)) std::this_thread::yield();
    }
  }
  void unlock() { m_held.store(false, std::memory_order_release); }

private:
  std::atomic<bool> m_held{false};
};

}  // namespace Ostrel
