#include "beans/CServiceConfig.h"

#include <ostrel/Logger.h>

#include "support/CbMap.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");

// Releasers of live instances, by address, and the lock that guards them.
struct SReleasers {
  std::mutex mutex;
  CbMap<const IReferenceCounted*, ServiceReleaser> table{128};
};

SReleasers& Releasers() {
  // Never destroyed: instances may be released by static destructors at exit.
  static SReleasers* releasers = new SReleasers;
  return *releasers;
}

[[maybe_unused]] SReleasers& s_releasers = Releasers();

// Runs instead of deletion when the last reference to an instance with a releaser goes.
// Never throws: it runs inside a release.
void ReleaseHook(IReferenceCounted* instance) {
  ServiceReleaser releaser;
  {
    SReleasers& r = Releasers();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (auto* entry = r.table.Lookup(static_cast<const IReferenceCounted*>(instance))) {
      releaser = std::move(entry->value);
      r.table.Remove(static_cast<const IReferenceCounted*>(instance));
    }
  }
  if (!releaser) {
    s_logger.Warn(__FILE__, __LINE__, "Ostrel::CServiceConfig::ReleaseHook",
                  L"No releaser recorded for a service instance; deleting it");
    delete instance;
    return;
  }
  // Called outside the lock, so a releaser may release other such instances.
  try {
    releaser(instance);
  } catch (...) {
    s_logger.Warn(__FILE__, __LINE__, "Ostrel::CServiceConfig::ReleaseHook",
                  L"The releaser of a service instance threw an exception");
  }
}

}  // namespace

CServiceConfig::CServiceConfig(ServiceCreator creator) : m_creator(std::move(creator)) {}

CServiceConfig::CServiceConfig(const CbSmartPointer<IReferenceCounted>& instance)
    : m_instance(instance) {}

CServiceConfig::~CServiceConfig() = default;

ITypeRegistration& CServiceConfig::SetSingleton() {
  m_singleton = true;
  return *this;
}

bool CServiceConfig::IsSingleton() const {
  return m_singleton;
}

ITypeRegistration& CServiceConfig::SetReleaser(const ServiceReleaser& releaser) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  m_releaser = releaser;
  return *this;
}

ServiceReleaser CServiceConfig::GetReleaser() const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_releaser;
}

bool CServiceConfig::Holds(const IReferenceCounted* instance) const {
  std::lock_guard<std::mutex> lock(m_instanceMutex);
  return m_instance.Get() == instance;
}

CbSmartPointer<IReferenceCounted> CServiceConfig::GetInstance() {
  // Held across the creator, so that two first requests of a singleton make one
  // instance. The creator may take its factory's lock, so nothing may take m_mutex
  // while holding a factory's lock. m_instance changes only under m_mutex, so reading
  // it here needs no more.
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (m_instance) {
    return m_instance;
  }
  if (!m_creator) {
    OSTREL_THROW("Ostrel::CServiceConfig::GetInstance", "No constructor for service type registered");
  }
  CbSmartPointer<IReferenceCounted> result = m_creator();
  if (result && m_releaser) {
    SReleasers& r = Releasers();
    std::lock_guard<std::mutex> releasersLock(r.mutex);
    r.table.GetOrInsert(static_cast<const IReferenceCounted*>(result.Get()))->value = m_releaser;
    result->GetReferenceCounter()->deleter = &ReleaseHook;
  }
  if (m_singleton && result != m_instance) {
    std::lock_guard<std::mutex> instanceLock(m_instanceMutex);
    m_instance = result;
  }
  return result;
}

std::size_t CServiceConfig::GetPendingReleaserCount() {
  SReleasers& r = Releasers();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.table.GetCount();
}

}  // namespace Ostrel
