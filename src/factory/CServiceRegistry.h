// CServiceRegistry: the registrations of a factory by interface type id, each list in
// answering order. No lock of its own: the owning factory serialises access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <ostrel/IBeanFactory.h>

#include "support/CbList.h"
#include "support/CbMap.h"

namespace Ostrel {

class CServiceRegistry {
public:
  CServiceRegistry();
  ~CServiceRegistry();
  CServiceRegistry(const CServiceRegistry&) = delete;
  CServiceRegistry& operator=(const CServiceRegistry&) = delete;

  std::shared_ptr<ITypeRegistration> RegisterInstance(const char* typeId, bool atFront,
                                                      CbSmartPointer<IReferenceCounted> instance,
                                                      std::shared_ptr<ITypeRegistration> registration);
  std::shared_ptr<ITypeRegistration> RegisterFactory(const char* typeId, bool atFront,
                                                     ServiceCreator creator,
                                                     std::shared_ptr<ITypeRegistration> registration);
  void ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance);
  // Takes `registrations` out of every list they stand in.
  void Remove(const std::vector<std::shared_ptr<ITypeRegistration>>& registrations);
  // The index-th registration of `typeId`; empty when there is none.
  std::shared_ptr<ITypeRegistration> Find(const char* typeId, std::uint32_t index) const;
  // The instance of a registration, made by its creator if need be; empty for none.
  // Needs no lock of the owner: a registration guards itself.
  static CbSmartPointer<IReferenceCounted> InstanceOf(
      const std::shared_ptr<ITypeRegistration>& registration);
  std::uint32_t GetServiceCount(const char* typeId) const;
  // Registrations of all type ids together.
  std::uint32_t GetRegistrationCount() const;
  // Drops every registration, one list at a time.
  void Clear();

private:
  using RegistrationList = CbList<std::shared_ptr<ITypeRegistration>>;
  CbMap<std::string, RegistrationList> m_services{128};
};

}  // namespace Ostrel
