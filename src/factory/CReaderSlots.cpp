#include "CReaderSlots.h"

#include <thread>

namespace Ostrel {
namespace {

// Threads take the slots in turn, so that two threads rarely share a cache line.
std::size_t ThreadSlot(std::size_t count) {
  static std::atomic<std::size_t> s_next{0};
  thread_local const std::size_t t_slot = s_next.fetch_add(1, std::memory_order_relaxed);
  return t_slot % count;
}

}  // namespace

CReaderSlots::CRead::CRead(CReaderSlots& slots) {
  std::atomic<int>& slot = slots.m_slots[ThreadSlot(kSlots)].readers;
  // Announce, then look for a writer; the writer raises its flag, then looks for
  // readers. Sequential consistency makes at least one of the two see the other.
  slot.fetch_add(1, std::memory_order_seq_cst);
  if (slots.m_writing.load(std::memory_order_seq_cst)) {
    slot.fetch_sub(1, std::memory_order_release);
    return;
  }
  m_slot = &slot;
}

CReaderSlots::CWrite::CWrite(CReaderSlots& slots) : m_slots(slots) {
  if (slots.m_writeDepth++ > 0) return;
  slots.m_writing.store(true, std::memory_order_seq_cst);
  for (SSlot& slot : slots.m_slots) {
    // Readers stay only for a look-up and a reference count.
    while (slot.readers.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
  }
}

CReaderSlots::CWrite::~CWrite() {
  if (--m_slots.m_writeDepth == 0) m_slots.m_writing.store(false, std::memory_order_release);
}

}  // namespace Ostrel
