// BasicType<T, conv>: a literal type; converts the value text with `conv`.
#pragma once

#include <memory>

#include "CValuePointer.h"
#include "beans/IType.h"

namespace Ostrel {

template <class T, T (*Convert)(const wchar_t*)>
class BasicType final : public IType {
public:
  std::shared_ptr<IValuePointer> CreateValuePointer(const wchar_t* value) const override {
    return std::make_shared<CValuePointer<T>>(Convert(value != nullptr ? value : L""));
  }
};

}  // namespace Ostrel
