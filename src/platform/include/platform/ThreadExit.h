// Work to do when a thread ends, on Windows, where a thread_local object's destructor
// cannot do it: mingw-w64 may free thread_local storage before it runs. Elsewhere
// thread_local destructors serve.
#pragma once

namespace Platform {

// Runs callback(argument) on the calling thread when it ends; callbacks registered
// later run first. The callback must not use thread_local variables either.
void AtThreadExit(void (*callback)(void*), void* argument);

}  // namespace Platform
