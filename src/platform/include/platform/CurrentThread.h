// The operating system's id of the calling thread, as log lines show it.
#pragma once

#include <cstdint>

namespace Platform {

std::uint32_t CurrentThreadId();

}  // namespace Platform
