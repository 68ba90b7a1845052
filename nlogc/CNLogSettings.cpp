#include "CNLogSettings.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

namespace NLogC {

CNLogSettings CNLogSettings::FromEnvironment() {
  CNLogSettings settings;
  const char* level = std::getenv("NLOGC_LEVEL");
  settings.m_threshold = ParseLevel(level);
  if (settings.m_threshold < 0) {
    // Said once, where a mistyped setting shows: the settings are read once per process.
    std::fprintf(stderr,
                 "NLogC: unknown NLOGC_LEVEL '%s', using 'info' (known: trace, debug, info, "
                 "warn, error, fatal, off)\n",
                 level);
    settings.m_threshold = kDefaultThreshold;
  }
  if (const char* file = std::getenv("NLOGC_FILE")) {
    settings.m_file = file;
  }
  return settings;
}

int CNLogSettings::ParseLevel(const char* name) {
  static const char* const kNames[] = {"trace", "debug", "info", "warn", "error", "fatal", "off"};
  if (name != nullptr && name[0] != '\0') {
    for (int level = 0; level <= kOff; ++level) {
      if (strcasecmp(name, kNames[level]) == 0) {
        return level;
      }
    }
    return -1;
  }
  return kDefaultThreshold;
}

}  // namespace NLogC
