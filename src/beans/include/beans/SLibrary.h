// SLibrary: a library of a configuration: its path as written and the bean definitions
// read for it. Records are never moved once a configuration refers to them.
#pragma once

#include <string>
#include <vector>

#include <ostrel/BeanTypes.h>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

struct SLibrary {
  std::string path;  // first member: requesting libraries are compared by it
  std::vector<SBeanDefinition> beans;
};

}  // namespace Ostrel
