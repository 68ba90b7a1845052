/// @class CbIDumpable
/// CbIDumpable<N>: objects that can describe themselves as text for diagnostics.
/// Dump is const; whether it may run on several threads at once is the implementing
/// class's promise.
#pragma once

#include <string>

/// `Version` numbers the interface, so a changed Dump contract is a different type.
template <int Version>
class CbIDumpable {
public:
  CbIDumpable() = default;
  /// The interface holds no state; copying it copies nothing.
  CbIDumpable(const CbIDumpable&) = default;
  /// The interface holds no state; assigning it changes nothing.
  CbIDumpable& operator=(const CbIDumpable&) = default;
  virtual ~CbIDumpable() = default;
  /// A one-line description of the object for logs and diagnostics.
  virtual std::string Dump() const = 0;
};
