// SLibrary: a library of a configuration: its path as written and the bean definitions
// read for it. Neither a record nor a definition moves once it is made (definitions are
// only appended), so bean configurations refer to them.
#pragma once

#include <deque>
#include <string>

#include <ostrel/BeanTypes.h>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

struct SLibrary {
  std::string path;  // first member: requesting libraries are compared by it
  std::deque<SBeanDefinition> beans;
};

}  // namespace Ostrel
