#include "platform/FileSystem.h"

#include <limits.h>
#include <stdlib.h>

#include "platform/TextConversion.h"

namespace Platform {

std::string CanonicalPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) != nullptr) {
    return buffer;
  }
  return path;
}

std::FILE* OpenFileForReading(const wchar_t* path) {
  return std::fopen(WideToUtf8(path).c_str(), "rb");
}

}  // namespace Platform
