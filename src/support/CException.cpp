#include <ostrel/CException.h>

#include <ostrel/Logger.h>
#include <tamarack/CbException.h>
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
      m_threadId(CbGetCurrentThreadId()),
      m_message(message != nullptr ? message : ""),
      m_what(m_message) {
  // The record carries the throw site as its location.
  std::wstring text = Platform::Utf8ToWide(m_message);
  s_logger.Error(m_file.c_str(), static_cast<int>(m_line), m_function.c_str(),
                 L"Ostrel-Exception: \"%s\"", text.c_str());
}

CException::CException(const CException& other)
    : IException(),
      std::exception(other),
      m_file(other.m_file),
      m_line(other.m_line),
      m_function(other.m_function),
      m_threadId(other.m_threadId),
      m_message(other.m_message),
      m_configurationFile(other.m_configurationFile),
      m_configurationLine(other.m_configurationLine),
      m_configurationColumn(other.m_configurationColumn),
      m_what(other.m_what) {}

CException::~CException() = default;

const char* CException::GetFileName() const { return m_file.c_str(); }
std::uint32_t CException::GetLineNumber() const { return m_line; }
const char* CException::GetFunctionName() const { return m_function.c_str(); }
std::uint32_t CException::GetThreadID() const { return m_threadId; }

const char* CException::GetMessage() const { return m_message.c_str(); }

const char* CException::GetConfigurationFile() const { return m_configurationFile.c_str(); }

std::uint32_t CException::GetConfigurationLine() const { return m_configurationLine; }

std::uint32_t CException::GetConfigurationColumn() const { return m_configurationColumn; }

void CException::SetConfigurationPlace(const std::string& file, std::uint32_t line,
                                       std::uint32_t column) {
  m_configurationFile = file;
  m_configurationLine = line;
  m_configurationColumn = column;
  m_what = m_message;
  if (!file.empty()) {
    m_what += " (at " + file + ":" + std::to_string(line) + ":" + std::to_string(column) + ")";
  }
}

const char* CException::what() const noexcept { return m_what.c_str(); }

std::string GetMessage(const IException& exception) {
  if (const auto* own = dynamic_cast<const CException*>(&exception)) return own->GetMessage();
  // The base library's exceptions carry no message: what they say of themselves.
  if (const auto* base = dynamic_cast<const CbException*>(&exception)) return base->Dump();
  return std::string();
}

}  // namespace Ostrel
