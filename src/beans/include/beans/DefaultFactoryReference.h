// A bean reference written "::name" names bean "name" of the default factory instead of
// one of the factory being resolved in. Factory and configuration check read reference
// texts through these two functions, so that they agree on which bean is meant.
// Pure functions: safe on any thread.
#pragma once

#include <string_view>

namespace Ostrel {

inline bool NamesDefaultFactoryBean(std::string_view reference) {
  return reference.substr(0, 2) == "::";
}

// The referenced bean's name, without the default factory's "::".
inline std::string_view ReferencedBeanName(std::string_view reference) {
  return NamesDefaultFactoryBean(reference) ? reference.substr(2) : reference;
}

}  // namespace Ostrel
