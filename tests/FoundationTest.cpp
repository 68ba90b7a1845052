// The foundation: the logging facade against the capturing back end, the record each
// exception logs, and the base library's singleton bookkeeping and counted pointers.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <ostrel/CException.h>
#include <ostrel/Logger.h>
#include <tamarack/CbReferenceCounted.h>
#include <tamarack/CbSmartPointer.h>
#include <tamarack/Singleton.h>

#include "CaptureLog.h"
#include "support/Throw.h"

namespace {

TEST(LoggerTest, LevelsArriveAsNumbersWithTheCallersNameAndLocation) {
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
  auto records = CaptureLog::Records();
  const int levels[] = {0, 1, 2, 3, 4, 5, 2};
  ASSERT_EQ(records.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(records[i].level, levels[i]);
    EXPECT_EQ(records[i].line, i == 5 ? line + 5 : line);  // the macro's own line
    EXPECT_EQ(records[i].file, __FILE__);
    EXPECT_EQ(records[i].function, "F::t");
    EXPECT_EQ(records[i].logger, i == 6 ? L"" : L"Ostrel");
    EXPECT_EQ(records[i].message, L"t " + std::to_wstring(i));
  }
}

TEST(LoggerTest, DisabledLevelSkipsFormatsButNotMessages) {
  CaptureLog::Clear();
  CaptureLog::SetThreshold(Logging::Info);
  Logging::CLogger logger(L"X");
  logger.Debug("f", 1, "g", L"format %d", 1);
  logger.Info("f", 1, "g", L"format %d", 2);
  logger.Debug("f", 1, "g", std::wstring(L"message"));  // the message form does not ask first
  CaptureLog::SetThreshold(0);
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].message, L"format 2");
  EXPECT_EQ(records[1].message, L"message");
  EXPECT_EQ(CaptureLog::EnabledQueries(), 2);
}

TEST(ExceptionTest, ThrowLogsOnceAtTheThrowSiteAndCopiesLogNothing) {
  CaptureLog::Clear();
  const int line = __LINE__ + 2;
  try {
    OSTREL_THROW("Ostrel::Internal::CreateFactory", "Could not create \xC3\xBC");
  } catch (const Ostrel::CException& e) {
    Ostrel::CException copy(e);  // logs nothing
  }
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, Logging::Error);
  EXPECT_EQ(records[0].logger, L"Ostrel");
  EXPECT_EQ(records[0].message, L"Ostrel-Exception: \"Could not create \u00FC\"");
  EXPECT_EQ(records[0].line, line);
  EXPECT_EQ(records[0].file, __FILE__);
  EXPECT_EQ(records[0].function, "Ostrel::Internal::CreateFactory");
}

TEST(BaseLibraryTest, SingletonCountersAndLog) {
  const char* name = "FoundationTest::Thing";
  Singleton::IncrementSingletonCounter(name);
  Singleton::Log(Singleton::Destroyed, name);
  Singleton::DecrementSingletonCounter(name);
  EXPECT_EQ(Singleton::GetSingletonCounter(name), 0);
  const auto log = Singleton::GetSingletonLog();
  EXPECT_EQ(decltype(log)(log.end() - 2, log.end()),
            decltype(log)({{Singleton::Created, name}, {Singleton::Destroyed, name}}));
}

std::atomic<int> g_destroyed{0};

struct CCounted : CbReferenceCounted {
  ~CCounted() override { ++g_destroyed; }
};

TEST(SmartPointerTest, LastReleaseRunsTheDeleterAndClearsWeakRecords) {
  g_destroyed = 0;
  CCounted* raw = new CCounted;
  SWeakReference first{raw, nullptr};
  SWeakReference second{raw, &first};
  raw->GetReferenceCounter()->weakReferences = &second;
  static int deleted = 0;
  raw->GetReferenceCounter()->deleter = [](IReferenceCounted* object) {
    ++deleted;
    delete object;
  };
  {
    CbSmartPointer<CCounted> a(raw);
    CbSmartPointer<IReferenceCounted> b(a);
    CbSmartPointer<IReferenceCounted> c(std::move(b));
    EXPECT_TRUE(b.IsEmpty());
    a.Reset();
    EXPECT_EQ(g_destroyed, 0);
  }
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_TRUE(first.target == nullptr && second.target == nullptr && second.next == nullptr);
}

// Each thread gets its own copy; whichever thread releases last deletes the object.
TEST(SmartPointerTest, ConcurrentCopiesAndReleasesDeleteExactlyOnce) {
  g_destroyed = 0;
  for (int round = 0; round < 50; ++round) {
    CbSmartPointer<CCounted> shared(new CCounted);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([mine = shared] {
        for (int i = 0; i < 1000; ++i) CbSmartPointer<IReferenceCounted> copy(mine);
      });
    }
    shared.Reset();
    for (auto& t : threads) t.join();
  }
  EXPECT_EQ(g_destroyed, 50);
}

}  // namespace
