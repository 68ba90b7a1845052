#include "CNLogSettings.h"

#include <strings.h>

#include <cstdlib>

namespace NLogC {

CNLogSettings CNLogSettings::FromEnvironment() {
  CNLogSettings settings;
  settings.m_threshold = ParseLevel(std::getenv("NLOGC_LEVEL"));
  if (const char* file = std::getenv("NLOGC_FILE")) {
    settings.m_file = file;
  }
  return settings;
}

int CNLogSettings::ParseLevel(const char* name) {
  static const char* const kNames[] = {"trace", "debug", "info", "warn", "error", "fatal", "off"};
  if (name != nullptr) {
    for (int level = 0; level <= kOff; ++level) {
      if (strcasecmp(name, kNames[level]) == 0) {
        return level;
      }
    }
  }
  return kDefaultThreshold;
}

}  // namespace NLogC
