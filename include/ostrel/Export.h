// Export macro of libostrel.so, which is built with hidden visibility: only what
// carries OSTREL_API is visible to clients.
#pragma once

#if defined(_WIN32)
#  if defined(OSTREL_BUILDING)
#    define OSTREL_API __declspec(dllexport)
#  else
#    define OSTREL_API __declspec(dllimport)
#  endif
#else
#  define OSTREL_API __attribute__((visibility("default")))
#endif
