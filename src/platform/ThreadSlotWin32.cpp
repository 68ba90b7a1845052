#include "platform/ThreadSlot.h"

#include <windows.h>

namespace Platform {

CThreadSlot::CThreadSlot(void (*destroy)(void*))
    : m_index(FlsAlloc(reinterpret_cast<PFLS_CALLBACK_FUNCTION>(destroy))) {}

void* CThreadSlot::Get() const {
  return m_index == FLS_OUT_OF_INDEXES ? nullptr : FlsGetValue(m_index);
}

bool CThreadSlot::Set(void* value) const {
  return m_index != FLS_OUT_OF_INDEXES && FlsSetValue(m_index, value);
}

}  // namespace Platform
