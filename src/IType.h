// IType: turns the value text of an argument into a value pointer.
#pragma once

#include <memory>

#include <ostrel/BeanTypes.h>

#include "IValuePointer.h"

namespace Ostrel {

class IBeanFactory;

class IType {
public:
  virtual ~IType() = default;
  // `factory` resolves references, `library` is the library of the bean being made.
  // May return an empty pointer (a reference that yielded no instance).
  virtual std::shared_ptr<IValuePointer> CreateValuePointer(IBeanFactory& factory,
                                                            const char* type,
                                                            const wchar_t* value,
                                                            const SLibrary* library) = 0;
};

}  // namespace Ostrel
