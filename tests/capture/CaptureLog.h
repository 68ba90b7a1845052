// A capturing logging back end for tests: a libNLogC.so that records every call so
// tests can assert exact levels, logger names, locations and messages. Test programs
// link it directly; libostrel's dispatcher selection then finds it already loaded.
#pragma once

#include <string>
#include <vector>

#define CAPTURE_API __attribute__((visibility("default")))

namespace CaptureLog {

struct SRecord {
  int level;
  std::wstring logger;
  std::string file;
  int line;
  std::string function;
  std::wstring message;  // as written, or formatted
};

// Every record since the last Clear, oldest first.
CAPTURE_API std::vector<SRecord> Records();
CAPTURE_API void Clear();
// Records at or above `level` are enabled (default 0: everything).
CAPTURE_API void SetThreshold(int level);
// IsLogEnabled calls since the last Clear.
CAPTURE_API int EnabledQueries();

// How many records have exactly this message.
CAPTURE_API std::size_t CountMessage(const std::wstring& message);

}  // namespace CaptureLog
