/// @class CbCriticalSectionAuto
/// CbCriticalSectionAuto: enters a CbCriticalSection for the life of a scope.
/// A guard lives in one thread's scope; the critical section it enters is shared.
#pragma once

#include <tamarack/CbCriticalSection.h>
#include <tamarack/Export.h>

class TAMARACK_API CbCriticalSectionAuto {
public:
  /// Enters `section`; the section must outlive this object.
  explicit CbCriticalSectionAuto(CbCriticalSection& section);
  /// Leaves the section if it is still held.
  ~CbCriticalSectionAuto();
  CbCriticalSectionAuto(const CbCriticalSectionAuto&) = delete;
  CbCriticalSectionAuto& operator=(const CbCriticalSectionAuto&) = delete;

  /// Leaves early; later calls do nothing.
  void Leave();

private:
  CbCriticalSection& m_section;
  bool m_held;
};
