// Readable names of types for the function context of pool exceptions, in one form:
// class types carry the prefix "class ", e.g. "class Ostrel::CBeanProperty".
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>

#include <cxxabi.h>

template <class T>
std::string CbTypeName() {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(typeid(T).name(), nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : typeid(T).name();
  if (std::is_class<T>::value) {
    return "class " + name;
  }
  return name;
}
