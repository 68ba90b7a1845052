// CBeanFactoryImpl: the factory behind every container. It owns the definition store,
// the service registry, the type manager, one wrapper per class and a slot per bean
// requested so far (SBeanSlot: its configuration, what its resolution worked out once,
// its singleton), and resolves beans on request (GetBeanWrapper), which never throws:
// failures are logged at Warn level and answered with an empty result.
//
// Locking. A cached singleton is served with no lock: the slot table is read inside a
// reader-flag section, which only the writers of the table exclude. Every other request
// passes the factory's gate, which Reset and Integrate hold alone, so emptying and
// loading never meet a creation under way. The factory's recursive lock guards the
// tables (store, wrappers, slots, services, types) and is held for look-ups and for
// the first request of a definition (building its configuration, running wrapper
// makers, working out its resolution), never while a wrapper creates a bean, sets its
// properties or runs its init method: different beans are created in parallel. A
// singleton is created by the first thread that asks for it; others asking meanwhile
// wait on the singleton mutex until it is made or has failed, and a wait that would
// close a cycle between threads fails like a cycle on one thread. Cycle detection and
// the guard against reloading from client code are per thread. Order: gate, then lock,
// then singleton mutex; client code never runs under the singleton mutex.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <ostrel/IBeanFactory.h>

#include "beans/CBeanConfig.h"
#include "beans/SValueCopy.h"
#include "support/CSharedGate.h"
#include "support/CbMap.h"

namespace Ostrel {

class CBeanProperty;
class CDefinitionSet;
class CResolutionScope;
struct SArgumentBuffers;
struct SBeanSlot;
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
  // How a load goes in. A strict one keeps what it needs to put the factory back as it
  // was until EndStrictLoad, and from then on a service look-up of a type id that no one
  // registered is a Warn record (once per id) instead of a Debug record.
  enum class ELoad { eDefault, eStrict };
  // Replaces the whole configuration by `loaded` (left empty): a new store and its
  // service registrations are built aside, without the lock, then swapped in under it in
  // one step, so a reader meets the old configuration or the new one, never an empty
  // factory. The old singletons, wrappers, services (those client code registered
  // too: logged at Info level) and store are then released as Reset releases them; by
  // a strict load only when it ends, kept.
  void Replace(CDefinitionSet& loaded, ELoad load = ELoad::eDefault);
  // Merges loaded definitions into the store and registers the interfaces they provide;
  // `loaded` is left empty. Throws "Overriding bean '<name>'" and changes nothing when
  // a name of `loaded` is defined already.
  void Integrate(CDefinitionSet& loaded, ELoad load = ELoad::eDefault);
  // Ends a strict load (none under way: does nothing). Kept, the configuration a reset
  // replaced is released now. Not kept, the factory goes back to what it was before the
  // load: a reset's old configuration is swapped back in, its singletons untouched; an
  // integration's definitions and service registrations are taken out, and the
  // singletons made of them released (exit methods run). Singletons of older
  // definitions made meanwhile stay, as a request would have made them.
  void EndStrictLoad(bool keep);
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
  // What a strict load keeps until it ends; see EndStrictLoad.
  struct SPendingLoad;
  // Swaps the configuration held in `other` with the factory's, in one step under the
  // gate and the lock; returns how many registrations of the outgoing one client code made.
  std::uint32_t SwapConfiguration(SPendingLoad& other);
  // Releases the configuration that `former` holds, as Reset releases one.
  void ReleaseConfiguration(SPendingLoad& former, std::uint32_t clientServices);
  // Takes out what a strict integration added.
  void TakeBack(SPendingLoad& pending);
  // Records a look-up of `typeId` that found no registration; called under the lock.
  void NoteUnregistered(const char* typeId);
  enum class EClaim { eMine, eMade, eRefused };

  // A slot found without the gate, valid while no reset came in between.
  struct SSlotHint {
    SBeanSlot* slot = nullptr;
    unsigned resets = 0;
  };
  // The singleton `name` when it is made and `requester` may have it, read without the
  // gate or the lock; false when the caller must resolve (with the slot found, if any).
  bool FindSingletonUnlocked(const char* name, const SLibrary* requester,
                             CbSmartPointer<IReferenceCounted>* instance, BeanResult* result,
                             SSlotHint& hint);
  // A request past the singleton fast path: passes the gate (unless this thread is in
  // the factory already) and catches what resolution throws.
  CbSmartPointer<IReferenceCounted> Request(const char* name, const SLibrary* requester,
                                            BeanResult* result, const SSlotHint& hint);
  CbSmartPointer<IReferenceCounted> Resolve(const char* name, const SLibrary* requester,
                                            BeanResult* result, const SSlotHint& hint);
  // The steps of Resolve, in order.
  SBeanSlot* FindSlot(const char* name, const SSlotHint& hint);
  bool MayHave(const SBeanSlot& slot, const SLibrary* requester, const char* name);
  EClaim ClaimSingleton(SBeanSlot& slot, const char* name);
  DependencyList ResolveDependencies(const SBeanDefinition& definition, const SLibrary* requester);
  bool Prepare(SBeanSlot& slot, const char* name);
  CbSmartPointer<IReferenceCounted> Build(SBeanSlot& slot, const DependencyList& dependencies,
                                          CResolutionScope& scope);
  CbSmartPointer<IReferenceCounted> CreateInstance(SBeanSlot& slot,
                                                   const DependencyList& dependencies);
  bool SetProperties(SBeanSlot& slot, IReferenceCounted* instance, CResolutionScope& scope);
  bool CallInitMethod(SBeanSlot& slot, IReferenceCounted* instance);
  // Ends a singleton's creation: keeps `instance` when it is set, and wakes the waiters.
  void EndSingleton(SBeanSlot& slot, const CbSmartPointer<IReferenceCounted>& instance);
  CbSmartPointer<IReferenceCounted> Served(const SBeanSlot& slot, BeanResult* result);

  std::shared_ptr<const IBeanWrapper>* GetWrapperEntry(const CBeanConfig& config);
  // Works out the wrappers of `slot`; false (logged) when a class has none.
  bool PrepareWrappers(SBeanSlot& slot, const char* name);
  // Works out what `argument` is (converting a literal once); under the lock.
  void BindArgument(const SArgument& argument);
  // Calls a property's setter; when the call fails, `unresolved` is set to its first bean
  // or service reference that resolved to nothing, if any.
  bool SetProperty(const CBeanProperty& property, const void* entry, IReferenceCounted* instance,
                   const IBeanWrapper& wrapper, const SLibrary* library,
                   const SArgument*& unresolved);
  // Resolves `arguments` in order into `buffers`; the addresses stay valid while the
  // buffers are leased.
  void ResolveArguments(const ArgumentList& arguments, const SLibrary* library,
                        SArgumentBuffers& buffers);
  void* ResolveArgument(const SArgument& argument, const SLibrary* library,
                        SArgumentBuffers& buffers, SValueCopy& value);
  void ClearCaches();
  // Registers the interfaces that beans of `loaded` provide, into `services`; adds the
  // registrations to `made` when given.
  void RegisterProvided(CServiceRegistry& services, const CDefinitionSet& loaded,
                        std::vector<std::shared_ptr<ITypeRegistration>>* made = nullptr);
  using SlotTable = CbMap<std::string, std::unique_ptr<SBeanSlot>>;
  using MadeTable = CbMap<std::string, SBeanSlot*>;
  using WrapperCache = CbMap<std::string, std::shared_ptr<const IBeanWrapper>>;
  // Empties the tables in their order, one entry at a time: the singletons, each before
  // the wrapper of its class, then the slots, then the wrappers.
  static void ReleaseCaches(MadeTable& made, SlotTable& slots, WrapperCache& wrappers);

  mutable std::recursive_mutex m_lock;
  CSharedGate m_gate;
  std::unique_ptr<CDefinitionStore> m_store;
  std::unique_ptr<CServiceRegistry> m_services;
  std::unique_ptr<CTypeManager> m_types;
  WrapperCache m_wrappers{128};
  // Changed under m_lock inside a write section of m_readers; read without m_lock
  // inside a read section. Slots stay in place until the factory is emptied.
  SlotTable m_slots{128};
  std::unique_ptr<CReaderFlags> m_readers;
  // Counts the times the slot table was emptied, replaced or had slots taken out (a
  // failed strict load); changed inside its write sections while the gate is held alone.
  std::atomic<unsigned> m_resets{0};
  // Singletons' creation: the made ones (released in this table's order), and what
  // each waiting thread waits for (to find cycles between threads).
  mutable std::mutex m_singletonMutex;
  std::condition_variable m_singletonEnded;
  MadeTable m_made{128};
  std::unordered_map<std::thread::id, const SBeanSlot*> m_waiting;
  // Service registrations that the configuration made, as against client code.
  std::uint32_t m_configuredServices = 0;
  // Non-lazy beans still to be resolved by a start-up pass, in reading order.
  std::vector<std::string> m_eager;
  // Set by strict loads: unregistered service type ids are warned of, each once.
  bool m_strict = false;
  std::unordered_set<std::string> m_unregisteredWarned;
  // The strict load under way, if any; loads of a factory never overlap.
  std::unique_ptr<SPendingLoad> m_pending;
  // Whether resolution writes Debug records: asked when the factory is made and at each
  // load, not for every bean, which would cost a call into the back end each time.
  std::atomic<bool> m_trace{false};
};

}  // namespace Ostrel
