// With no libNLogC.so reachable, every operation is dropped and no level is enabled.
#include <gtest/gtest.h>

#include <ostrel/CException.h>
#include <ostrel/Logger.h>

namespace {

TEST(NoBackendTest, EverythingIsDroppedAndDisabled) {
  Logging::CLogger logger(L"Ostrel");
  EXPECT_FALSE(logger.IsTraceEnabled());
  EXPECT_FALSE(logger.IsDebugEnabled());
  EXPECT_FALSE(logger.IsInfoEnabled());
  EXPECT_FALSE(logger.IsWarnEnabled());
  EXPECT_FALSE(logger.IsErrorEnabled());
  EXPECT_FALSE(logger.IsFatalEnabled());
  logger.Info("f", 1, "g", L"%s", L"dropped");
  logger.Fatal("f", 1, "g", std::wstring(L"dropped"));
  Logging::CLogger::Flush(0);
  Logging::CLogger::SetGlobalDiagnosticsContext(L"a", L"b");
  EXPECT_FALSE(Logging::CLogger::s_rLogDispatcher.IsLogEnabled(Logging::Fatal, L"x"));
  // Exceptions still work without a back end.
  EXPECT_THROW(throw Ostrel::CException("f", 1, "g", "m"), IException);
}

}  // namespace
