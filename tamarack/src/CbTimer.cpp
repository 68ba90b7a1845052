#include <tamarack/CbTimer.h>

#include <cwchar>

CbTimer::CbTimer(EResolution resolution) : m_resolution(resolution) {
  m_start = m_stop = Clock::now();
}

void CbTimer::Start() {
  m_start = Clock::now();
  m_running = true;
}

void CbTimer::Stop() {
  m_stop = Clock::now();
  m_running = false;
}

double CbTimer::GetElapsed() const {
  Clock::time_point end = m_running ? Clock::now() : m_stop;
  std::chrono::duration<double> seconds = end - m_start;
  return seconds.count() * static_cast<double>(m_resolution);
}

std::wstring CbTimer::GetFormatted() const {
  const wchar_t* unit = L"ms";
  switch (m_resolution) {
    case Seconds: unit = L"s"; break;
    case Milliseconds: unit = L"ms"; break;
    case Microseconds: unit = L"us"; break;
  }
  wchar_t buffer[64];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%.3f %ls", GetElapsed(), unit);
  return buffer;
}
