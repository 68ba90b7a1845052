// CThreadSlot: one pointer per thread, handed to a callback when the thread ends; for
// Windows, where mingw-w64 may free thread_local storage before a thread_local object's
// destructor or other thread-exit work runs. A fiber-local slot holds the pointer there.
// A value set after the thread's exit work began is not handed back (it is never freed).
// Thread-safe: each thread sees only its own value.
#pragma once

namespace Platform {

class CThreadSlot {
public:
  // `destroy` gets a thread's non-null value when that thread ends.
  explicit CThreadSlot(void (*destroy)(void*));
  // The calling thread's value; null until it sets one.
  void* Get() const;
  // False when the system had no slot to give; the value is then not kept.
  bool Set(void* value) const;

private:
  unsigned long m_index;
};

}  // namespace Platform
