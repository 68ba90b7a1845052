#include "SLoadBudget.h"

#include <string>

#include "support/Throw.h"

namespace Ostrel {
namespace Internal {

SLoadLimits& LoadLimits() {
  static SLoadLimits limits;
  return limits;
}

void SLoadBudget::AddLoopPasses(std::int64_t passes, std::int64_t repeats) {
  const std::int64_t room = limits.loopPasses - loopPasses;
  // passes * repeats > room, without the product overflowing.
  if (passes > room || (passes > 0 && repeats > room / passes)) {
    OSTREL_THROW("ParseContainer", "Loops of one configuration may make at most " +
                                       std::to_string(limits.loopPasses) + " passes");
  }
  loopPasses += passes;
}

void SLoadBudget::EnterNesting(const char* function) {
  if (nesting >= limits.nesting) {
    OSTREL_THROW(function, "Loops and inline beans may nest at most " +
                               std::to_string(limits.nesting) + " levels deep");
  }
  ++nesting;
}

void SLoadBudget::AddFile(const char* function) {
  if (files >= limits.files) {
    OSTREL_THROW(function, "A configuration may read at most " + std::to_string(limits.files) +
                               " files, its includes counted");
  }
  ++files;
}

void SLoadBudget::AddDefinition(const char* function) {
  if (++definitions > limits.definitions) TooMany(function, limits.definitions, " beans");
  AddItem(function);
}

void SLoadBudget::CheckDocument(std::size_t bytes, const char* function) const {
  if (bytes > limits.documentBytes) {
    OSTREL_THROW(function, DocumentBoundMessage());
  }
}

std::string SLoadBudget::DocumentBoundMessage() const {
  return "A configuration document may hold at most " + std::to_string(limits.documentBytes) +
         " bytes";
}

void SLoadBudget::CheckValue(std::size_t bytes, const char* function) const {
  if (bytes > limits.valueBytes) {
    OSTREL_THROW(function, "A value may hold at most " + std::to_string(limits.valueBytes) +
                               " bytes");
  }
}

void SLoadBudget::TooMany(const char* function, std::int64_t limit, const char* what) {
  OSTREL_THROW(function, "A configuration may hold at most " + std::to_string(limit) + what);
}

void SLoadBudget::AddInsertion(std::size_t valueSoFar, std::size_t characters) {
  constexpr const char* kFunction = "`anonymous-namespace'::Substitute";
  if (characters > limits.valueInsertions - valueSoFar) {
    OSTREL_THROW(kFunction, "Substitution may insert at most " +
                                std::to_string(limits.valueInsertions) +
                                " characters into one value");
  }
  if (characters > limits.loadInsertions - insertions) {
    OSTREL_THROW(kFunction, "Substitution may insert at most " +
                                std::to_string(limits.loadInsertions) +
                                " characters into the values of one configuration");
  }
  insertions += characters;
}

}  // namespace Internal
}  // namespace Ostrel
