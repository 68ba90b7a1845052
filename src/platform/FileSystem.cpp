#include "platform/FileSystem.h"

#include <limits.h>
#include <stdlib.h>

namespace Platform {

std::string CanonicalPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) != nullptr) {
    return buffer;
  }
  return path;
}

}  // namespace Platform

