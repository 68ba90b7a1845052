// SetEnvironment: sets (or, with a null value, removes) a variable of this process's
// environment, on POSIX and Windows alike. Not thread-safe, like the calls it wraps.
#pragma once

#include <cstdlib>

inline void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value != nullptr ? value : "");  // an empty value removes it
#else
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}
