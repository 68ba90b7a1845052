// CReaderSlots: lets many threads read a table without a shared lock while one writer
// at a time, already serialised by a lock of its own, changes it. A reader announces
// itself in a counter of its own cache line (chosen by thread) and gives way when a
// writer is active; a writer raises its flag and waits until the readers that came in
// before it have left. Readers never wait, so a thread may read while it writes.
#pragma once

#include <atomic>
#include <cstddef>

namespace Ostrel {

class CReaderSlots {
public:
  CReaderSlots() = default;
  CReaderSlots(const CReaderSlots&) = delete;
  CReaderSlots& operator=(const CReaderSlots&) = delete;

  // A read of the table. Valid() is false when a writer was active: the reader must
  // take the writers' lock instead.
  class CRead {
  public:
    explicit CRead(CReaderSlots& slots);
    ~CRead() {
      if (m_slot != nullptr) m_slot->fetch_sub(1, std::memory_order_release);
    }
    CRead(const CRead&) = delete;
    CRead& operator=(const CRead&) = delete;
    bool Valid() const { return m_slot != nullptr; }

  private:
    std::atomic<int>* m_slot = nullptr;
  };

  // A change of the table, made under the writers' lock; sections may nest.
  class CWrite {
  public:
    explicit CWrite(CReaderSlots& slots);
    ~CWrite();
    CWrite(const CWrite&) = delete;
    CWrite& operator=(const CWrite&) = delete;

  private:
    CReaderSlots& m_slots;
  };

private:
  static constexpr std::size_t kSlots = 16;
  struct alignas(64) SSlot {
    std::atomic<int> readers{0};
  };

  SSlot m_slots[kSlots];
  alignas(64) std::atomic<bool> m_writing{false};
  int m_writeDepth = 0;  // changed only under the writers' lock
};

}  // namespace Ostrel
