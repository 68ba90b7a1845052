#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>  // first, as programs may: its GetMessage macro must not matter
#endif
#include <ostrel/Ostrel.h>
#include <tamarack/CbExceptionOutOfMemory.h>

namespace {

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

}  // namespace
