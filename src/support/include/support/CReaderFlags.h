// CReaderFlags: lets many threads read a table without a shared lock while one writer
// at a time, already serialised by a lock of its own, changes it. Each thread owns a
// reader flag on a cache line of its own (shared by every table: a thread reads one
// table at a time); a reader raises its flag and gives way when the table's writer is
// active, a writer raises the table's flag and waits until no thread's reader flag is
// up. Reads are a look-up and a reference count, never a call out, so they neither
// nest nor block, and a thread may read while it writes.
#pragma once

#include <atomic>

#include "platform/FastThreadLocal.h"

namespace Ostrel {

class CReaderFlags {
public:
  CReaderFlags() = default;
  CReaderFlags(const CReaderFlags&) = delete;
  CReaderFlags& operator=(const CReaderFlags&) = delete;

  struct alignas(64) SReaderFlag {
    std::atomic<bool> reading{false};
    std::atomic<bool> owned{true};
    SReaderFlag* next = nullptr;
  };

  // A read of the table. Valid() is false when a writer was active: the reader must
  // take the writers' lock instead.
  class CRead {
  public:
    explicit CRead(const CReaderFlags& slots) {
      SReaderFlag* flag = t_flag != nullptr ? t_flag : ThreadFlag();
      // Raise the flag, then look for a writer; the writer raises its flag, then looks
      // for readers. Sequential consistency makes at least one of the two see the other.
      if (flag == nullptr) return;  // the thread is ending
      flag->reading.exchange(true, std::memory_order_seq_cst);
      if (slots.m_writing.load(std::memory_order_seq_cst)) {
        flag->reading.store(false, std::memory_order_release);
        return;
      }
      m_flag = flag;
    }
    ~CRead() {
      if (m_flag != nullptr) m_flag->reading.store(false, std::memory_order_release);
    }
    CRead(const CRead&) = delete;
    CRead& operator=(const CRead&) = delete;
    bool Valid() const { return m_flag != nullptr; }

  private:
    SReaderFlag* m_flag = nullptr;
  };

  // A change of the table, made under the writers' lock; sections may nest.
  class CWrite {
  public:
    explicit CWrite(CReaderFlags& slots);
    ~CWrite();
    CWrite(const CWrite&) = delete;
    CWrite& operator=(const CWrite&) = delete;

  private:
    CReaderFlags& m_slots;
  };

private:
  // This thread's flag, taken from the pool at its first read; null once it has ended.
  static SReaderFlag* ThreadFlag();
  static OSTREL_FAST_THREAD_LOCAL SReaderFlag* t_flag;

  std::atomic<bool> m_writing{false};
  int m_writeDepth = 0;  // changed only under the writers' lock
};

}  // namespace Ostrel
