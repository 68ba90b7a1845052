#include "support/CSharedGate.h"

#include "platform/FastThreadLocal.h"

namespace Ostrel {
namespace {

std::atomic<unsigned> s_nextStripe{0};
OSTREL_FAST_THREAD_LOCAL unsigned t_stripe = 0;  // 0: none chosen yet, else index + 1

}  // namespace

CSharedGate::SStripe& CSharedGate::ThreadStripe() {
  if (t_stripe == 0) t_stripe = s_nextStripe.fetch_add(1, std::memory_order_relaxed) % kStripes + 1;
  return m_stripes[t_stripe - 1];
}

bool CSharedGate::Empty() const {
  for (const SStripe& stripe : m_stripes) {
    if (stripe.inside.load(std::memory_order_seq_cst) != 0) return false;
  }
  return true;
}

void CSharedGate::Enter() {
  SStripe& stripe = ThreadStripe();
  for (;;) {
    // Count in, then look for a holder; the holder raises its flag, then counts. Sequential
    // consistency makes at least one of the two see the other.
    stripe.inside.fetch_add(1, std::memory_order_seq_cst);
    if (!m_alone.load(std::memory_order_seq_cst)) return;
    Leave();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_alone.load(std::memory_order_seq_cst); });
  }
}

void CSharedGate::Leave() {
  if (ThreadStripe().inside.fetch_sub(1, std::memory_order_seq_cst) == 1 &&
      m_alone.load(std::memory_order_seq_cst)) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();
  }
}

void CSharedGate::EnterAlone() {
  m_holders.lock();
  m_alone.store(true, std::memory_order_seq_cst);
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [this] { return Empty(); });
}

void CSharedGate::LeaveAlone() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_alone.store(false, std::memory_order_seq_cst);
  }
  m_changed.notify_all();
  m_holders.unlock();
}

}  // namespace Ostrel
