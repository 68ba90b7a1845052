// IType: a literal type; turns the value text of an argument into a value pointer.
// Implementations keep no state: CreateValuePointer may run on any thread.
#pragma once

#include <memory>
#include <string>

#include "beans/IValuePointer.h"

namespace Ostrel {

class IType {
public:
  virtual ~IType() = default;
  // `value` is the UTF-8 text as the configuration holds it. Throws CException when the
  // text is no value of the type.
  virtual std::shared_ptr<IValuePointer> CreateValuePointer(const std::string& value) const = 0;
};

}  // namespace Ostrel
