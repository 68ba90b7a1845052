// CBeanProperty: a validated property of a bean configuration. Objects live in a
// process-wide pool (see CBeanConfig).
#pragma once

#include <string>
#include <vector>

#include "beans/SArgument.h"

namespace Ostrel {

class CBeanProperty {
public:
  // Takes the arguments; `arguments` is left empty.
  CBeanProperty(const char* name, std::vector<SArgument>&& arguments)
      : m_name(name != nullptr ? name : ""), m_arguments(std::move(arguments)) {
    arguments.clear();
  }

  const std::string& GetName() const { return m_name; }
  const std::vector<SArgument>& GetArguments() const { return m_arguments; }

private:
  std::string m_name;
  std::vector<SArgument> m_arguments;
};

}  // namespace Ostrel
