// Readable names of types for the function context of pool exceptions, in one form:
// class types carry the prefix "class ", e.g. "class Ostrel::CBeanProperty".
// Keeps no state: safe on any thread.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>

#include <cxxabi.h>

// A type as written in C++, from the name typeid gives it (itself when it does not demangle).
inline std::string CbDemangledName(const char* mangled) {
  if (mangled == nullptr) return std::string();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && demangled ? demangled.get() : mangled;
}

template <class T>
std::string CbTypeName() {
  std::string name = CbDemangledName(typeid(T).name());
  if (std::is_class<T>::value) {
    return "class " + name;
  }
  return name;
}
