// CServicePointer: a reference to the first service registered for an interface. The
// interface's class name is turned into its type id through the local library, which
// throws for an interface without type id.
#pragma once

#include <ostrel/IBeanFactory.h>

#include "IValuePointer.h"

namespace Ostrel {

class CServicePointer final : public IValuePointer {
public:
  CServicePointer(IBeanFactory& factory, const wchar_t* interfaceName);
  void* GetValue() override { return m_instance ? &m_instance : nullptr; }

private:
  CbSmartPointer<IReferenceCounted> m_instance;
};

}  // namespace Ostrel
