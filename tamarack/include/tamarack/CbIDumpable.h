// CbIDumpable<N>: objects that can describe themselves as text for diagnostics.
// Dump is const; whether it may run on several threads at once is the implementing
// class's promise.
#pragma once

#include <string>

template <int Version>
class CbIDumpable {
public:
  CbIDumpable() = default;
  CbIDumpable(const CbIDumpable&) = default;
  CbIDumpable& operator=(const CbIDumpable&) = default;
  virtual ~CbIDumpable() = default;
  virtual std::string Dump() const = 0;
};
