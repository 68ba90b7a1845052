/// @class Ostrel::CException
/// CException: every failure that Ostrel detects itself. Thrown by value; the message
/// is written to the log (Error level, "Ostrel-Exception: \"<message>\"") when the
/// exception is constructed, and copies log nothing. The exception also keeps the message
/// and, for a failure about an element of a configuration, where that element stands.
/// Catch it, or any exception of Ostrel and its base library, as IException;
/// Ostrel::GetMessage gives the message of either. It is also a std::exception, so that
/// `catch (const std::exception&)` catches it too, what() giving the message and place.
/// An exception may be constructed on any thread (the log is thread-safe); one exception
/// object is used by the thread that caught it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include <ostrel/Export.h>
#include <tamarack/IException.h>

// <windows.h> makes GetMessage a macro (GetMessageA or GetMessageW); the names below
// are declared without it, with both renamed forms as aliases, so that a program may
// include either header first.
#if defined(_WIN32) && defined(GetMessage)
#pragma push_macro("GetMessage")
#undef GetMessage
#define OSTREL_GETMESSAGE_PUSHED
#endif

namespace Ostrel {

class OSTREL_API CException : public IException, public std::exception {
public:
  /// Records the throw site (pass __FILE__, __LINE__ and the qualified function name)
  /// and `message`, and writes the message to the log; null texts count as empty.
  CException(const char* file, std::uint32_t line, const char* function, const char* message);
  /// Copies everything, place included; logs nothing.
  CException(const CException& other);
  CException& operator=(const CException&) = delete;
  ~CException() override;

  /// @copydoc IException::GetFileName
  const char* GetFileName() const override;
  /// @copydoc IException::GetLineNumber
  std::uint32_t GetLineNumber() const override;
  /// @copydoc IException::GetFunctionName
  const char* GetFunctionName() const override;
  /// @copydoc IException::GetThreadID
  std::uint32_t GetThreadID() const override;

  /// The message, as it was logged.
  const char* GetMessage() const;
#if defined(_WIN32)
  const char* GetMessageA() const { return GetMessage(); }
  const char* GetMessageW() const { return GetMessage(); }
#endif
  /// The configuration file of the element the failure is about ("<text>" for a
  /// configuration given as text) and the line and column (from 1) of its start tag;
  /// "" and 0 when the failure concerns no element.
  const char* GetConfigurationFile() const;
  /// Line of the element's start tag, from 1; 0 when the failure concerns no element.
  std::uint32_t GetConfigurationLine() const;
  /// Column of the element's start tag, from 1; 0 when the failure concerns no element.
  std::uint32_t GetConfigurationColumn() const;
  /// Records the element the failure is about and adds it to what() (with an empty
  /// `file`, what() is the message alone). Set by the configuration loader as the
  /// exception leaves it.
  void SetConfigurationPlace(const std::string& file, std::uint32_t line, std::uint32_t column);

  /// The message, followed by " (at <file>:<line>:<column>)" when the failure is about
  /// an element of a configuration; valid while the exception lives.
  const char* what() const noexcept override;

private:
  std::string m_file;
  std::uint32_t m_line;
  std::string m_function;
  std::uint32_t m_threadId;
  std::string m_message;
  std::string m_configurationFile;
  std::uint32_t m_configurationLine = 0;
  std::uint32_t m_configurationColumn = 0;
  std::string m_what;  ///< what() gives; kept up to date with the place
};

/// The message of an exception of Ostrel or of its base library; empty for any other.
OSTREL_API std::string GetMessage(const IException& exception);
#if defined(_WIN32)
inline std::string GetMessageA(const IException& exception) { return GetMessage(exception); }
inline std::string GetMessageW(const IException& exception) { return GetMessage(exception); }
#endif

}  // namespace Ostrel

#if defined(OSTREL_GETMESSAGE_PUSHED)
#pragma pop_macro("GetMessage")
#undef OSTREL_GETMESSAGE_PUSHED
#endif
