#include "CLoopPasses.h"

#include <cstdio>

#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
namespace {

// Whether the loop element carries an attribute `lower`, with or without value.
bool HasAttribute(const XMLNode& node, const char* lower) {
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    const SXMLAttribute* a = node.GetAttributeAt(i);
    if (a != nullptr && NameIs(a->name, lower)) return true;
  }
  return false;
}

// Passes of a "foreach" set: one per item; a "|" at the very end adds none.
std::int64_t CountItems(const std::string& set) {
  std::int64_t items = 1;
  for (std::size_t bar = set.find('|'); bar != std::string::npos && bar + 1 < set.size();
       bar = set.find('|', bar + 1)) {
    ++items;
  }
  return items;
}

std::string Text(const char* value) { return value != nullptr ? value : ""; }

}  // namespace

CLoopPasses::CLoopPasses(const XMLNode& loop, bool isFor, const SubstitutionMap& variables,
                         SLoadBudget* budget, std::int64_t repeats)
    : m_isFor(isFor) {
  std::string variable;
  if (isFor) {
    const std::int64_t first = StringToInt(loop.GetAttribute("first"));
    const std::int64_t last = StringToInt(loop.GetAttribute("last"));
    // A bare "inc" without value counts as present and blank: the numeric error.
    m_inc = HasAttribute(loop, "inc") ? StringToInt(loop.GetAttribute("inc")) : 1;
    variable = Text(loop.GetAttribute("substitute"));
    if (variable.empty()) {
      OSTREL_THROW("ParseContainer", "Empty attribute 'substitute' in bean for loop");
    }
    if (m_inc <= 0 && first <= last) {
      OSTREL_THROW("ParseContainer", "Attribute 'inc' of the for loop over '" +
                                         variable + "' must be positive");
    }
    m_counter = first;
    m_passes = first <= last ? (last - first) / m_inc + 1 : 0;
  } else {
    const char* set = loop.GetAttribute("set");
    m_set = set != nullptr ? set : "";
    variable = Text(loop.GetAttribute("substitute"));
    if (variable.empty()) {
      OSTREL_THROW("ParseContainer", "Empty attribute 'substitute' in bean foreach loop");
    }
    m_passes = CountItems(m_set);
  }
  if (budget == nullptr) {
    m_passes = 0;
    return;
  }
  budget->AddLoopPasses(m_passes, repeats);
  if (m_passes > 0) {
    m_variables = CopyVariables(variables);
    m_slot = &m_variables.GetOrInsert(variable)->value;
  }
}

bool CLoopPasses::Next() {
  if (m_done == m_passes) {
    return false;
  }
  ++m_done;
  if (m_isFor) {
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%lld", static_cast<long long>(m_counter));
    m_slot->assign(text, static_cast<std::size_t>(length));
    m_counter += m_inc;
    return true;
  }
  std::size_t end = m_set.find('|', m_position);
  if (end == std::string::npos) end = m_set.size();
  std::size_t begin = m_position;
  m_position = end + 1;
  std::size_t last = end;
  while (begin < last && IsBlank(m_set[begin])) ++begin;
  while (last > begin && IsBlank(m_set[last - 1])) --last;
  m_slot->assign(m_set, begin, last - begin);
  return true;
}

}  // namespace Internal
}  // namespace Ostrel
