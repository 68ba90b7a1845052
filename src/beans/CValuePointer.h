// CValuePointer<T>: a literal value of a basic type; its address is never null.
// Immutable after construction: CopyTo may run on several threads at once, each call into
// its own SValueCopy.
#pragma once

#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "beans/IValuePointer.h"

namespace Ostrel {

template <class T>
class CValuePointer final : public IValuePointer {
public:
  explicit CValuePointer(T value) : m_value(std::move(value)) {}
  void* GetValue() override { return &m_value; }
  void* CopyTo(SValueCopy& copy) const override {
    if constexpr (std::is_same<T, std::string>::value) {
      copy.text = m_value;
      return &copy.text;
    } else if constexpr (std::is_same<T, std::wstring>::value) {
      copy.wideText = m_value;
      return &copy.wideText;
    } else {
      static_assert(std::is_trivially_copyable<T>::value && sizeof(T) <= sizeof(copy.bytes),
                    "other basic values are copied as bytes");
      return new (copy.bytes) T(m_value);
    }
  }

private:
  T m_value;
};

}  // namespace Ostrel
