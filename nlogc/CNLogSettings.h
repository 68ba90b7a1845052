// The back end's settings, taken from the environment:
//   NLOGC_LEVEL  trace, debug, info, warn, error, fatal or off, in any case (default info)
//   NLOGC_FILE   file to append to (default: standard error)
// A plain value, read once when the back end is created and not changed afterwards, so
// any thread may read it; the static functions keep no state.
#pragma once

#include <string>

namespace NLogC {

class CNLogSettings {
public:
  // Threshold above fatal: nothing is written.
  static constexpr int kOff = 6;
  static constexpr int kDefaultThreshold = 2;  // info

  static CNLogSettings FromEnvironment();

  // A level name in any case; null or empty gives the default, an unknown name -1.
  static int ParseLevel(const char* name);

  int Threshold() const { return m_threshold; }
  // Empty for standard error.
  const std::string& File() const { return m_file; }

private:
  int m_threshold = kDefaultThreshold;
  std::string m_file;
};

}  // namespace NLogC
