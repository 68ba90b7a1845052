// libNLogC.so as libostrel.so sees it: loaded by path, driven through its entry points,
// judged by the lines it appends to the file named in NLOGC_FILE.
#include <cstdarg>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "logging/NLogEntryPoints.h"  // declares the entry points
#include "platform/CurrentThread.h"
#include "platform/SharedLibrary.h"

namespace {

using Logging::SLogContext;
const SLogContext kWhere{"src/Core.cpp", 42, "Core::Run"};

// Puts one line into the log file before loading the back end, which must append to it.
void* Symbol(const char* name) {
  static void* module = [] {
    std::ofstream(std::getenv("NLOGC_FILE"), std::ios::trunc) << "earlier line\n";
    return Platform::OpenLibrary(NLOGC_PATH, nullptr);
  }();
  return Platform::FindSymbol(module, name);
}
#define NLOGC(name) reinterpret_cast<decltype(&name)>(Symbol(#name))

void Log(int level, const wchar_t* logger, const SLogContext* context, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  NLOGC(NLog_CSLogVW)(level, logger, context, format, args);
  va_end(args);
}

// NLOGC_EXPECT is the threshold the run's NLOGC_LEVEL must give (6: nothing). Every level
// is written in both forms; then, at FATAL, a record without logger or location and one
// with diagnostics items and a long message whose line breaks must be escaped.
TEST(NLogC, LevelsFromTheThresholdUpAreWrittenOneLineEach) {
  const int threshold = std::atoi(std::getenv("NLOGC_EXPECT"));
  const std::string thread = " [" + std::to_string(Platform::CurrentThreadId()) + "] ";
  const char* names[] = {"TRACE", "DEBUG", "INFO ", "WARN ", "ERROR", "FATAL"};
  auto enabled = NLOGC(NLog_IsLogEnabledW);
  std::vector<std::string> expected{"earlier line"};
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(enabled(level, L"Core"), level >= threshold) << level;
    NLOGC(NLog_CSWriteLogW)(level, L"Core", &kWhere, std::to_wstring(level).c_str());
    Log(level, L"Core", &kWhere, L"%d", level);
    const std::string line = "T " + std::string(names[level]) + " Core" + thread +
                             std::to_string(level) + " (src/Core.cpp:42, Core::Run)";
    if (level >= threshold) expected.insert(expected.end(), {line, line});
  }
  NLOGC(NLog_CSWriteLogW)(5, nullptr, nullptr, nullptr);
  auto set = NLOGC(NLog_SetGlobalDiagnosticsContextW);
  set(L"user", L"ann");
  set(L"job", L"42");
  set(L"user", L"b\u00f6b");
  Log(5, L"C\u00f6re", &kWhere, L"<%s>\r\n", std::wstring(10000, L'x').c_str());
  const std::string fatal = "T FATAL C\u00f6re" + thread + "<" + std::string(10000, 'x') +
                            ">\\r\\n (src/Core.cpp:42, Core::Run) user=b\u00f6b job=42";
  if (threshold < 6) expected.insert(expected.end(), {"T FATAL " + thread + " (:0, )", fatal});
  // The file's lines, their time stamps replaced by "T".
  NLOGC(NLog_Flush)(1000);
  std::ifstream in(std::getenv("NLOGC_FILE"));
  const std::regex time(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(std::regex_replace(line, time, "T "));
  EXPECT_EQ(lines, expected);
}

}  // namespace
