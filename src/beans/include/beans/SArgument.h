// SArgument: one argument of a constructor or a property as configured: its type text
// and its value text, plus what the factory works out from them at the first use of
// the argument and reuses for every later one. Copies carry the texts only.
// The texts do not change once read; the worked-out members are written once, under the
// lock of the factory that owns the configuration, before any thread reads them without
// it.
#pragma once

#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "beans/IValuePointer.h"

namespace Ostrel {

struct SArgument {
  enum EKind : unsigned char { eUnbound, eLiteral, eBean, eService };

  std::string type;    // "bean", "service" or a basic type name
  std::string value;   // UTF-8: the literal, or the name of the referenced bean or interface

  // Filled at first use, under the lock of the factory that owns the configuration.
  mutable EKind kind = eUnbound;
  // A literal's converted value; every call receives a copy of it.
  mutable std::shared_ptr<IValuePointer> literal;
  // A reference's name in UTF-8 ("::" stripped for a bean of the default factory).
  mutable std::string reference;
  mutable bool inDefaultFactory = false;

  SArgument() = default;
  SArgument(std::string t, std::string v) : type(std::move(t)), value(std::move(v)) {}
  SArgument(const SArgument& other) : type(other.type), value(other.value) {}
  SArgument(SArgument&&) noexcept = default;
  SArgument& operator=(const SArgument& other) {
    if (this != &other) {
      type = other.type;
      value = other.value;
      kind = eUnbound;
      literal.reset();
      reference.clear();
      inDefaultFactory = false;
    }
    return *this;
  }
  SArgument& operator=(SArgument&&) noexcept = default;
};

// The arguments of a constructor or a property, in the memory of the load that read them
// (CDefinitionArena), or on the heap for arguments made otherwise.
using ArgumentList = std::pmr::vector<SArgument>;

}  // namespace Ostrel
