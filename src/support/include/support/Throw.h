// The one way the library raises its own failures: a CException carrying this throw
// site's file and line and the given qualified function name.
// Safe on any thread, as constructing a CException is.
#pragma once

#include <string>

#include <ostrel/CException.h>

#define OSTREL_THROW(function, message)                                               \
  throw ::Ostrel::CException(__FILE__, __LINE__, function,                            \
                             ::Ostrel::Internal::MessageText(message))

namespace Ostrel {
namespace Internal {
inline const char* MessageText(const char* message) { return message; }
inline const char* MessageText(const std::string& message) { return message.c_str(); }
}  // namespace Internal
}  // namespace Ostrel
