// CBeanProperty: a validated property of a bean configuration, referring to the
// property's definition. Objects live in a process-wide pool (see CBeanConfig).
// Immutable: built with its bean configuration under the factory's lock, then read
// without it while beans are made.
#pragma once

#include <string>
#include <vector>

#include "beans/SArgument.h"
#include "beans/SPropertyDefinition.h"

namespace Ostrel {

class CBeanProperty {
public:
  explicit CBeanProperty(const SPropertyDefinition& definition) : m_definition(definition) {}

  const std::string& GetName() const { return m_definition.name; }
  const ArgumentList& GetArguments() const { return m_definition.arguments; }
  const SPropertyDefinition& GetDefinition() const { return m_definition; }

private:
  const SPropertyDefinition& m_definition;
};

}  // namespace Ostrel
