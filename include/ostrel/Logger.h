/// @file
/// Logging facade. Every record goes to one process-wide dispatcher chosen when the
/// library is loaded: the libNLogC.so back end when it can be loaded with all of its
/// entry points, otherwise a dispatcher that drops everything. The facade formats
/// nothing and takes no lock; all operations may be called from any thread and never
/// throw on their own.
#pragma once

#include <cstdarg>
#include <string>

#include <ostrel/Export.h>

namespace Logging {

/// Severity of a record, lowest first; a back end writes the levels at or above its
/// threshold.
enum ELogLevel : int {
  Trace = 0,  ///< Step-by-step detail, usually off.
  Debug = 1,  ///< Detail for finding a fault.
  Info = 2,   ///< Normal progress (the back end's default threshold).
  Warn = 3,   ///< Something unexpected that the program survives.
  Error = 4,  ///< An operation failed.
  Fatal = 5   ///< The program cannot go on.
};

/// Source location of one record; lives on the caller's stack for one call, so a
/// dispatcher must copy what it keeps.
struct SLogContext {
  const char* file;      ///< Source file (`__FILE__`); may be null.
  int line;              ///< Line in `file` (`__LINE__`).
  const char* function;  ///< Name of the logging function, as the caller spells it; may be null.
};

/// Receives every record of every CLogger. Formats are wide printf-style formats in
/// which %s stands for a wide string. An implementation is called from any thread at
/// once and must not throw.
class OSTREL_API ILogDispatcher {
public:
  virtual ~ILogDispatcher();
  /// Writes `message` as it stands, if `level` is enabled for `logger` (the logger's name).
  virtual void WriteLog(int level, const wchar_t* logger, const SLogContext* context,
                        const wchar_t* message) = 0;
  /// Formats `format` with `arguments` and writes the result, if `level` is enabled.
  virtual void LogV(int level, const wchar_t* logger, const SLogContext* context,
                    const wchar_t* format, va_list arguments) = 0;
  /// Whether records of `level` from `logger` would be written.
  virtual bool IsLogEnabled(int level, const wchar_t* logger) = 0;
  /// Adds `item`=`value` to every later record, or replaces the value of an item already set.
  virtual void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) = 0;
  /// Writes out buffered records, waiting at most `timeout` milliseconds where it waits.
  virtual void Flush(int timeout) = 0;
};

/// A named logger. The message forms always hand the message on; the format forms ask
/// the dispatcher first and skip all work when the level is disabled. A logger holds only
/// its name: a const logger may be used from any thread at once.
class OSTREL_API CLogger {
public:
  /// A logger with an empty name.
  CLogger();
  /// A logger named `name` (null counts as empty).
  explicit CLogger(const wchar_t* name);
  /// Copies the name.
  CLogger(const CLogger& other);
  /// Copies the name; `other` keeps its own.
  CLogger(CLogger&& other);
  /// Copies the name.
  CLogger& operator=(const CLogger& other);
  /// Copies the name; `other` keeps its own.
  CLogger& operator=(CLogger&& other);
  ~CLogger();

  /// Renames the logger (null counts as empty). Not safe while another thread logs through it.
  void InitLogger(const wchar_t* name);

  /// @name Message forms
  //@{
  /// Hands `message` to the dispatcher at the level the function is named after, with the
  /// source location `file`, `line` and `function` (normally filled in by OSTREL_LOG).
  void Trace(const char* file, int line, const char* function, const std::wstring& message) const;
  void Debug(const char* file, int line, const char* function, const std::wstring& message) const;
  void Info(const char* file, int line, const char* function, const std::wstring& message) const;
  void Warn(const char* file, int line, const char* function, const std::wstring& message) const;
  void Error(const char* file, int line, const char* function, const std::wstring& message) const;
  void Fatal(const char* file, int line, const char* function, const std::wstring& message) const;
  //@}

  /// @name Format forms
  //@{
  /// Formats the wide printf-style `format` (%s takes a wide string) with the arguments
  /// that follow and hands the result on, only when the level the function is named
  /// after is enabled.
  void Trace(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Debug(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Info(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Warn(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Error(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Fatal(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  //@}

  /// @name Level checks
  //@{
  /// Whether a record at the level the function is named after would be written; lets a
  /// caller skip building an expensive message.
  bool IsTraceEnabled() const;
  bool IsDebugEnabled() const;
  bool IsInfoEnabled() const;
  bool IsWarnEnabled() const;
  bool IsErrorEnabled() const;
  bool IsFatalEnabled() const;
  //@}

  /// Asks the dispatcher to write out buffered records, waiting at most `timeout`
  /// milliseconds (the bundled back end writes synchronously and never waits).
  static void Flush(int timeout);
  /// Adds `item`=`value` to every later record of every logger, or replaces the value of
  /// an item already set.
  static void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value);
  /// The process-wide logger named "Global Static Logger".
  static const CLogger& GetStaticInstance();

  /// The logger's name; valid until the logger is renamed or destroyed.
  const wchar_t* GetName() const { return m_name.c_str(); }

  /// The active dispatcher; bound once while the library is loaded.
  static ILogDispatcher& s_rLogDispatcher;

private:
  void Write(int level, const char* file, int line, const char* function,
             const std::wstring& message) const;
  void Format(int level, const char* file, int line, const char* function,
              const wchar_t* format, va_list arguments) const;
  bool IsEnabled(int level) const;

  std::wstring m_name;
};

}  // namespace Logging

/// Logs through `logger` at the given level with this file and line, e.g.
/// OSTREL_LOG(s_logger, Info, "Ostrel::CContainer::CContainer", L"Loading %s", mode).
#define OSTREL_LOG(logger, level, function, ...) \
  (logger).level(__FILE__, __LINE__, function, __VA_ARGS__)
