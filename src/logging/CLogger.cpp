#include <ostrel/Logger.h>

#include "SelectLogDispatcher.h"

namespace Logging {

ILogDispatcher::~ILogDispatcher() = default;

// Bound by a static initialiser while the library is loaded; nothing in the library
// logs from its own static initialisers.
ILogDispatcher& CLogger::s_rLogDispatcher = SelectLogDispatcher();

namespace {
// Creates the static instance at load time.
const CLogger& s_staticInstance = CLogger::GetStaticInstance();
}  // namespace

CLogger::CLogger() = default;
CLogger::CLogger(const wchar_t* name) : m_name(name != nullptr ? name : L"") {}
CLogger::CLogger(const CLogger& other) = default;
// Moving copies the name: the source keeps its name.
CLogger::CLogger(CLogger&& other) : m_name(other.m_name) {}
CLogger& CLogger::operator=(const CLogger& other) = default;
CLogger& CLogger::operator=(CLogger&& other) {
  m_name = other.m_name;
  return *this;
}
CLogger::~CLogger() = default;

void CLogger::InitLogger(const wchar_t* name) { m_name = name != nullptr ? name : L""; }

void CLogger::Write(int level, const char* file, int line, const char* function,
                    const std::wstring& message) const {
  SLogContext context{file, line, function};
  s_rLogDispatcher.WriteLog(level, m_name.c_str(), &context, message.c_str());
}

void CLogger::Format(int level, const char* file, int line, const char* function,
                     const wchar_t* format, va_list arguments) const {
  SLogContext context{file, line, function};
  s_rLogDispatcher.LogV(level, m_name.c_str(), &context, format, arguments);
}

bool CLogger::IsEnabled(int level) const {
  return s_rLogDispatcher.IsLogEnabled(level, m_name.c_str());
}

#define OSTREL_DEFINE_LEVEL(Name)                                                           \
  void CLogger::Name(const char* file, int line, const char* function,                      \
                     const std::wstring& message) const {                                   \
    Write(ELogLevel::Name, file, line, function, message);                                  \
  }                                                                                         \
  void CLogger::Name(const char* file, int line, const char* function, const wchar_t* format, \
                     ...) const {                                                           \
    if (!IsEnabled(ELogLevel::Name)) {                                                      \
      return;                                                                               \
    }                                                                                       \
    va_list arguments;                                                                      \
    va_start(arguments, format);                                                            \
    Format(ELogLevel::Name, file, line, function, format, arguments);                       \
    va_end(arguments);                                                                      \
  }                                                                                         \
  bool CLogger::Is##Name##Enabled() const { return IsEnabled(ELogLevel::Name); }

OSTREL_DEFINE_LEVEL(Trace)
OSTREL_DEFINE_LEVEL(Debug)
OSTREL_DEFINE_LEVEL(Info)
OSTREL_DEFINE_LEVEL(Warn)
OSTREL_DEFINE_LEVEL(Error)
OSTREL_DEFINE_LEVEL(Fatal)

#undef OSTREL_DEFINE_LEVEL

void CLogger::Flush(int timeout) { s_rLogDispatcher.Flush(timeout); }

void CLogger::SetGlobalDiagnosticsContext(const wchar_t* item, const wchar_t* value) {
  s_rLogDispatcher.SetGlobalDiagnosticsContext(item, value);
}

const CLogger& CLogger::GetStaticInstance() {
  static const CLogger instance(L"Global Static Logger");
  return instance;
}

}  // namespace Logging
