// IType: a literal type; turns the value text of an argument into a value pointer.
#pragma once

#include <memory>

#include "beans/IValuePointer.h"

namespace Ostrel {

class IType {
public:
  virtual ~IType() = default;
  // Throws CException when the text is no value of the type.
  virtual std::shared_ptr<IValuePointer> CreateValuePointer(const wchar_t* value) const = 0;
};

}  // namespace Ostrel
