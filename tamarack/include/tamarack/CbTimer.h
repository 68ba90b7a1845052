/// @class CbTimer
/// CbTimer: measures elapsed wall-clock time between Start and Stop. Not thread-safe.
#pragma once

#include <chrono>
#include <string>

#include <tamarack/Export.h>

class TAMARACK_API CbTimer {
public:
  /// Ticks per second of the formatted result: 1 gives seconds, 1000 milliseconds,
  /// 1000000 microseconds.
  enum EResolution : unsigned {
    Seconds = 1,            ///< Seconds ("s").
    Milliseconds = 1000,    ///< Milliseconds ("ms").
    Microseconds = 1000000  ///< Microseconds ("us").
  };

  /// A timer reporting in `resolution` units; it reads 0 until started.
  explicit CbTimer(EResolution resolution = Milliseconds);

  /// Starts (or restarts) the measurement now.
  void Start();
  /// Ends the measurement; without a Stop the formatted time runs up to now.
  void Stop();
  /// Elapsed time in the resolution's unit, with fractions.
  double GetElapsed() const;
  /// Elapsed time as readable text with three decimals and its unit, e.g. "12.345 ms".
  std::wstring GetFormatted() const;

private:
  using Clock = std::chrono::steady_clock;
  EResolution m_resolution;
  Clock::time_point m_start;
  Clock::time_point m_stop;
  bool m_running = false;
};
