// CArgumentLease: lends this thread's argument buffers of the current nesting depth for
// one wrapper call. Resolution nests (a reference resolves another bean), so a thread
// keeps one set of buffers per depth and reuses them: the vectors and the string copies
// keep their storage. The references are released when the lease ends, as they would
// be with buffers of its own.
#pragma once

#include <vector>

#include <ostrel/BeanTypes.h>

#include "beans/SValueCopy.h"

namespace Ostrel {

struct SArgumentBuffers {
  std::vector<CbSmartPointer<IReferenceCounted>> references;
  std::vector<SValueCopy> values;  // one per argument; only literals use theirs
  ArgumentVector addresses;
};

class CArgumentLease {
public:
  CArgumentLease();
  ~CArgumentLease();
  CArgumentLease(const CArgumentLease&) = delete;
  CArgumentLease& operator=(const CArgumentLease&) = delete;
  SArgumentBuffers& Buffers() const { return *m_buffers; }

private:
  SArgumentBuffers* m_buffers;
};

}  // namespace Ostrel
