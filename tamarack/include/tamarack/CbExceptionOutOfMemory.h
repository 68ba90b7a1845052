/// @class CbExceptionOutOfMemory
/// CbExceptionOutOfMemory: thrown by value when a block of memory cannot be obtained.
/// One exception object is used by the thread that caught it.
#pragma once

#include <tamarack/CbException.h>
#include <tamarack/Export.h>

class TAMARACK_API CbExceptionOutOfMemory : public CbException {
public:
  /// Records the throw site, as CbException does.
  CbExceptionOutOfMemory(const char* file, unsigned line, const char* function);
  /// Copies the throw site; the copy has a reference count of its own.
  CbExceptionOutOfMemory(const CbExceptionOutOfMemory& other);
  ~CbExceptionOutOfMemory() override;
  /// "out of memory in <function> (<file>:<line>)".
  std::string Dump() const override;
};
