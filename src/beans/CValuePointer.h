// CValuePointer<T>: a literal value of a basic type; its address is never null.
#pragma once

#include <utility>

#include "beans/IValuePointer.h"

namespace Ostrel {

template <class T>
class CValuePointer final : public IValuePointer {
public:
  explicit CValuePointer(T value) : m_value(std::move(value)) {}
  void* GetValue() override { return &m_value; }

private:
  T m_value;
};

}  // namespace Ostrel
