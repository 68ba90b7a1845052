#include <tamarack/CbExceptionOutOfMemory.h>

CbExceptionOutOfMemory::CbExceptionOutOfMemory(const char* file, unsigned line,
                                               const char* function)
    : CbException(file, line, function) {}

CbExceptionOutOfMemory::CbExceptionOutOfMemory(const CbExceptionOutOfMemory& other) = default;

CbExceptionOutOfMemory::~CbExceptionOutOfMemory() = default;

std::string CbExceptionOutOfMemory::Dump() const {
  return "out of memory in " + CbException::Dump();
}
