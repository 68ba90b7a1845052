// ObjectType: the type of "bean" and "service" arguments. Makes a CBeanPointer or a
// CServicePointer; a reference that yields no instance gives an empty pointer, so the
// wrapper receives a null address.
#pragma once

#include "IType.h"

namespace Ostrel {

class CTypeManager;

class ObjectType final : public IType {
public:
  explicit ObjectType(CTypeManager* manager) : m_manager(manager) {}
  std::shared_ptr<IValuePointer> CreateValuePointer(IBeanFactory& factory, const char* type,
                                                    const wchar_t* value,
                                                    const SLibrary* library) override;

private:
  CTypeManager* m_manager;  // the owning manager; not used by the operations
};

}  // namespace Ostrel
