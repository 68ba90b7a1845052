// CLoopPasses: the passes of one "for" or "foreach" loop of a configuration. Reading
// the loop checks its attributes and counts its passes against the load's budget, so
// a loop too large fails before its first pass. Each pass sets the loop variable in a
// copy of the variables in scope, made once per loop.
// One object per loop being read, used only by the loading thread.
#pragma once

#include <cstdint>
#include <string>

#include "LoaderHelpers.h"
#include "SLoadBudget.h"
#include "xml/XMLNode.h"

namespace Ostrel {
namespace Internal {

class CLoopPasses {
public:
  // Throws CException for a missing or bad attribute, an "inc" that never reaches
  // "last", and passes beyond the budget. With a null budget the attributes are only
  // checked and the loop makes no pass. `repeats`: how many times the loops around this
  // one will still reach it (the product of their passes to come, the current ones
  // counted). `variables` must outlive this object.
  CLoopPasses(const XMLNode& loop, bool isFor, const SubstitutionMap& variables,
              SLoadBudget* budget, std::int64_t repeats = 1);
  CLoopPasses(const CLoopPasses&) = delete;
  CLoopPasses& operator=(const CLoopPasses&) = delete;

  // Sets the loop variable for the next pass; false when there is none left.
  bool Next();
  // The variables of the current pass.
  const SubstitutionMap& Variables() const { return m_variables; }
  std::int64_t GetPassCount() const { return m_passes; }
  // The passes still to come, the current one counted.
  std::int64_t GetPassesLeft() const { return m_passes - m_done + 1; }

private:
  bool m_isFor;
  std::int64_t m_passes = 0;
  std::int64_t m_done = 0;
  std::int64_t m_counter = 0;  // "for": the value of the next pass
  std::int64_t m_inc = 1;
  std::string m_set;           // "foreach": the items, cut at "|"
  std::size_t m_position = 0;  // "foreach": where the next item starts
  SubstitutionMap m_variables{1};  // replaced by a copy when the loop makes passes
  std::string* m_slot = nullptr;
};

}  // namespace Internal
}  // namespace Ostrel
