// CbCriticalSectionPolicy<flag>: with flag 1 a class holds a lock that Guard() enters
// for a scope; with flag 0 the policy is empty and Guard() does nothing.
#pragma once

#include <tamarack/CbCriticalSection.h>
#include <tamarack/CbCriticalSectionAuto.h>

template <int ThreadSafe>
class CbCriticalSectionPolicy;

template <>
class CbCriticalSectionPolicy<0> {
protected:
  struct SGuard {
    void Leave() {}
  };
  SGuard Guard() const { return SGuard{}; }
};

template <>
class CbCriticalSectionPolicy<1> {
protected:
  using SGuard = CbCriticalSectionAuto;
  CbCriticalSection& Section() const { return m_section; }

private:
  mutable CbCriticalSection m_section;
};
