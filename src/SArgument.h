// SArgument: one argument of a constructor or a property as configured: its type text,
// its value text, and a slot for a resolved value that copies leave empty.
#pragma once

#include <memory>
#include <string>

#include "IValuePointer.h"

namespace Ostrel {

struct SArgument {
  std::shared_ptr<IValuePointer> resolved;
  std::string type;    // "bean", "service" or a basic type name
  std::wstring value;  // the literal, or the name of the referenced bean or interface

  SArgument() = default;
  SArgument(std::string t, std::wstring v) : type(std::move(t)), value(std::move(v)) {}
  SArgument(const SArgument& other) : type(other.type), value(other.value) {}
  SArgument(SArgument&&) noexcept = default;
  SArgument& operator=(const SArgument& other) {
    resolved.reset();
    type = other.type;
    value = other.value;
    return *this;
  }
  SArgument& operator=(SArgument&&) noexcept = default;
};

}  // namespace Ostrel
