// CServiceConfig: one service registration: a fixed instance, or a creator that makes
// instances on request (kept after the first one when the registration is a
// singleton). Instances made while a releaser is set are handed to it instead of being
// deleted. Thread-safe: a singleton's creator runs once even when two threads ask first.
#pragma once

#include <atomic>
#include <mutex>

#include <ostrel/ITypeRegistration.h>

namespace Ostrel {

class CServiceConfig final : public ITypeRegistration {
public:
  explicit CServiceConfig(ServiceCreator creator);
  explicit CServiceConfig(const CbSmartPointer<IReferenceCounted>& instance);
  ~CServiceConfig() override;

  ITypeRegistration& SetSingleton() override;
  bool IsSingleton() const override;
  ITypeRegistration& SetReleaser(const ServiceReleaser& releaser) override;
  ServiceReleaser GetReleaser() const override;

  // The held instance, or a new one from the creator. Throws CException "No
  // constructor for service type registered" when there is neither; passes the
  // creator's exceptions on.
  CbSmartPointer<IReferenceCounted> GetInstance();

  // True when the registration holds exactly this instance.
  bool Holds(const IReferenceCounted* instance) const;

  // Releasers waiting for their instances' last release (for diagnostics and tests).
  static std::size_t GetPendingReleaserCount();

private:
  CbSmartPointer<IReferenceCounted> m_instance;
  ServiceCreator m_creator;
  // Atomic rather than under m_mutex: a factory marks its new registrations while it
  // holds its own lock, and a creator run under m_mutex takes that lock, so marking
  // must not take m_mutex.
  std::atomic<bool> m_singleton{false};
  ServiceReleaser m_releaser;
  // Serialises creation; held across the creator, which may take its factory's lock.
  mutable std::recursive_mutex m_mutex;
  // Guards m_instance for readers that must not wait for a creator (Holds, asked under a
  // factory's lock); taken last and never held across a call out.
  mutable std::mutex m_instanceMutex;
};

}  // namespace Ostrel
