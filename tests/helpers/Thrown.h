// Runs a call expected to throw CException and returns the one exception record it
// logged (which must be the message the exception keeps) and the place record that
// follows it, so that a test checks the thrown function, message and place at once.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"
#include "platform/TextConversion.h"

namespace TestSupport {

struct SThrown {
  std::string function;  // as logged; the exception carries the same
  std::string message;   // without the "Ostrel-Exception" frame
  std::string place;     // the record after it when that is "  at <place>": "<place>"
};

// Runs `call`, which must throw CException after logging exactly one exception record.
template <class F>
SThrown Thrown(F&& call) {
  CaptureLog::Clear();
  std::string thrownBy = "<nothing thrown>", kept;
  try {
    call();
  } catch (const Ostrel::CException& e) {
    thrownBy = e.GetFunctionName();
    kept = Ostrel::GetMessage(e);
  }
  SThrown found;
  int count = 0;
  const std::wstring prefix = L"Ostrel-Exception: \"", at = L"  at ";
  const auto& records = CaptureLog::Records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const CaptureLog::SRecord& r = records[i];
    if (r.level == Logging::Error && r.message.compare(0, prefix.size(), prefix) == 0) {
      ++count;
      found = {r.function,
               Platform::WideToUtf8(
                   r.message.substr(prefix.size(), r.message.size() - prefix.size() - 1)),
               ""};
      if (i + 1 < records.size() && records[i + 1].message.compare(0, at.size(), at) == 0) {
        EXPECT_EQ(records[i + 1].level, Logging::Error);
        found.place = Platform::WideToUtf8(records[i + 1].message.substr(at.size()));
      }
    }
  }
  EXPECT_EQ(count, 1) << "exception records; thrown by " << thrownBy;
  EXPECT_EQ(found.function, thrownBy);
  EXPECT_EQ(found.message, kept);
  return found;
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
