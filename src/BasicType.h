// BasicType<T, conv>: a literal type; converts the value text with `conv`.
#pragma once

#include <memory>

#include "CValuePointer.h"
#include "IType.h"

namespace Ostrel {

template <class T, T (*Convert)(const wchar_t*)>
class BasicType final : public IType {
public:
  std::shared_ptr<IValuePointer> CreateValuePointer(IBeanFactory&, const char*,
                                                    const wchar_t* value,
                                                    const SLibrary*) override {
    return std::make_shared<CValuePointer<T>>(Convert(value != nullptr ? value : L""));
  }
};

}  // namespace Ostrel
