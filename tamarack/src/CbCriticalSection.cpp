#include <tamarack/CbCriticalSection.h>

CbCriticalSection::CbCriticalSection() = default;
CbCriticalSection::~CbCriticalSection() = default;

void CbCriticalSection::Enter() { m_mutex.lock(); }
bool CbCriticalSection::TryEnter() { return m_mutex.try_lock(); }
void CbCriticalSection::Leave() { m_mutex.unlock(); }
