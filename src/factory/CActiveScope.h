// CActiveScope: marks a factory whose operation runs on this thread (resolution, the
// start-up pass, service look-ups, emptying): client code it calls must not reset or
// load it, and requests nested in it are already inside the factory's gate. Entries
// live in the scope objects on the stack; the thread-local head is a plain pointer.
#pragma once

namespace Ostrel {

class CBeanFactoryImpl;

class CActiveScope {
public:
  explicit CActiveScope(const CBeanFactoryImpl* factory);
  ~CActiveScope();
  CActiveScope(const CActiveScope&) = delete;
  CActiveScope& operator=(const CActiveScope&) = delete;

  // Whether an operation of `factory` runs on this thread.
  static bool IsActive(const CBeanFactoryImpl* factory);
  // Throws CException from `function` when an operation of `factory` runs on this thread.
  static void Refuse(const CBeanFactoryImpl* factory, const char* function);

private:
  const CBeanFactoryImpl* m_factory;
  const CActiveScope* m_outer;
};

}  // namespace Ostrel
