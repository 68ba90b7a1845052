// Export macro of the base library (libtamarack.so), built with hidden visibility.
#pragma once

#if defined(_WIN32)
#  if defined(TAMARACK_BUILDING)
#    define TAMARACK_API __declspec(dllexport)
#  else
#    define TAMARACK_API __declspec(dllimport)
#  endif
#else
#  define TAMARACK_API __attribute__((visibility("default")))
#endif
