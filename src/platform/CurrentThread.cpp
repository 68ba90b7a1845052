#include "platform/CurrentThread.h"

#include <unistd.h>

namespace Platform {

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(gettid()); }

}  // namespace Platform
