#include "CServiceRegistry.h"

#include <unordered_set>
#include <vector>

#include "beans/CServiceConfig.h"
#include "support/RecordFunctions.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

CServiceConfig* AsServiceConfig(const std::shared_ptr<ITypeRegistration>& registration) {
  return dynamic_cast<CServiceConfig*>(registration.get());
}

}  // namespace

CServiceRegistry::CServiceRegistry() = default;
CServiceRegistry::~CServiceRegistry() { Clear(); }

void CServiceRegistry::Clear() { m_services.RemoveAll(); }

std::uint32_t CServiceRegistry::GetRegistrationCount() const {
  std::uint32_t count = 0;
  for (const auto& entry : m_services) count += entry.value.GetCount();
  return count;
}

std::shared_ptr<ITypeRegistration> CServiceRegistry::RegisterInstance(
    const char* typeId, bool atFront, CbSmartPointer<IReferenceCounted> instance,
    std::shared_ptr<ITypeRegistration> registration) {
  const std::string id = typeId != nullptr ? typeId : "";
  RegistrationList& list = m_services.GetOrInsert(id)->value;
  if (registration == nullptr) {
    for (const auto& existing : list) {
      CServiceConfig* config = AsServiceConfig(existing);
      if (config != nullptr && config->Holds(instance.Get())) {
        OSTREL_THROW(RecordFunction::kRegisterInstance,
                     "Service instance is already registered for interface '" + id + "'");
      }
    }
    registration = std::make_shared<CServiceConfig>(instance);
  }
  if (atFront) {
    list.AddHead(registration);
  } else {
    list.AddTail(registration);
  }
  return registration;
}

std::shared_ptr<ITypeRegistration> CServiceRegistry::RegisterFactory(
    const char* typeId, bool atFront, ServiceCreator creator,
    std::shared_ptr<ITypeRegistration> registration) {
  const std::string id = typeId != nullptr ? typeId : "";
  RegistrationList& list = m_services.GetOrInsert(id)->value;
  if (registration == nullptr) {
    registration = std::make_shared<CServiceConfig>(std::move(creator));
  }
  if (atFront) {
    list.AddHead(registration);
  } else {
    list.AddTail(registration);
  }
  return registration;
}

void CServiceRegistry::ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) {
  bool removed = false;
  std::vector<std::string> emptied;
  if (!instance) {
    OSTREL_THROW(RecordFunction::kReleaseInstance, "Service instance was not registered");
  }
  for (auto& entry : m_services) {
    RegistrationList& list = entry.value;
    // One registration may stand in a list more than once (passed back in explicitly).
    for (auto* node = list.GetHead(); node != nullptr;) {
      auto* next = node->next;
      CServiceConfig* config = AsServiceConfig(node->value);
      if (config != nullptr && config->Holds(instance.Get())) {
        list.Remove(node);
        removed = true;
      }
      node = next;
    }
    if (list.IsEmpty()) emptied.push_back(entry.key);
  }
  for (const std::string& id : emptied) {
    m_services.Remove(id);
  }
  if (!removed) {
    OSTREL_THROW(RecordFunction::kReleaseInstance, "Service instance was not registered");
  }
}

void CServiceRegistry::Remove(const std::vector<std::shared_ptr<ITypeRegistration>>& registrations) {
  if (registrations.empty()) return;
  const std::unordered_set<const ITypeRegistration*> removed = [&] {
    std::unordered_set<const ITypeRegistration*> set;
    for (const auto& registration : registrations) set.insert(registration.get());
    return set;
  }();
  std::vector<std::string> emptied;
  for (auto& entry : m_services) {
    RegistrationList& list = entry.value;
    for (auto* node = list.GetHead(); node != nullptr;) {
      auto* next = node->next;
      if (removed.count(node->value.get()) != 0) list.Remove(node);
      node = next;
    }
    if (list.IsEmpty()) emptied.push_back(entry.key);
  }
  for (const std::string& id : emptied) m_services.Remove(id);
}

std::shared_ptr<ITypeRegistration> CServiceRegistry::Find(const char* typeId,
                                                         std::uint32_t index) const {
  if (typeId == nullptr) {
    return nullptr;
  }
  auto* entry = m_services.Lookup(typeId);
  if (entry == nullptr) {
    return nullptr;
  }
  auto* node = entry->value.GetAt(index);
  return node != nullptr ? node->value : nullptr;
}

CbSmartPointer<IReferenceCounted> CServiceRegistry::InstanceOf(
    const std::shared_ptr<ITypeRegistration>& registration) {
  CServiceConfig* config = AsServiceConfig(registration);
  return config != nullptr ? config->GetInstance() : nullptr;
}

std::uint32_t CServiceRegistry::GetServiceCount(const char* typeId) const {
  if (typeId == nullptr) {
    return 0;
  }
  auto* entry = m_services.Lookup(typeId);
  return entry != nullptr ? entry->value.GetCount() : 0;
}

}  // namespace Ostrel
