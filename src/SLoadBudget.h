// SLoadBudget: the work one configuration load may do (a document with the files it
// includes). Each bound fails the load with a CException before the work is done, so
// a hostile or mistaken configuration cannot make a load run for minutes or exhaust
// memory; the limits are far above what real configurations use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Ostrel {
namespace Internal {

struct SLoadBudget {
  // Passes of all loops together.
  static constexpr std::int64_t kMaxLoopPasses = std::int64_t{1} << 22;  // 4,194,304
  // Loops and inline beans open at one time, together.
  static constexpr int kMaxNesting = 1000;
  // Files read: the document and every file it includes, directly or not.
  static constexpr int kMaxFiles = 4096;
  // Bean definitions read, and everything read: definitions, properties, arguments,
  // interfaces, dependencies.
  static constexpr std::int64_t kMaxDefinitions = std::int64_t{1} << 21;  // 2,097,152
  static constexpr std::int64_t kMaxItems = std::int64_t{1} << 23;        // 8,388,608
  // Characters inserted by substitution into one value, and into all values of a load.
  static constexpr std::size_t kMaxValueInsertions = std::size_t{1} << 20;  // 1 Mi
  static constexpr std::size_t kMaxLoadInsertions = std::size_t{1} << 27;   // 128 Mi

  // Each throws CException with a message naming the limit when it is passed.
  void AddLoopPasses(std::int64_t passes);
  void EnterNesting(const char* function);
  void LeaveNesting() { --nesting; }
  void AddFile(const char* function);
  void AddItem(const char* function) {
    if (++items > kMaxItems)
      TooMany(function, kMaxItems, " beans, properties, arguments, interfaces and dependencies");
  }
  void AddDefinition(const char* function) {
    if (++definitions > kMaxDefinitions) TooMany(function, kMaxDefinitions, " beans");
    AddItem(function);
  }
  void AddInsertion(std::size_t valueSoFar, std::size_t characters);

  std::int64_t loopPasses = 0;
  int nesting = 0;
  int files = 0;
  std::int64_t items = 0;
  std::int64_t definitions = 0;
  std::size_t insertions = 0;

 private:
  [[noreturn]] static void TooMany(const char* function, std::int64_t limit, const char* what);
};

}  // namespace Internal
}  // namespace Ostrel
