#include "support/CReaderFlags.h"

#include <thread>

#include "platform/ThreadExit.h"

namespace Ostrel {
namespace {

// Every flag ever made; never freed, handed on when its thread ends.
std::atomic<CReaderFlags::SReaderFlag*> s_flags{nullptr};

CReaderFlags::SReaderFlag* AcquireFlag() {
  for (auto* flag = s_flags.load(std::memory_order_acquire); flag != nullptr; flag = flag->next) {
    bool owned = false;
    if (flag->owned.compare_exchange_strong(owned, true, std::memory_order_acquire)) return flag;
  }
  auto* flag = new CReaderFlags::SReaderFlag;
  flag->next = s_flags.load(std::memory_order_relaxed);
  while (!s_flags.compare_exchange_weak(flag->next, flag, std::memory_order_release)) {
  }
  return flag;
}

}  // namespace

OSTREL_FAST_THREAD_LOCAL CReaderFlags::SReaderFlag* CReaderFlags::t_flag = nullptr;

CReaderFlags::SReaderFlag* CReaderFlags::ThreadFlag() {
  // Returns the flag to the pool when the thread ends; later reads on this thread (from
  // other thread-local destructors) take the lock.
#if defined(_WIN32)
  // mingw-w64 may free thread_local storage before destructors and exit callbacks run:
  // the exit callback touches the pooled flag only.
  thread_local SReaderFlag* owned = nullptr;
  if (owned == nullptr) {
    owned = AcquireFlag();
    Platform::AtThreadExit(
        [](void* flag) {
          static_cast<SReaderFlag*>(flag)->owned.store(false, std::memory_order_release);
        },
        owned);
  }
  t_flag = owned;
  return t_flag;
#else
  struct SOwner {
    SReaderFlag* flag = AcquireFlag();
    bool ended = false;
    ~SOwner() {
      ended = true;
      t_flag = nullptr;
      flag->owned.store(false, std::memory_order_release);
    }
  };
  thread_local SOwner owner;
  if (owner.ended) return nullptr;
  t_flag = owner.flag;
  return t_flag;
#endif
}

CReaderFlags::CWrite::CWrite(CReaderFlags& slots) : m_slots(slots) {
  if (slots.m_writeDepth++ > 0) return;
  slots.m_writing.store(true, std::memory_order_seq_cst);
  for (auto* flag = s_flags.load(std::memory_order_acquire); flag != nullptr; flag = flag->next) {
    // Readers stay only for a look-up and a reference count.
    while (flag->reading.load(std::memory_order_seq_cst)) std::this_thread::yield();
  }
}

CReaderFlags::CWrite::~CWrite() {
  if (--m_slots.m_writeDepth == 0) m_slots.m_writing.store(false, std::memory_order_release);
}

}  // namespace Ostrel
