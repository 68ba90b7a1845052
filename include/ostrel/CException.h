// CException: every failure that Ostrel detects itself. Thrown by value; the message
// is written to the log (Error level, "Ostrel-Exception: \"<message>\"") when the
// exception is constructed and is not stored, so copies log nothing. Catch it, or any
// exception of Ostrel and its base library, as IException.
#pragma once

#include <cstdint>
#include <string>

#include <ostrel/Export.h>
#include <tamarack/IException.h>

namespace Ostrel {

class OSTREL_API CException : public IException {
public:
  CException(const char* file, std::uint32_t line, const char* function, const char* message);
  CException(const CException& other);
  CException& operator=(const CException&) = delete;
  ~CException() override;

  const char* GetFileName() const override;
  std::uint32_t GetLineNumber() const override;
  const char* GetFunctionName() const override;
  std::uint32_t GetThreadID() const override;

private:
  std::string m_file;
  std::uint32_t m_line;
  std::string m_function;
  std::uint32_t m_threadId;
};

}  // namespace Ostrel
