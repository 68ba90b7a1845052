// CBeanPointer: a reference to another bean, requested from a factory by name when the
// pointer is made. Its address is that of a CbSmartPointer<IReferenceCounted>, or null
// when the bean could not be had.
#pragma once

#include <ostrel/IBeanFactory.h>

#include "IValuePointer.h"

namespace Ostrel {

class CBeanPointer final : public IValuePointer {
public:
  CBeanPointer(IBeanFactory& factory, const wchar_t* name, const SLibrary* requester);
  void* GetValue() override { return m_instance ? &m_instance : nullptr; }

private:
  CbSmartPointer<IReferenceCounted> m_instance;
};

}  // namespace Ostrel
