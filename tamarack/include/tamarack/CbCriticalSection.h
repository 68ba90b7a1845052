// CbCriticalSection: a recursive lock (the owning thread may enter it again).
#pragma once

#include <mutex>

#include <tamarack/Export.h>

class TAMARACK_API CbCriticalSection {
public:
  CbCriticalSection();
  ~CbCriticalSection();
  CbCriticalSection(const CbCriticalSection&) = delete;
  CbCriticalSection& operator=(const CbCriticalSection&) = delete;

  void Enter();
  bool TryEnter();
  void Leave();

  // BasicLockable, so std::lock_guard and std::unique_lock work too.
  void lock() { Enter(); }
  bool try_lock() { return TryEnter(); }
  void unlock() { Leave(); }

private:
  std::recursive_mutex m_mutex;
};
