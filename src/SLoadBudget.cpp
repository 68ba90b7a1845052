#include "SLoadBudget.h"

#include <string>

#include "support/Throw.h"

namespace Ostrel {
namespace Internal {

void SLoadBudget::AddLoopPasses(std::int64_t passes) {
  if (passes > kMaxLoopPasses - loopPasses) {
    OSTREL_THROW("ParseContainer", "Loops of one configuration may make at most " +
                                       std::to_string(kMaxLoopPasses) + " passes");
  }
  loopPasses += passes;
}

void SLoadBudget::EnterNesting(const char* function) {
  if (nesting >= kMaxNesting) {
    OSTREL_THROW(function, "Loops and inline beans may nest at most " +
                               std::to_string(kMaxNesting) + " levels deep");
  }
  ++nesting;
}

void SLoadBudget::AddFile(const char* function) {
  if (files >= kMaxFiles) {
    OSTREL_THROW(function, "A configuration may read at most " + std::to_string(kMaxFiles) +
                               " files, its includes counted");
  }
  ++files;
}

void SLoadBudget::TooMany(const char* function, std::int64_t limit, const char* what) {
  OSTREL_THROW(function, "A configuration may hold at most " + std::to_string(limit) + what);
}

void SLoadBudget::AddInsertion(std::size_t valueSoFar, std::size_t characters) {
  constexpr const char* kFunction = "`anonymous-namespace'::Substitute";
  if (characters > kMaxValueInsertions - valueSoFar) {
    OSTREL_THROW(kFunction, "Substitution may insert at most " +
                                std::to_string(kMaxValueInsertions) +
                                " characters into one value");
  }
  if (characters > kMaxLoadInsertions - insertions) {
    OSTREL_THROW(kFunction, "Substitution may insert at most " +
                                std::to_string(kMaxLoadInsertions) +
                                " characters into the values of one configuration");
  }
  insertions += characters;
}

}  // namespace Internal
}  // namespace Ostrel
