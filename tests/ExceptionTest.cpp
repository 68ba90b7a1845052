// Exceptions: one Error record per thrown exception at the throw site, none for copies;
// the constructing thread's id; one IException handler for every kind.
#include <gtest/gtest.h>

#include <thread>

#include <ostrel/CException.h>
#include <tamarack/CbExceptionOutOfMemory.h>
#include <tamarack/ThreadId.h>

#include "CaptureLog.h"
#include "support/Throw.h"

namespace {

class ExceptionTest : public ::testing::Test {
protected:
  void SetUp() override { CaptureLog::Clear(); }
};

TEST_F(ExceptionTest, ThrowLogsOnceAtTheThrowSiteAndCopiesLogNothing) {
  int line = 0;
  try {
    try {
      line = __LINE__ + 1;
      OSTREL_THROW("Ostrel::Internal::CreateFactory", "Could not create bean factory");
    } catch (const Ostrel::CException& e) {
      Ostrel::CException copy(e);
      throw copy;
    }
  } catch (const IException& e) {
    EXPECT_EQ(e.GetLineNumber(), static_cast<std::uint32_t>(line));
    EXPECT_STREQ(e.GetFunctionName(), "Ostrel::Internal::CreateFactory");
    EXPECT_STREQ(e.GetFileName(), __FILE__);
  }
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, 4);
  EXPECT_EQ(records[0].logger, L"Ostrel");
  EXPECT_EQ(records[0].format, L"Ostrel-Exception: \"%s\"");
  EXPECT_EQ(records[0].message, L"Ostrel-Exception: \"Could not create bean factory\"");
  EXPECT_EQ(records[0].line, line);
  EXPECT_EQ(records[0].file, __FILE__);
  EXPECT_EQ(records[0].function, "Ostrel::Internal::CreateFactory");
}

TEST_F(ExceptionTest, EmptyAndNonAsciiMessages) {
  Ostrel::CException empty("f.cpp", 1, "g", "");
  Ostrel::CException utf8("f.cpp", 2, "g", "Gr\xC3\xBC\xC3\x9F" "e");
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].message, L"Ostrel-Exception: \"\"");
  EXPECT_EQ(records[1].message, L"Ostrel-Exception: \"Gr\u00FC\u00DFe\"");
}

TEST_F(ExceptionTest, ThreadIdNamesTheConstructingThread) {
  std::uint32_t workerId = 0;
  std::exception_ptr error;
  std::thread worker([&] {
    workerId = CbGetCurrentThreadId();
    try {
      OSTREL_THROW("W::f", "on a worker");
    } catch (...) {
      error = std::current_exception();
    }
  });
  worker.join();
  ASSERT_NE(workerId, CbGetCurrentThreadId());
  try {
    std::rethrow_exception(error);
  } catch (const IException& e) {
    EXPECT_EQ(e.GetThreadID(), workerId);
  }
  EXPECT_EQ(CaptureLog::Records().at(0).threadId, workerId);
}

TEST_F(ExceptionTest, OneHandlerCatchesEveryKind) {
  int caught = 0;
  auto run = [&](auto thrower) {
    try {
      thrower();
    } catch (const IException& e) {
      EXPECT_NE(e.GetFunctionName(), nullptr);
      ++caught;
    }
  };
  run([] { OSTREL_THROW("a", "b"); });
  run([] { throw CbException(__FILE__, __LINE__, "CbPlexManager::CbPlexManager"); });
  run([] { throw CbExceptionOutOfMemory(__FILE__, __LINE__, "CbPlexManager::getFreeElement"); });
  EXPECT_EQ(caught, 3);
  try {
    throw CbExceptionOutOfMemory("x.cpp", 9, "fn");
  } catch (const CbException& e) {
    EXPECT_STREQ(e.GetFileName(), "x.cpp");
    EXPECT_EQ(e.GetLineNumber(), 9u);
    EXPECT_EQ(e.Dump(), "out of memory in fn (x.cpp:9)");
  }
}

}  // namespace
