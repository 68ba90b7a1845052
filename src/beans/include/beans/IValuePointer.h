// IValuePointer: one converted literal value. GetValue is the address of the value it
// holds; CopyTo copies the value into `copy` and returns the copy's address, which is
// what a wrapper call receives, so that a wrapper changing its argument changes nothing
// that a later call sees.
// Implementations are immutable once made: CopyTo may run on several threads at once,
// each call into its own SValueCopy.
#pragma once

#include "beans/SValueCopy.h"

namespace Ostrel {

class IValuePointer {
public:
  virtual ~IValuePointer() = default;
  virtual void* GetValue() = 0;
  virtual void* CopyTo(SValueCopy& copy) const = 0;
};

}  // namespace Ostrel
