// The logging facade against the capturing back end: what reaches the dispatcher, with
// which level, name, location and arguments.
#include <gtest/gtest.h>

#include <ostrel/Logger.h>

#include "CaptureLog.h"

namespace {

class LoggerTest : public ::testing::Test {
protected:
  void SetUp() override {
    CaptureLog::SetThreshold(0);
    CaptureLog::Clear();
  }
  void TearDown() override { CaptureLog::SetThreshold(0); }
};

TEST_F(LoggerTest, LevelsArriveAsNumbersWithTheCallersLocation) {
  Logging::CLogger logger(L"Ostrel");
  const int line = __LINE__ + 1;
  logger.Trace(__FILE__, line, "F::t", L"t %d", 0);
  logger.Debug(__FILE__, line, "F::d", L"d");
  logger.Info(__FILE__, line, "F::i", L"i");
  logger.Warn(__FILE__, line, "F::w", L"w");
  logger.Error(__FILE__, line, "F::e", L"e");
  logger.Fatal(__FILE__, line, "F::f", L"f");
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 6u);
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(records[level].level, level);
    EXPECT_EQ(records[level].line, line);
    EXPECT_EQ(records[level].file, __FILE__);
    EXPECT_EQ(records[level].logger, L"Ostrel");
    EXPECT_EQ(records[level].call, CaptureLog::ECall::LogV);
  }
  EXPECT_EQ(records[0].function, "F::t");
  EXPECT_EQ(records[0].message, L"t 0");
}

TEST_F(LoggerTest, FormatAndWideStringArgumentReachTheBackEndUntouched) {
  Logging::CLogger logger(L"X");
  std::wstring mode = L"stand-alone";
  logger.Info("f.cpp", 7, "Ostrel::CContainer::CContainer", L"Loading configuration from xml (%s)...",
              mode.c_str());
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].format, L"Loading configuration from xml (%s)...");
  EXPECT_EQ(records[0].message, L"Loading configuration from xml (stand-alone)...");
}

TEST_F(LoggerTest, DisabledLevelSkipsFormatsButNotMessages) {
  CaptureLog::SetThreshold(Logging::Info);
  Logging::CLogger logger(L"X");
  logger.Debug("f", 1, "g", L"format %d", 1);
  EXPECT_TRUE(CaptureLog::Records().empty());
  EXPECT_EQ(CaptureLog::EnabledQueries(), 1);
  logger.Debug("f", 1, "g", std::wstring(L"message"));
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].call, CaptureLog::ECall::WriteLog);
  EXPECT_EQ(records[0].message, L"message");
  // The message form does not ask first.
  EXPECT_EQ(CaptureLog::EnabledQueries(), 1);
  EXPECT_FALSE(logger.IsDebugEnabled());
  EXPECT_TRUE(logger.IsInfoEnabled());
  EXPECT_TRUE(logger.IsFatalEnabled());
}

TEST_F(LoggerTest, NamesCopiesAndTheStaticInstance) {
  Logging::CLogger unnamed;
  ASSERT_NE(unnamed.GetName(), nullptr);
  unnamed.Info("f", 1, "g", L"x");
  EXPECT_EQ(CaptureLog::Records().at(0).logger, L"");

  Logging::CLogger a(L"A");
  Logging::CLogger b(a);
  Logging::CLogger c(std::move(a));
  EXPECT_STREQ(a.GetName(), L"A");
  EXPECT_STREQ(b.GetName(), L"A");
  EXPECT_STREQ(c.GetName(), L"A");
  c.InitLogger(L"C");
  b = std::move(c);
  EXPECT_STREQ(c.GetName(), L"C");
  EXPECT_STREQ(b.GetName(), L"C");

  const Logging::CLogger& s1 = Logging::CLogger::GetStaticInstance();
  const Logging::CLogger& s2 = Logging::CLogger::GetStaticInstance();
  EXPECT_EQ(&s1, &s2);
  EXPECT_STREQ(s1.GetName(), L"Global Static Logger");
}

TEST_F(LoggerTest, FlushAndDiagnosticsContextPassThrough) {
  Logging::CLogger::SetGlobalDiagnosticsContext(L"session", L"42");
  Logging::CLogger::Flush(250);
  auto items = CaptureLog::DiagnosticItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].first, L"session");
  EXPECT_EQ(items[0].second, L"42");
  EXPECT_EQ(CaptureLog::Flushes(), std::vector<int>{250});
}

TEST_F(LoggerTest, MacroSuppliesFileAndLine) {
  Logging::CLogger logger(L"M");
  const int line = __LINE__ + 1;
  OSTREL_LOG(logger, Warn, "M::f", L"value %d", 3);
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].line, line);
  EXPECT_EQ(records[0].level, Logging::Warn);
  EXPECT_EQ(records[0].message, L"value 3");
}

}  // namespace
