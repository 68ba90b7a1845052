/// @file
/// The operating system's id of the calling thread.
#pragma once

#include <cstdint>

#include <tamarack/Export.h>

/// The calling thread's operating-system id (as IException::GetThreadID gives it).
TAMARACK_API std::uint32_t CbGetCurrentThreadId();
