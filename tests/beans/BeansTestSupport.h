// Helpers of the bean tests: the check of a thrown CException.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"

namespace BeansTest {

// Expects `call` to throw a CException from `function` that logs exactly `message`.
template <class F>
void ExpectThrown(F call, const char* function, const std::wstring& message) {
  CaptureLog::Clear();
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const Ostrel::CException& e) {
    EXPECT_STREQ(e.GetFunctionName(), function);
  }
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, Logging::Error);
  EXPECT_EQ(records[0].function, function);
  EXPECT_EQ(records[0].message, L"Ostrel-Exception: \"" + message + L"\"");
}

}  // namespace BeansTest
