#include "CActiveScope.h"

#include "platform/FastThreadLocal.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

OSTREL_FAST_THREAD_LOCAL const CActiveScope* t_innermost = nullptr;

}  // namespace

CActiveScope::CActiveScope(const CBeanFactoryImpl* factory)
    : m_factory(factory), m_outer(t_innermost) {
  t_innermost = this;
}

CActiveScope::~CActiveScope() { t_innermost = m_outer; }

bool CActiveScope::IsActive(const CBeanFactoryImpl* factory) {
  for (const CActiveScope* active = t_innermost; active != nullptr; active = active->m_outer) {
    if (active->m_factory == factory) return true;
  }
  return false;
}

void CActiveScope::Refuse(const CBeanFactoryImpl* factory, const char* function) {
  if (IsActive(factory)) {
    OSTREL_THROW(function,
                 "A configuration cannot be reset or loaded from code that its own factory "
                 "runs (a constructor, property, init or exit method, wrapper maker or "
                 "service creator)");
  }
}

}  // namespace Ostrel
