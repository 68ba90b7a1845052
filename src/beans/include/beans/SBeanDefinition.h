// SBeanDefinition: how one named bean is made, as the configuration describes it.
// Filled by the loader on the loading thread; read-only once a factory holds it, and then
// read from any thread (its arguments' worked-out members aside, see SArgument).
#pragma once

#include <memory_resource>
#include <string>
#include <vector>

#include "beans/SArgument.h"
#include "beans/SPlace.h"
#include "beans/SPropertyDefinition.h"

namespace Ostrel {

struct SBeanDefinition {
  SBeanDefinition() = default;
  // Arguments and properties in `memory`, which must outlive the definition.
  explicit SBeanDefinition(std::pmr::memory_resource* memory)
      : constructorArguments(memory), properties(memory) {}

  std::string name;
  std::string className;
  std::string creationMethod;  // the class name's last component unless configured
  ArgumentList constructorArguments;
  std::string initMethod;
  std::string exitMethod;
  std::vector<std::string> providedInterfaces;  // type ids
  std::pmr::vector<SPropertyDefinition> properties;
  std::vector<std::string> dependsOn;
  bool singleton = false;
  bool exported = true;
  bool autoname = false;
  bool lazy = true;
  std::string factoryBean;
  SPlace place;  // of the bean element
};

}  // namespace Ostrel
