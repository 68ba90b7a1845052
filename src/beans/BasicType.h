// BasicType<T, conv>: a literal type; converts the value text, made wide, with `conv`.
// NarrowTextType: the narrow text type, whose values keep the configuration's UTF-8 as
// it is (no wide copy, which would take four times a large text's size).
// Stateless: a conversion may run on any thread.
#pragma once

#include <memory>
#include <string>

#include "CValuePointer.h"
#include "beans/IType.h"
#include "platform/TextConversion.h"

namespace Ostrel {

template <class T, T (*Convert)(const wchar_t*)>
class BasicType final : public IType {
public:
  std::shared_ptr<IValuePointer> CreateValuePointer(const std::string& value) const override {
    return std::make_shared<CValuePointer<T>>(Convert(Platform::Utf8ToWide(value).c_str()));
  }
};

class NarrowTextType final : public IType {
public:
  std::shared_ptr<IValuePointer> CreateValuePointer(const std::string& value) const override {
    return std::make_shared<CValuePointer<std::string>>(value);
  }
};

}  // namespace Ostrel
