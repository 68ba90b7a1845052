#include <tamarack/CbException.h>

#include <tamarack/ThreadId.h>

CbException::CbException(const char* file, unsigned line, const char* function)
    : m_file(file != nullptr ? file : ""),
      m_line(line),
      m_function(function != nullptr ? function : ""),
      m_threadId(CbGetCurrentThreadId()) {}

CbException::CbException(const CbException& other)
    : IException(),
      IObject(),
      IReferenceCounted(),
      CbIDumpable<1>(other),
      m_file(other.m_file),
      m_line(other.m_line),
      m_function(other.m_function),
      m_threadId(other.m_threadId) {}

CbException::~CbException() = default;

std::string CbException::Dump() const {
  return m_function + " (" + m_file + ":" + std::to_string(m_line) + ")";
}
