#include <tamarack/CbCriticalSectionAuto.h>

CbCriticalSectionAuto::CbCriticalSectionAuto(CbCriticalSection& section)
    : m_section(section), m_held(true) {
  m_section.Enter();
}

CbCriticalSectionAuto::~CbCriticalSectionAuto() { Leave(); }

void CbCriticalSectionAuto::Leave() {
  if (m_held) {
    m_held = false;
    m_section.Leave();
  }
}
