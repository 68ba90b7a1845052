// CBeanFactoryImpl: the factory behind every container. It owns the definition store,
// the service registry, the type manager, one wrapper per class and the created
// singletons, and resolves beans on request (GetBeanWrapper), which never throws:
// failures are logged at Warn level and answered with an empty result. A cached
// singleton is served without the factory's lock; everything else takes the factory's
// recursive lock, so any operation may be called from any thread, and wrappers may call
// back into the factory from the resolving thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <ostrel/IBeanFactory.h>

#include "beans/CBeanConfig.h"
#include "support/CbMap.h"

namespace Ostrel {

class CBeanProperty;
class CDefinitionSet;
class CDefinitionStore;
class CReaderFlags;
class CServiceRegistry;
class CTypeManager;

class CBeanFactoryImpl final : public IBeanFactory {
public:
  CBeanFactoryImpl();
  ~CBeanFactoryImpl() override;
  CBeanFactoryImpl(const CBeanFactoryImpl&) = delete;
  CBeanFactoryImpl& operator=(const CBeanFactoryImpl&) = delete;

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
  // before the wrapper of its class, then the services, then the configuration; every
  // reference to the factory stays valid.
  void Reset();
  // Replaces the whole configuration by `loaded` (left empty): a new store and its
  // service registrations are built aside, without the lock, then swapped in under it in
  // one step, so a reader meets the old configuration or the new one, never an empty
  // factory. The old singletons, wrappers, services (those client code registered
  // too: logged at Info level) and store are then released as Reset releases them.
  void Replace(CDefinitionSet& loaded);
  // Merges loaded definitions into the store and registers the interfaces they provide;
  // `loaded` is left empty. Throws "Overriding bean '<name>'" and changes nothing when
  // a name of `loaded` is defined already.
  void Integrate(CDefinitionSet& loaded);
  // Resolves the non-lazy beans in reading order: those merged since the last pass,
  // and every earlier one that is not a cached singleton. Results are dropped; returns
  // the names of those that could not be made.
  std::vector<std::string> CreateEagerBeans();
  // The shared wrapper of the definition's class (cached, also when empty).
  std::shared_ptr<const IBeanWrapper> GetWrapper(const CBeanConfig& config);
  // Bean resolution; never throws.
  BeanResult GetBeanWrapper(const char* name, const SLibrary* requester);

  // For diagnostics and tests.
  std::uint32_t GetSingletonCount() const;
  std::uint32_t GetWrapperCount() const;
  CDefinitionStore& GetStore() const { return *m_store; }
  // The definition records the factory holds; read under the factory's lock.
  const CDefinitionSet& GetDefinitions() const;
  std::recursive_mutex& GetLock() const { return m_lock; }

private:
  // A cached singleton and the configuration whose export rule applies to it.
  struct SSingleton {
    BeanResult result;
    const CBeanConfig* config = nullptr;
  };
  // Argument addresses of one wrapper call and the references they point to, kept for
  // reuse. Resolution nests (a reference resolves another bean), so there is one pair
  // per nesting depth.
  struct SArgumentBuffers {
    std::vector<CbSmartPointer<IReferenceCounted>> references;
    ArgumentVector addresses;
  };
  class CArgumentLease;

  // The singleton `name` when it is cached and `requester` may have it, read without
  // the factory's lock; false when the caller must resolve under the lock.
  bool FindSingletonUnlocked(const char* name, const SLibrary* requester,
                             CbSmartPointer<IReferenceCounted>* instance, BeanResult* result);
  // Resolution under the lock; a cached singleton is served without entering the
  // re-entrancy guard, as no client code runs for that.
  CbSmartPointer<IReferenceCounted> ResolveLocked(const char* name, const SLibrary* requester,
                                                  BeanResult* result);
  CbSmartPointer<IReferenceCounted> Resolve(const char* name, const SLibrary* requester,
                                            const std::shared_ptr<const IBeanWrapper>** wrapper);
  std::shared_ptr<const IBeanWrapper>* GetWrapperEntry(const CBeanConfig& config);
  // Works out the wrappers of `config`; false (logged) when a class has none.
  bool PrepareResolution(CBeanConfig& config, const char* name);
  bool SetProperty(const CBeanProperty& property, IReferenceCounted* instance,
                   const IBeanWrapper& wrapper, const SLibrary* library);
  // Resolves `arguments` in order into `buffers`; the addresses stay valid while the
  // buffers are leased.
  void ResolveArguments(const std::vector<SArgument>& arguments, const SLibrary* library,
                        SArgumentBuffers& buffers);
  void* ResolveArgument(const SArgument& argument, const SLibrary* library,
                        SArgumentBuffers& buffers);
  void ClearCaches();
  // Registers the interfaces that beans of `loaded` provide, into `services`.
  void RegisterProvided(CServiceRegistry& services, const CDefinitionSet& loaded);
  using SingletonCache = CbMap<std::string, SSingleton>;
  using WrapperCache = CbMap<std::string, std::shared_ptr<const IBeanWrapper>>;
  // Empties the caches in their order, one entry at a time, each singleton before the
  // wrapper of its class.
  static void ReleaseCaches(SingletonCache& singletons, WrapperCache& wrappers);

  mutable std::recursive_mutex m_lock;
  std::unique_ptr<CDefinitionStore> m_store;
  std::unique_ptr<CServiceRegistry> m_services;
  std::unique_ptr<CTypeManager> m_types;
  WrapperCache m_wrappers{128};
  // Changed under m_lock inside a write section of m_readers; read by GetBean without
  // m_lock inside a read section.
  SingletonCache m_singletons{128};
  std::unique_ptr<CReaderFlags> m_readers;
  // Service registrations that the configuration made, as against client code.
  std::uint32_t m_configuredServices = 0;
  // Non-lazy beans still to be resolved by a start-up pass, in reading order.
  std::vector<std::string> m_eager;
  // Counts resets: configurations remember the generation they were worked out in.
  unsigned m_generation = 1;
  // Whether resolution writes Debug records: asked when the factory is made and at each
  // load, not for every bean, which would cost a call into the back end each time.
  bool m_trace = false;
  std::vector<std::unique_ptr<SArgumentBuffers>> m_argumentBuffers;
  std::size_t m_argumentDepth = 0;
};

}  // namespace Ostrel
