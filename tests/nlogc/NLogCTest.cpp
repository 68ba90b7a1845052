// libNLogC.so as libostrel.so sees it: loaded by path, driven through its entry points,
// judged by the lines it appends to the file named in NLOGC_FILE.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdarg>
#include <fstream>
#include <regex>
#include <thread>

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
#define Write NLOGC(NLog_CSWriteLogW, void (*)(int, const wchar_t*, const SLogContext*, const wchar_t*))
#define Enabled NLOGC(NLog_IsLogEnabledW, bool (*)(int, const wchar_t*))
#define SetItem NLOGC(NLog_SetGlobalDiagnosticsContextW, void (*)(const wchar_t*, const wchar_t*))

void Log(int level, const wchar_t* logger, const SLogContext* context, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  NLOGC(NLog_CSLogVW, void (*)(int, const wchar_t*, const SLogContext*, const wchar_t*, va_list))
  (level, logger, context, format, args);
  va_end(args);
}

std::vector<std::string> Lines() {
  NLOGC(NLog_Flush, void (*)(int))(1000);
  std::ifstream in(std::getenv("NLOGC_FILE"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Fields: 1 level, 2 logger, 3 thread, 4 message, 5 "file:line, function", 6 items.
const std::regex kLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (TRACE|DEBUG|INFO |WARN |ERROR|FATAL) )"
                       R"((.*) \[(\d+)\] (.*) \((.*:-?\d+, .*)\)(.*))");

// The fields of the only line whose message is `message`; empty if there is none.
std::vector<std::string> Find(const std::vector<std::string>& lines, const std::string& message) {
  std::vector<std::string> found;
  std::smatch m;
  for (const std::string& line : lines) {
    if (std::regex_match(line, m, kLine) && m[4] == message) {
      EXPECT_TRUE(found.empty()) << "twice: " << message;
      found.assign(m.begin(), m.end());
    }
  }
  EXPECT_FALSE(found.empty()) << "missing: " << message;
  return found.empty() ? std::vector<std::string>(7) : found;
}

TEST(NLogCLine, AppendsOneLinePerRecordWithEveryField) {
  const char* names[] = {"TRACE", "DEBUG", "INFO ", "WARN ", "ERROR", "FATAL"};
  for (int level = 0; level < 6; ++level) Write(level, L"Core", &kWhere, std::to_wstring(level).c_str());
  Write(2, nullptr, nullptr, nullptr);
  Log(2, nullptr, nullptr, nullptr);
  Log(2, L"Core", &kWhere, L"<%s>\n", std::wstring(10000, L'x').c_str());
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "earlier line");
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(Find(lines, std::to_string(level)),
              (std::vector<std::string>{lines[level + 1], names[level], "Core", std::to_string(gettid()),
                                        std::to_string(level), "src/Core.cpp:42, Core::Run", ""}));
  }
  for (int i : {7, 8}) EXPECT_EQ(lines[i].substr(24), "INFO   [" + std::to_string(gettid()) + "]  (:0, )");
  Find(lines, "<" + std::string(10000, 'x') + ">\\n");
}

TEST(NLogCDiagnostics, ItemsAppearOnLaterLinesInTheOrderFirstSet) {
  Write(2, L"Core", &kWhere, L"before");
  SetItem(L"user", L"ann");
  Write(2, L"Core", &kWhere, L"one");
  SetItem(L"job", L"42");
  SetItem(L"user", L"b\u00f6b");
  SetItem(nullptr, nullptr);
  Log(2, L"Core", &kWhere, L"two");
  auto lines = Lines();
  EXPECT_EQ(Find(lines, "before")[6], "");
  EXPECT_EQ(Find(lines, "one")[6], " user=ann");
  EXPECT_EQ(Find(lines, "two")[6], " user=b\xC3\xB6" "b job=42 =");
}

TEST(NLogCThreads, ConcurrentLinesArriveWholeAndInOrder) {
  auto writer = [](const wchar_t* name) {
    for (int i = 0; i < 10000; ++i) Log(2, name, &kWhere, L"%s %d", name, i);
  };
  std::thread a(writer, L"A"), b(writer, L"B");
  a.join();
  b.join();
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 20001u);
  int next[2] = {0, 0};
  std::string thread[2];
  std::smatch m;
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_TRUE(std::regex_match(lines[i], m, kLine)) << lines[i];
    const int k = m[2] == "B";
    ASSERT_EQ(m[4], m[2].str() + " " + std::to_string(next[k]++));
    thread[k] = thread[k].empty() ? m[3].str() : thread[k];
    ASSERT_EQ(m[3], thread[k]);
  }
  EXPECT_NE(thread[0], thread[1]);
}

// NLOGC_EXPECT is the threshold the run's NLOGC_LEVEL must give (6: nothing).
TEST(NLogCThreshold, OnlyLevelsFromTheThresholdUpAreEnabledAndWritten) {
  const int threshold = std::atoi(std::getenv("NLOGC_EXPECT"));
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(Enabled(level, L"Core"), level >= threshold) << level;
    Write(level, L"Core", &kWhere, L"message");
    Log(level, L"Core", &kWhere, L"format %d", level);
  }
  auto lines = Lines();
  EXPECT_EQ(lines.size(), 1u + 2 * (6 - threshold));
  for (int level = threshold; level < 6; ++level) Find(lines, "format " + std::to_string(level));
}

}  // namespace
