// CCycleFinder: the cycles among beans that need each other to be made: references,
// depends-on beans and factory beans (service references are left out: which bean
// answers one is known only at run time). Works without recursion, so a chain of any
// length is safe.
// Find only reads: a finder may be used from several threads while its beans do not
// change.
#pragma once

#include <string>
#include <vector>

#include <ostrel/CheckConfiguration.h>

namespace Ostrel {

struct SCycle {
  std::vector<std::string> chain;  // a -> b -> ... and back to the first
};

class CCycleFinder {
public:
  // `beans` have distinct names and must outlive the finder.
  explicit CCycleFinder(const std::vector<SCheckedBean>& beans) : m_beans(beans) {}

  // One cycle per link that closes one, found from the beans in their order; each chain
  // starts at the bean met first.
  std::vector<SCycle> Find() const;

private:
  const std::vector<SCheckedBean>& m_beans;
};

}  // namespace Ostrel
