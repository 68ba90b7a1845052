// CBeanFactoryImpl: the factory behind every container. It owns the configuration store,
// the type manager, one wrapper per class and the created singletons, and resolves
// beans on request (GetBeanWrapper), which never throws: failures are logged at Warn
// level and answered with an empty result. Every operation takes the factory's
// recursive lock, so any of them may be called from any thread, and wrappers may call
// back into the factory from the resolving thread.
#pragma once

#include <memory>
#include <string>

#include <ostrel/IBeanFactory.h>
#include <tamarack/CbCriticalSection.h>

#include "CBeanConfig.h"
#include "CTypeManager.h"
#include "CXMLResource.h"
#include "support/CbMap.h"

namespace Ostrel {

class CBeanProperty;

class CBeanFactoryImpl final : public IBeanFactory {
public:
  CBeanFactoryImpl();
  // An empty factory whose store refers to `owner` (used by Reset).
  explicit CBeanFactoryImpl(CBeanFactoryImpl& owner);
  ~CBeanFactoryImpl() override;
  CBeanFactoryImpl(const CBeanFactoryImpl&) = delete;
  CBeanFactoryImpl& operator=(const CBeanFactoryImpl&) = delete;
  // Takes over the tables of `other` into this empty factory; throws CException
  // "Internal error" when this factory is not empty.
  CBeanFactoryImpl& operator=(CBeanFactoryImpl&& other);

  bool Exists(const char* name) override;
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId, std::uint32_t index) override;
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId) override;
  CbSmartPointer<IReferenceCounted> GetBean(const char* name, const SLibrary* requester) override;
  std::shared_ptr<ITypeRegistration> RegisterFactory(const char* typeId, bool atFront,
                                                     const ServiceCreator& creator,
                                                     std::shared_ptr<ITypeRegistration> registration) override;
  std::shared_ptr<ITypeRegistration> RegisterInstance(const char* typeId, bool atFront,
                                                      CbSmartPointer<IReferenceCounted> instance,
                                                      std::shared_ptr<ITypeRegistration> registration) override;
  void ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) override;
  std::uint32_t GetServiceCount(const char* typeId) override;

  // Empties the factory in place: singletons are released in the cache's order, each
  // before the wrapper of its class; every reference to the factory stays valid.
  void Reset();
  // Merges a loaded configuration into the store.
  void Integrate(CXMLResource& loaded);
  // Resolves every non-lazy bean of the store, in reading order; results are dropped.
  void CreateEagerBeans();
  // The shared wrapper of the definition's class (cached, also when empty).
  std::shared_ptr<const IBeanWrapper> GetWrapper(const CBeanConfig& config);
  // Bean resolution; never throws.
  BeanResult GetBeanWrapper(const char* name, const SLibrary* requester);

  // For diagnostics and tests.
  std::uint32_t GetSingletonCount() const;
  std::uint32_t GetWrapperCount() const;
  CXMLResource* GetStore() const { return m_store.get(); }
  CbCriticalSection& GetLock() const { return m_lock; }

private:
  BeanResult Resolve(const char* name, const SLibrary* requester);
  bool SetProperty(const CBeanProperty& property, IReferenceCounted* instance,
                   const IBeanWrapper& wrapper, const SLibrary* library);
  std::shared_ptr<IValuePointer> ResolveArgument(const SArgument& argument, const SLibrary* library);
  void ClearCaches();

  mutable CbCriticalSection m_lock;
  std::unique_ptr<CXMLResource> m_store;
  std::unique_ptr<CTypeManager> m_types;
  CbMap<std::string, std::shared_ptr<const IBeanWrapper>> m_wrappers{128};
  CbMap<std::string, BeanResult> m_singletons{128};
};

}  // namespace Ostrel
