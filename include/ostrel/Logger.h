// Logging facade. Every record goes to one process-wide dispatcher chosen when the
// library is loaded: the libNLogC.so back end when it can be loaded with all of its
// entry points, otherwise a dispatcher that drops everything. The facade formats
// nothing and takes no lock; all operations may be called from any thread and never
// throw on their own.
#pragma once

#include <cstdarg>
#include <string>

#include <ostrel/Export.h>

namespace Logging {

enum ELogLevel : int { Trace = 0, Debug = 1, Info = 2, Warn = 3, Error = 4, Fatal = 5 };

// Source location of one record; lives on the caller's stack for one call.
struct SLogContext {
  const char* file;
  int line;
  const char* function;
};

// Receives every record. Formats are wide printf-style formats in which %s stands for
// a wide string.
class OSTREL_API ILogDispatcher {
public:
  virtual ~ILogDispatcher();
  virtual void WriteLog(int level, const wchar_t* logger, const SLogContext* context,
                        const wchar_t* message) = 0;
  virtual void LogV(int level, const wchar_t* logger, const SLogContext* context,
                    const wchar_t* format, va_list arguments) = 0;
  virtual bool IsLogEnabled(int level, const wchar_t* logger) = 0;
  virtual void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) = 0;
  virtual void Flush(int timeout) = 0;
};

// A named logger. The message forms always hand the message on; the format forms ask
// the dispatcher first and skip all work when the level is disabled.
class OSTREL_API CLogger {
public:
  CLogger();
  explicit CLogger(const wchar_t* name);
  CLogger(const CLogger& other);
  CLogger(CLogger&& other);
  CLogger& operator=(const CLogger& other);
  CLogger& operator=(CLogger&& other);
  ~CLogger();

  void InitLogger(const wchar_t* name);

  void Trace(const char* file, int line, const char* function, const std::wstring& message) const;
  void Debug(const char* file, int line, const char* function, const std::wstring& message) const;
  void Info(const char* file, int line, const char* function, const std::wstring& message) const;
  void Warn(const char* file, int line, const char* function, const std::wstring& message) const;
  void Error(const char* file, int line, const char* function, const std::wstring& message) const;
  void Fatal(const char* file, int line, const char* function, const std::wstring& message) const;

  void Trace(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Debug(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Info(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Warn(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Error(const char* file, int line, const char* function, const wchar_t* format, ...) const;
  void Fatal(const char* file, int line, const char* function, const wchar_t* format, ...) const;

  bool IsTraceEnabled() const;
  bool IsDebugEnabled() const;
  bool IsInfoEnabled() const;
  bool IsWarnEnabled() const;
  bool IsErrorEnabled() const;
  bool IsFatalEnabled() const;

  static void Flush(int timeout);
  static void SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value);
  // The process-wide logger named "Global Static Logger".
  static const CLogger& GetStaticInstance();

  const wchar_t* GetName() const { return m_name.c_str(); }

  // The active dispatcher; bound once while the library is loaded.
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

// Logs through `logger` at the given level with this file and line, e.g.
// OSTREL_LOG(s_logger, Info, "Ostrel::CContainer::CContainer", L"Loading %s", mode).
#define OSTREL_LOG(logger, level, function, ...) \
  (logger).level(__FILE__, __LINE__, function, __VA_ARGS__)
