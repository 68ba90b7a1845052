// File-system calls of the loader.
// Both calls keep no state and may run on any thread.
#pragma once

#include <cstdio>
#include <string>

namespace Platform {

// The absolute path of an existing file with every link and "." or ".." resolved, the
// same for every spelling of the file; `path` unchanged when it cannot be resolved.
std::string CanonicalPath(const std::string& path);

// Opens a file for reading in byte mode; null when it cannot be opened. The caller closes it.
std::FILE* OpenFileForReading(const wchar_t* path);

}  // namespace Platform

