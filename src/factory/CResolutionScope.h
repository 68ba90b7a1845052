// CResolutionScope: enters a bean name into this thread's resolution chain for its
// lifetime, to catch cycles; Cycle() tells whether the name was being resolved already.
// The innermost entry of a factory is the bean whose arguments are being resolved: the
// one that asks for others. Entries live in the scope objects on the stack, linked from
// the innermost; the thread-local head is a plain pointer, so each thread has a chain
// of its own.
#pragma once

#include <string>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

class CBeanFactoryImpl;

// The configured element a Warn record is about: a bean, and the property being set.
struct SAbout {
  const SBeanDefinition* bean = nullptr;
  const SPropertyDefinition* property = nullptr;
};

class CResolutionScope {
public:
  // How many resolutions may nest on one thread: each costs stack, and a chain of
  // references as long as the configuration allows would exhaust it.
  static constexpr int kMaxDepth = 1000;

  CResolutionScope(const CBeanFactoryImpl* factory, const char* name,
                   const SBeanDefinition* definition);
  ~CResolutionScope();
  CResolutionScope(const CResolutionScope&) = delete;
  CResolutionScope& operator=(const CResolutionScope&) = delete;
  bool Cycle() const { return m_cycle; }
  bool TooDeep() const { return m_tooDeep; }
  // The property whose arguments are resolved next; null for constructor arguments.
  void SetProperty(const SPropertyDefinition* property) { m_property = property; }

  // The bean of `factory` whose arguments are being resolved on this thread, if any.
  static SAbout Requester(const CBeanFactoryImpl* factory);
  // "a -> b -> a" for the chain from the outermost appearance of `name`.
  static std::string Chain(const CBeanFactoryImpl* factory, const char* name);

private:
  const CBeanFactoryImpl* m_factory;
  const char* m_name;
  const SBeanDefinition* m_definition;
  const SPropertyDefinition* m_property = nullptr;
  const CResolutionScope* m_outer;
  int m_depth;
  bool m_cycle = false;
  bool m_tooDeep = false;
};

}  // namespace Ostrel
