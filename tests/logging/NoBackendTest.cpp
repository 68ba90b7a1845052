// With no libNLogC.so reachable, every operation is dropped and no level is enabled.
#include <gtest/gtest.h>

#include <ostrel/Logger.h>

TEST(NoBackendTest, EverythingIsDroppedAndDisabled) {
  Logging::CLogger logger(L"Ostrel");
  EXPECT_FALSE(logger.IsTraceEnabled() || logger.IsInfoEnabled() || logger.IsFatalEnabled());
  logger.Info("f", 1, "g", L"%s", L"dropped");
  logger.Fatal("f", 1, "g", std::wstring(L"dropped"));
  Logging::CLogger::Flush(0);
  Logging::CLogger::SetGlobalDiagnosticsContext(L"a", L"b");
}
