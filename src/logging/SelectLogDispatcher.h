// Chooses the process-wide log dispatcher once: libNLogC.so when it loads with all five
// entry points, else the dropping dispatcher. Never fails, never logs.
// The choice is made by a function-local static, so the first callers on several threads
// get one dispatcher.
#pragma once

#include <ostrel/Logger.h>

namespace Logging {

ILogDispatcher& SelectLogDispatcher();

}  // namespace Logging
