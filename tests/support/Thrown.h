// Runs a call expected to throw CException and returns the one exception record it
// logged, so that a test checks the thrown function and the logged message at once.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"
#include "platform/TextConversion.h"

namespace TestSupport {

struct SThrown {
  std::string function;  // as logged; the exception carries the same
  std::string message;   // without the "Ostrel-Exception" frame
};

// Runs `call`, which must throw CException after logging exactly one exception record.
template <class F>
SThrown Thrown(F&& call) {
  CaptureLog::Clear();
  std::string thrownBy = "<nothing thrown>";
  try {
    call();
  } catch (const Ostrel::CException& e) {
    thrownBy = e.GetFunctionName();
  }
  std::vector<SThrown> found;
  const std::wstring prefix = L"Ostrel-Exception: \"";
  for (const CaptureLog::SRecord& r : CaptureLog::Records()) {
    if (r.message.compare(0, prefix.size(), prefix) == 0) {
      EXPECT_EQ(r.level, Logging::Error);
      std::wstring text = r.message.substr(prefix.size(), r.message.size() - prefix.size() - 1);
      found.push_back({r.function, Platform::WideToUtf8(text)});
    }
  }
  if (found.size() != 1) {
    ADD_FAILURE() << found.size() << " exception records; thrown by " << thrownBy;
    return {thrownBy, found.empty() ? "" : found.back().message};
  }
  EXPECT_EQ(found[0].function, thrownBy);
  return found[0];
}

// The message of the exception that `call` throws.
template <class F>
std::string Message(F&& call) {
  return Thrown(std::forward<F>(call)).message;
}

// Expects `call` to throw from `function` after logging exactly `message`.
template <class F>
void ExpectThrown(F&& call, const char* function, const std::string& message) {
  const SThrown thrown = Thrown(std::forward<F>(call));
  EXPECT_EQ(thrown.function, function);
  EXPECT_EQ(thrown.message, message);
}

}  // namespace TestSupport
