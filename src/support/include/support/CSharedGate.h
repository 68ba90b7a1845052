// CSharedGate: many threads pass it together, or one thread holds it alone. Passing
// costs one atomic operation on a counter that other threads seldom touch (one of a few
// counters on lines of their own, chosen per thread); holding it alone waits until
// every passing thread has left, and threads arriving meanwhile wait until it is
// released. Neither side is recursive: a thread that passes must not pass again while
// it is inside, nor hold it alone (callers track their own nesting).
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace Ostrel {

class CSharedGate {
public:
  CSharedGate() = default;
  CSharedGate(const CSharedGate&) = delete;
  CSharedGate& operator=(const CSharedGate&) = delete;

  void Enter();
  void Leave();
  void EnterAlone();
  void LeaveAlone();

  // Passes the gate for its lifetime, unless `pass` is false.
  class CPass {
  public:
    CPass(CSharedGate& gate, bool pass) : m_gate(pass ? &gate : nullptr) {
      if (m_gate != nullptr) m_gate->Enter();
    }
    ~CPass() {
      if (m_gate != nullptr) m_gate->Leave();
    }
    CPass(const CPass&) = delete;
    CPass& operator=(const CPass&) = delete;

  private:
    CSharedGate* m_gate;
  };

  // Holds the gate alone for its lifetime.
  class CAlone {
  public:
    explicit CAlone(CSharedGate& gate) : m_gate(gate) { m_gate.EnterAlone(); }
    ~CAlone() { m_gate.LeaveAlone(); }
    CAlone(const CAlone&) = delete;
    CAlone& operator=(const CAlone&) = delete;

  private:
    CSharedGate& m_gate;
  };

private:
  static constexpr unsigned kStripes = 16;
  struct alignas(64) SStripe {
    std::atomic<int> inside{0};
  };
  SStripe& ThreadStripe();
  bool Empty() const;

  SStripe m_stripes[kStripes];
  std::atomic<bool> m_alone{false};
  std::mutex m_holders;  // one holder at a time
  std::mutex m_mutex;    // for waiting on m_changed
  std::condition_variable m_changed;
};

}  // namespace Ostrel
