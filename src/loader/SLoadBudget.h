// SLoadBudget: the work one configuration load may do (a document with the files it
// includes). Each bound fails the load with a CException before the work is done, so
// a hostile or mistaken configuration cannot make a load run for minutes or exhaust
// memory; the limits are far above what real configurations use.
// One budget per load, used only by the loading thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Ostrel {
namespace Internal {

struct SLoadLimits {
  std::int64_t loopPasses = std::int64_t{1} << 22;   // passes of all loops together
  int nesting = 1000;                                // loops and inline beans open at once
  int files = 4096;                                  // the document and every include
  std::int64_t definitions = std::int64_t{1} << 21;  // bean definitions read
  // Everything read: definitions, properties, arguments, interfaces, dependencies.
  std::int64_t items = std::int64_t{1} << 23;
  // Characters inserted by substitution into one value, and into all values of a load.
  std::size_t valueInsertions = std::size_t{1} << 20;
  std::size_t loadInsertions = std::size_t{1} << 27;
  // Bytes of one document's text (each file counted alone), and of one value as written.
  std::size_t documentBytes = std::size_t{1} << 28;
  std::size_t valueBytes = std::size_t{1} << 26;
};

// The limits each load starts with. Only the library's own tests and fuzzers change
// them (to reach a bound quickly); not synchronised.
SLoadLimits& LoadLimits();

struct SLoadBudget {
  // Each throws CException with a message naming the limit when it is passed.
  // A loop inside other loops counts as making its passes in each pass still to come of
  // the loops around it (`repeats`, their product): a nest too large fails before its
  // innermost loop makes a pass. Only `passes` is charged; the rest is charged as the
  // later passes come.
  void AddLoopPasses(std::int64_t passes, std::int64_t repeats = 1);
  void CheckDocument(std::size_t bytes, const char* function) const;
  std::string DocumentBoundMessage() const;
  void CheckValue(std::size_t bytes, const char* function) const;
  void EnterNesting(const char* function);
  void LeaveNesting() { --nesting; }
  void AddFile(const char* function);
  void AddDefinition(const char* function);
  void AddItem(const char* function) {
    if (++items > limits.items) {
      TooMany(function, limits.items, " beans, properties, arguments, interfaces and dependencies");
    }
  }
  void AddInsertion(std::size_t valueSoFar, std::size_t characters);

  SLoadLimits limits = LoadLimits();
  std::int64_t loopPasses = 0;
  int nesting = 0;
  int files = 0;
  std::int64_t definitions = 0;
  std::int64_t items = 0;
  std::size_t insertions = 0;

private:
  [[noreturn]] static void TooMany(const char* function, std::int64_t limit, const char* what);
};

}  // namespace Internal
}  // namespace Ostrel
