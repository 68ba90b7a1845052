// CbExceptionOutOfMemory: thrown by value when a block of memory cannot be obtained.
// One exception object is used by the thread that caught it.
#pragma once

#include <tamarack/CbException.h>
#include <tamarack/Export.h>

class TAMARACK_API CbExceptionOutOfMemory : public CbException {
public:
  CbExceptionOutOfMemory(const char* file, unsigned line, const char* function);
  CbExceptionOutOfMemory(const CbExceptionOutOfMemory& other);
  ~CbExceptionOutOfMemory() override;
  std::string Dump() const override;
};
