/// @class CbCriticalSection
/// CbCriticalSection: a recursive lock (the owning thread may enter it again).
/// Thread-safe: any thread may enter it; only the thread that holds it may leave it.
#pragma once

#include <mutex>

#include <tamarack/Export.h>

class TAMARACK_API CbCriticalSection {
public:
  CbCriticalSection();
  ~CbCriticalSection();
  CbCriticalSection(const CbCriticalSection&) = delete;
  CbCriticalSection& operator=(const CbCriticalSection&) = delete;

  /// Waits until the calling thread holds the lock; a thread that holds it already
  /// enters again at once. Each Enter needs its own Leave.
  void Enter();
  /// Enters without waiting; false when the lock is not free (another thread holds it).
  bool TryEnter();
  /// Leaves once; the lock is free when the holder has left as often as it entered.
  void Leave();

  /// @name Lockable
  /// So that std::lock_guard and std::unique_lock work too.
  //@{
  /// Same as Enter.
  void lock() { Enter(); }
  /// Same as TryEnter.
  bool try_lock() { return TryEnter(); }
  /// Same as Leave.
  void unlock() { Leave(); }
  //@}

private:
  std::recursive_mutex m_mutex;
};
