#include "CResolutionScope.h"

#include <cstring>
#include <vector>

#include "platform/FastThreadLocal.h"

namespace Ostrel {
namespace {

OSTREL_FAST_THREAD_LOCAL const CResolutionScope* t_innermost = nullptr;

}  // namespace

CResolutionScope::CResolutionScope(const CBeanFactoryImpl* factory, const char* name,
                                   const SBeanDefinition* definition)
    : m_factory(factory), m_name(name), m_definition(definition), m_outer(t_innermost),
      m_depth(m_outer != nullptr ? m_outer->m_depth + 1 : 1) {
  if (m_depth > kMaxDepth) {
    m_tooDeep = true;
    return;
  }
  for (const CResolutionScope* entry = m_outer; entry != nullptr; entry = entry->m_outer) {
    // One definition per name: comparing definitions spares the text comparison.
    if (entry->m_factory == factory &&
        (definition != nullptr && entry->m_definition != nullptr
             ? entry->m_definition == definition
             : std::strcmp(entry->m_name, name) == 0)) {
      m_cycle = true;
      return;
    }
  }
  t_innermost = this;
}

CResolutionScope::~CResolutionScope() {
  if (!m_cycle && !m_tooDeep) t_innermost = m_outer;
}

SAbout CResolutionScope::Requester(const CBeanFactoryImpl* factory) {
  for (const CResolutionScope* entry = t_innermost; entry != nullptr; entry = entry->m_outer) {
    if (entry->m_factory == factory) return SAbout{entry->m_definition, entry->m_property};
  }
  return SAbout();
}

std::string CResolutionScope::Chain(const CBeanFactoryImpl* factory, const char* name) {
  std::vector<const char*> names;  // innermost first
  for (const CResolutionScope* entry = t_innermost; entry != nullptr; entry = entry->m_outer) {
    if (entry->m_factory == factory) names.push_back(entry->m_name);
  }
  std::string chain;
  bool inCycle = false;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    inCycle = inCycle || std::strcmp(*it, name) == 0;
    if (inCycle) chain += std::string(*it) + " -> ";
  }
  return chain + name;
}

}  // namespace Ostrel
