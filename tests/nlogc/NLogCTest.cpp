// libNLogC.so as libostrel.so sees it: loaded by path, driven through its entry points,
// judged by the lines it appends to the file named in NLOGC_FILE.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdarg>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include <ostrel/Logger.h>

namespace {

using Logging::SLogContext;
const SLogContext kWhere{"src/Core.cpp", 42, "Core::Run"};

// Puts one line into the log file before loading the back end, which must append to it.
void* Symbol(const char* name) {
  static void* module = [] {
    std::ofstream(std::getenv("NLOGC_FILE"), std::ios::trunc) << "earlier line\n";
    return dlopen(NLOGC_PATH, RTLD_NOW | RTLD_LOCAL);
  }();
  return module != nullptr ? dlsym(module, name) : nullptr;
}
#define NLOGC(name, type) reinterpret_cast<type>(Symbol(#name))
#define Write \
  NLOGC(NLog_CSWriteLogW, void (*)(int, const wchar_t*, const SLogContext*, const wchar_t*))

void Log(int level, const wchar_t* logger, const SLogContext* context, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  NLOGC(NLog_CSLogVW, void (*)(int, const wchar_t*, const SLogContext*, const wchar_t*, va_list))
  (level, logger, context, format, args);
  va_end(args);
}

// The lines after "earlier line", which must come first, without their time stamps.
std::vector<std::string> Lines() {
  NLOGC(NLog_Flush, void (*)(int))(1000);
  std::ifstream in(std::getenv("NLOGC_FILE"));
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "earlier line");
  const std::regex time(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
  std::vector<std::string> lines;
  while (std::getline(in, line)) {
    EXPECT_TRUE(std::regex_match(line.substr(0, 24), time)) << line;
    lines.push_back(line.substr(24));
  }
  return lines;
}

TEST(NLogCLine, OneLinePerRecordWithEveryFieldAndBreaksEscaped) {
  const std::string thread = " [" + std::to_string(gettid()) + "] ";
  const char* names[] = {"TRACE", "DEBUG", "INFO ", "WARN ", "ERROR", "FATAL"};
  for (int i = 0; i < 6; ++i) Write(i, L"Core", &kWhere, std::to_wstring(i).c_str());
  Write(2, nullptr, nullptr, nullptr);
  auto set = NLOGC(NLog_SetGlobalDiagnosticsContextW, void (*)(const wchar_t*, const wchar_t*));
  set(L"user", L"ann");
  set(L"job", L"42");
  set(L"user", L"b\u00f6b");
  Log(2, L"C\u00f6re", &kWhere, L"<%s>\r\n", std::wstring(10000, L'x').c_str());
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 8u);
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(lines[level], names[level] + (" Core" + thread) + std::to_string(level) +
                                " (src/Core.cpp:42, Core::Run)");
  }
  EXPECT_EQ(lines[6], "INFO  " + thread + " (:0, )");
  EXPECT_EQ(lines[7], "INFO  C\xC3\xB6re" + thread + "<" + std::string(10000, 'x') +
                          ">\\r\\n (src/Core.cpp:42, Core::Run) user=b\xC3\xB6" "b job=42");
}

// NLOGC_EXPECT is the threshold the run's NLOGC_LEVEL must give (6: nothing).
TEST(NLogCThreshold, OnlyLevelsFromTheThresholdUpAreEnabledAndWritten) {
  const int threshold = std::atoi(std::getenv("NLOGC_EXPECT"));
  auto enabled = NLOGC(NLog_IsLogEnabledW, bool (*)(int, const wchar_t*));
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(enabled(level, L"Core"), level >= threshold) << level;
    Write(level, L"Core", &kWhere, L"message");
    Log(level, L"Core", &kWhere, L"format %d", level);
  }
  EXPECT_EQ(Lines().size(), 2u * (6 - threshold));
}

}  // namespace
