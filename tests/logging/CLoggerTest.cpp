// The logging facade against the capturing back end, and the record a thrown exception
// logs.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>  // first, as programs may: its GetMessage macro must not matter
#endif
#include <ostrel/Ostrel.h>

#include "CaptureLog.h"
#include "support/Throw.h"

namespace {

// Every level of a named logger, a nameless logger, a disabled level and a thrown
// exception, as the back end receives them.
TEST(LoggerTest, RecordsCarryLevelLoggerLocationAndMessage) {
  CaptureLog::Clear();
  Logging::CLogger logger(L"Ostrel");
  const int line = __LINE__ + 1;
  logger.Trace(__FILE__, line, "F::t", L"t %d", 0);
  logger.Debug(__FILE__, line, "F::t", L"t %d", 1);
  logger.Info(__FILE__, line, "F::t", L"t %d", 2);
  logger.Warn(__FILE__, line, "F::t", L"t %d", 3);
  logger.Error(__FILE__, line, "F::t", L"t %d", 4);
  OSTREL_LOG(logger, Fatal, "F::t", L"t %d", 5);
  Logging::CLogger(nullptr).Info(__FILE__, line, "F::t", std::wstring(L"t 6"));
  // Below the threshold the format form asks and is dropped; the message form does not ask.
  CaptureLog::SetThreshold(Logging::Info);
  logger.Debug(__FILE__, line, "F::t", L"dropped %d", 7);
  logger.Debug(__FILE__, line, "F::t", std::wstring(L"t 7"));
  EXPECT_EQ(CaptureLog::EnabledQueries(), 7);
  const int thrown = __LINE__ + 2;
  try {
    OSTREL_THROW("F::t", "t \xC3\xBC");  // logs once, at the throw site
  } catch (const Ostrel::CException& e) {
    Ostrel::CException copy(e);  // logs nothing, and keeps the message
    EXPECT_EQ(Ostrel::GetMessage(copy), "t \xC3\xBC");
  }
  CaptureLog::SetThreshold(0);
  const auto records = CaptureLog::Records();
  const int levels[] = {0, 1, 2, 3, 4, 5, 2, 1, 4};
  ASSERT_EQ(records.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(records[i].level, levels[i]);
    EXPECT_EQ(records[i].line, i == 5 ? line + 5 : i == 8 ? thrown : line);
    EXPECT_EQ(records[i].file, __FILE__);
    EXPECT_EQ(records[i].function, "F::t");
    EXPECT_EQ(records[i].logger, i == 6 ? L"" : L"Ostrel");
    EXPECT_EQ(records[i].message,
              i < 8 ? L"t " + std::to_wstring(i) : L"Ostrel-Exception: \"t \u00FC\"");
  }
}

}  // namespace
