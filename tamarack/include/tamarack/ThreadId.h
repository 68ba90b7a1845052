// The operating system's id of the calling thread.
#pragma once

#include <cstdint>

#include <tamarack/Export.h>

TAMARACK_API std::uint32_t CbGetCurrentThreadId();
