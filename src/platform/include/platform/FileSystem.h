// File-system calls of the loader.
#pragma once

#include <string>

namespace Platform {

// The absolute path of an existing file with every link and "." or ".." resolved, the
// same for every spelling of the file; `path` unchanged when it cannot be resolved.
std::string CanonicalPath(const std::string& path);

}  // namespace Platform

