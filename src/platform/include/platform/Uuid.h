// New random UUIDs in their standard text form (36 lower-case characters).
// May be called from any thread.
#pragma once

#include <string>

namespace Platform {

// False when no UUID could be made.
bool CreateUuidText(std::string& text);

}  // namespace Platform
