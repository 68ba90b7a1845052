// SPropertyDefinition: one property of a bean as configured: a method name and its
// arguments in document order.
// A plain record, read-only (from any thread) once a factory holds it (see SBeanDefinition).
#pragma once

#include <cstdint>
#include <string>

#include "beans/SArgument.h"

namespace Ostrel {

struct SPropertyDefinition {
  std::string name;
  ArgumentList arguments;
  std::int32_t line = 0;  // of the property element, in its bean's file
  std::int32_t column = 0;
};

}  // namespace Ostrel
