#include <ostrel/CException.h>

#include <ostrel/Logger.h>
#include <tamarack/ThreadId.h>

#include "platform/TextConversion.h"

namespace Ostrel {
namespace {
const Logging::CLogger s_logger(L"Ostrel");
}  // namespace

CException::CException(const char* file, std::uint32_t line, const char* function,
                       const char* message)
    : m_file(file != nullptr ? file : ""),
      m_line(line),
      m_function(function != nullptr ? function : ""),
      m_threadId(CbGetCurrentThreadId()) {
  // The record carries the throw site as its location.
  std::wstring text = Platform::Utf8ToWide(message);
  s_logger.Error(m_file.c_str(), static_cast<int>(m_line), m_function.c_str(),
                 L"Ostrel-Exception: \"%s\"", text.c_str());
}

CException::CException(const CException& other)
    : IException(),
      m_file(other.m_file),
      m_line(other.m_line),
      m_function(other.m_function),
      m_threadId(other.m_threadId) {}

CException::~CException() = default;

const char* CException::GetFileName() const { return m_file.c_str(); }
std::uint32_t CException::GetLineNumber() const { return m_line; }
const char* CException::GetFunctionName() const { return m_function.c_str(); }
std::uint32_t CException::GetThreadID() const { return m_threadId; }

}  // namespace Ostrel
