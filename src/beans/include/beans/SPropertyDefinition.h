// SPropertyDefinition: one property of a bean as configured: a method name and its
// arguments in document order.
#pragma once

#include <string>
#include <vector>

#include "beans/SArgument.h"

namespace Ostrel {

struct SPropertyDefinition {
  std::string name;
  std::vector<SArgument> arguments;
};

}  // namespace Ostrel
