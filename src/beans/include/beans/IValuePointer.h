// IValuePointer: one resolved argument value, alive for one wrapper call. GetValue is
// the address the wrapper receives, or null when a reference yielded no instance.
#pragma once

namespace Ostrel {

class IValuePointer {
public:
  virtual ~IValuePointer() = default;
  virtual void* GetValue() = 0;
};

}  // namespace Ostrel
