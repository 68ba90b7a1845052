// The foundation: the logging facade against the capturing back end, the record each
// exception logs, and the base library's singleton bookkeeping and counted pointers.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#if defined(_WIN32)
#include <windows.h>  // first, as programs may: its GetMessage macro must not matter
#endif
#include <ostrel/Ostrel.h>
#include <tamarack/CbExceptionOutOfMemory.h>
#include <tamarack/Singleton.h>

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

// The message of any exception of the library; the base library's say where they were
// raised, and others have none.
TEST(ExceptionTest, GetMessageOfEachKind) {
  struct CForeign : IException {
    const char* GetFileName() const override { return ""; }
    std::uint32_t GetLineNumber() const override { return 0; }
    const char* GetFunctionName() const override { return ""; }
    std::uint32_t GetThreadID() const override { return 0; }
  };
  EXPECT_EQ(Ostrel::GetMessage(CbExceptionOutOfMemory("a.cpp", 3, "F::g")),
            "out of memory in F::g (a.cpp:3)");
  EXPECT_EQ(Ostrel::GetMessage(CbException("a.cpp", 4, "F::h")), "F::h (a.cpp:4)");
  EXPECT_EQ(Ostrel::GetMessage(CForeign()), "");
}

std::atomic<int> g_destroyed{0};

struct CCounted : CbReferenceCounted {
  ~CCounted() override { ++g_destroyed; }
  CbSmartPointer<CCounted> next;  // a pointer to its own, still incomplete, kind
};

// The last release runs the deleter once and clears the weak records; with copies on
// several threads, whichever thread releases last deletes.
TEST(SmartPointerTest, LastReleaseOnAnyThreadDeletesOnceAndClearsWeakRecords) {
  g_destroyed = 0;
  CCounted* raw = new CCounted;
  SWeakReference first{raw, nullptr}, second{raw, &first};
  raw->GetReferenceCounter()->weakReferences = &second;
  static int deleted = 0;  // the deleter runs instead of the deletion
  raw->GetReferenceCounter()->deleter = [](IReferenceCounted*) { ++deleted; };
  CbSmartPointer<CCounted> a(raw);
  CbSmartPointer<IReferenceCounted> b(a), c(std::move(b));
  a.Reset();
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(deleted, 0);
  c.Reset();
  EXPECT_EQ(deleted, 1);
  EXPECT_TRUE(first.target == nullptr && second.target == nullptr && second.next == nullptr);
  delete raw;
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
  CbSmartPointer<CCounted> chain(new CCounted);
  chain->next = new CCounted;
  chain.Reset();
  EXPECT_EQ(g_destroyed, 53);
}

}  // namespace
