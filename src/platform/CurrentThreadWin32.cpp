#include "platform/CurrentThread.h"

#include <windows.h>

namespace Platform {

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(GetCurrentThreadId()); }

}  // namespace Platform
