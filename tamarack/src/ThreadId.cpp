#include <tamarack/ThreadId.h>

#if defined(_WIN32)
#  include <windows.h>
std::uint32_t CbGetCurrentThreadId() { return static_cast<std::uint32_t>(GetCurrentThreadId()); }
#else
#  include <unistd.h>
std::uint32_t CbGetCurrentThreadId() { return static_cast<std::uint32_t>(gettid()); }
#endif
