#include "factory/CBeanFactoryImpl.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <ostrel/Logger.h>

#include "BeanStatistics.h"
#include "CActiveScope.h"
#include "CArgumentLease.h"
#include "CDefinitionStore.h"
#include "CResolutionScope.h"
#include "CServiceRegistry.h"
#include "SBeanSlot.h"
#include "beans/CBeanProperty.h"
#include "beans/CDefinitionSet.h"
#include "beans/CTypeManager.h"
#include "beans/DefaultFactoryReference.h"
#include "beans/SPlace.h"
#include "factory/DefaultFactory.h"
#include "libraries/CLocalLibrary.h"
#include "platform/TextConversion.h"
#include "support/CReaderFlags.h"
#include "support/RecordFunctions.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kResolve = "Ostrel::CBeanFactoryImpl::GetBeanWrapper";

using Lock = std::lock_guard<std::recursive_mutex>;

// A Warn record about up to two UTF-8 texts, widened only when the record is written,
// followed by the place of the element it is about when that is known.
void Warn(int line, SAbout about, const wchar_t* format, const char* first,
          const char* second = "", const std::string& cause = std::string()) {
  if (!s_logger.IsWarnEnabled()) return;
  s_logger.Warn(__FILE__, line, kResolve, format, Platform::Utf8ToWide(first).c_str(),
                Platform::Utf8ToWide(second).c_str());
  if (!cause.empty()) {
    s_logger.Warn(__FILE__, line, kResolve, Platform::Utf8ToWide("  cause: " + cause));
  }
  if (about.bean == nullptr || !about.bean->place.IsKnown()) return;
  SPlace place = about.bean->place;
  std::string property;
  if (about.property != nullptr) {
    place.line = about.property->line;
    place.column = about.property->column;
    property = about.property->name;
  }
  const std::string context = Internal::PlaceContext(about.bean->name, property);
  s_logger.Warn(__FILE__, line, kResolve,
                Platform::Utf8ToWide(Internal::PlaceRecord(place, context)));
}
void Warn(int line, SAbout about, const wchar_t* format, const std::string& first,
          const std::string& second = std::string(), const std::string& cause = std::string()) {
  Warn(line, about, format, first.c_str(), second.c_str(), cause);
}

// A Debug record tracing resolution, about up to two UTF-8 texts; callers check the
// factory's tracing flag first.
void Trace(int line, const wchar_t* format, const std::string& first,
           const std::string& second = std::string()) {
  s_logger.Debug(__FILE__, line, kResolve, format, Platform::Utf8ToWide(first).c_str(),
                 Platform::Utf8ToWide(second).c_str());
}

// The record after "Could not find type bean": the unknown type name and the place of
// the element that names it.
void ReportUnknownType(CException& exception, SAbout about, const std::string& type) {
  SPlace place;
  std::string context;
  if (about.bean != nullptr) {
    place = about.bean->place;
    if (about.property != nullptr) {
      place.line = about.property->line;
      place.column = about.property->column;
    }
    context = Internal::PlaceContext(about.bean->name,
                                     about.property != nullptr ? about.property->name : "");
  }
  context += (context.empty() ? "" : ", ") + ("type '" + type + "'");
  if (place.IsKnown()) {
    Internal::ReportPlace(exception, place, context);
  } else {
    s_logger.Error(__FILE__, __LINE__, kResolve, Platform::Utf8ToWide("  " + context));
  }
}

// What the exception being handled says of itself; empty for one that says nothing.
std::string CurrentCause() {
  try {
    throw;
  } catch (const IException& e) {
    return GetMessage(e);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return std::string();
  }
}

// Whether `requester` may have a bean of `config`: exported beans go to anybody, the
// others only to beans of the library that defines them (compared by path).
bool MayUse(const CBeanConfig& config, const SLibrary* requester) {
  if (config.GetDefinition().exported) return true;
  const SLibrary* declaring = config.GetLibrary();
  return requester != nullptr && declaring != nullptr && requester->path == declaring->path;
}

}  // namespace

// A configuration held aside (the one a reset brings, then the one it replaced), or
// where a strict integration began.
struct CBeanFactoryImpl::SPendingLoad {
  bool replacing = false;
  std::unique_ptr<CDefinitionStore> store;
  std::unique_ptr<CServiceRegistry> services;
  std::unique_ptr<CTypeManager> types;
  // Empty tables shaped as a new factory's, so that the order of a new configuration's
  // singletons is the one a freshly loaded factory has.
  MadeTable made{128};
  SlotTable slots{128};
  WrapperCache wrappers{128};
  std::vector<std::string> eager;
  std::uint32_t configured = 0;
  std::uint32_t clientServices = 0;
  // The factory's strictness before the load.
  bool strict = false;
  // An integration: where the definitions ended, the registrations it made, the classes
  // that had a wrapper.
  CDefinitionSet::SMark mark;
  std::vector<std::shared_ptr<ITypeRegistration>> registrations;
  std::unordered_set<std::string> wrapped;
};

CBeanFactoryImpl::CBeanFactoryImpl()
    : m_store(new CDefinitionStore),
      m_services(new CServiceRegistry),
      m_types(new CTypeManager),
      m_readers(new CReaderFlags),
      m_trace(s_logger.IsDebugEnabled()) {}

CBeanFactoryImpl::~CBeanFactoryImpl() {
  // A strict load cut short keeps the factory's configuration; the one aside goes first.
  if (m_pending != nullptr && m_pending->replacing) ReleaseConfiguration(*m_pending, 0);
  m_pending.reset();
  ClearCaches();
  m_services.reset();
  m_types.reset();
  m_store.reset();
}

void CBeanFactoryImpl::ClearCaches() {
  // Readers take the slow path until the tables are empty. One singleton at a time, so
  // that code run by a release may still use the factory (and find the singletons not
  // yet released); one it makes again meanwhile is released in turn.
  CReaderFlags::CWrite write(*m_readers);
  m_resets.fetch_add(1, std::memory_order_release);
  ReleaseCaches(m_made, m_slots, m_wrappers);
}

void CBeanFactoryImpl::ReleaseCaches(MadeTable& made, SlotTable& slots, WrapperCache& wrappers) {
  while (auto* first = made.GetFirst()) {
    SBeanSlot& slot = *first->value;
    std::string name = first->key;
    made.Remove(name);
    slot.ready.store(false, std::memory_order_relaxed);
    BeanResult result = std::move(slot.instance);
    result.second.Reset();  // the instance before the wrapper of its class
    result.first.reset();
  }
  while (auto* first = slots.GetFirst()) {
    std::unique_ptr<SBeanSlot> slot = std::move(first->value);
    std::string name = first->key;
    slots.Remove(name);
    Internal::ReleaseCounters(slot->counters);
  }
  while (auto* first = wrappers.GetFirst()) {
    std::shared_ptr<const IBeanWrapper> wrapper = std::move(first->value);
    std::string name = first->key;
    wrappers.Remove(name);
  }
}

void CBeanFactoryImpl::Reset() {
  CActiveScope::Refuse(this, RecordFunction::kFactoryReset);
  CSharedGate::CAlone alone(m_gate);
  Lock lock(m_lock);
  {
    CActiveScope active(this);
    ClearCaches();
    m_services->Clear();
  }
  m_eager.clear();
  m_configuredServices = 0;
  m_types.reset(new CTypeManager);
  m_store.reset();
  m_store.reset(new CDefinitionStore);
}

void CBeanFactoryImpl::Replace(CDefinitionSet& loaded, ELoad load) {
  CActiveScope::Refuse(this, RecordFunction::kFactoryReset);
  // Aside: nothing here is reachable from another thread yet.
  auto next = std::make_unique<SPendingLoad>();
  next->replacing = true;
  next->store = std::make_unique<CDefinitionStore>();
  next->services = std::make_unique<CServiceRegistry>();
  next->types = std::make_unique<CTypeManager>();
  RegisterProvided(*next->services, loaded);
  next->configured = next->services->GetRegistrationCount();
  next->eager = loaded.GetEagerNames();
  next->store->GetDefinitions().Append(loaded);
  const std::uint32_t clientServices = SwapConfiguration(*next);  // `next` holds the old one now
  if (load == ELoad::eStrict) {
    Lock lock(m_lock);
    next->clientServices = clientServices;
    next->strict = m_strict;
    m_strict = true;
    m_pending = std::move(next);
    return;
  }
  ReleaseConfiguration(*next, clientServices);
}

std::uint32_t CBeanFactoryImpl::SwapConfiguration(SPendingLoad& other) {
  // No creation is under way while the configuration changes hands.
  CSharedGate::CAlone alone(m_gate);
  Lock lock(m_lock);
  m_trace = s_logger.IsDebugEnabled();
  {
    // The swap: readers without the lock wait for it and then take the lock.
    CReaderFlags::CWrite write(*m_readers);
    m_resets.fetch_add(1, std::memory_order_release);
    std::lock_guard<std::mutex> singletons(m_singletonMutex);
    m_made.Swap(other.made);
    m_slots.Swap(other.slots);
    m_wrappers.Swap(other.wrappers);
  }
  const std::uint32_t held = m_services->GetRegistrationCount();
  const std::uint32_t clientServices = held > m_configuredServices ? held - m_configuredServices : 0;
  m_store.swap(other.store);
  m_services.swap(other.services);
  m_types.swap(other.types);
  m_eager.swap(other.eager);
  std::swap(m_configuredServices, other.configured);
  return clientServices;
}

void CBeanFactoryImpl::ReleaseConfiguration(SPendingLoad& former, std::uint32_t clientServices) {
  if (clientServices != 0) {
    s_logger.Info(__FILE__, __LINE__, RecordFunction::kFactoryReset,
                  L"Reset drops %s service registration(s) made by client code",
                  std::to_wstring(clientServices).c_str());
  }
  // It goes as Reset empties a configuration, now out of every reader's sight; code run
  // by a release meets the factory's configuration.
  Lock lock(m_lock);
  CActiveScope active(this);
  ReleaseCaches(former.made, former.slots, former.wrappers);
  former.services.reset();
  former.types.reset();
  former.store.reset();
}

void CBeanFactoryImpl::Integrate(CDefinitionSet& loaded, ELoad load) {
  CActiveScope::Refuse(this, "Ostrel::CBeanFactoryImpl::Integrate");
  CSharedGate::CAlone alone(m_gate);
  Lock lock(m_lock);
  m_trace = s_logger.IsDebugEnabled();
  CDefinitionSet& definitions = m_store->GetDefinitions();
  definitions.CheckMerge(loaded);
  std::unique_ptr<SPendingLoad> pending;
  if (load == ELoad::eStrict) {
    pending = std::make_unique<SPendingLoad>();
    pending->mark = definitions.Mark();
    pending->configured = m_configuredServices;
    pending->strict = m_strict;
    for (const auto& entry : m_wrappers) pending->wrapped.insert(entry.key);
  }
  const std::uint32_t before = m_services->GetRegistrationCount();
  RegisterProvided(*m_services, loaded, pending ? &pending->registrations : nullptr);
  m_configuredServices += m_services->GetRegistrationCount() - before;
  m_eager.insert(m_eager.end(), loaded.GetEagerNames().begin(), loaded.GetEagerNames().end());
  definitions.Append(loaded);
  if (pending) {
    m_strict = true;
    m_pending = std::move(pending);
  }
}

void CBeanFactoryImpl::EndStrictLoad(bool keep) {
  std::unique_ptr<SPendingLoad> pending;
  {
    Lock lock(m_lock);
    pending = std::move(m_pending);
    if (pending != nullptr && !keep) m_strict = pending->strict;
  }
  if (pending == nullptr) return;
  if (!pending->replacing) {
    if (!keep) TakeBack(*pending);
    return;
  }
  if (!keep) {
    // Client code's registrations in the configuration that failed go with it, silently.
    SwapConfiguration(*pending);
    pending->clientServices = 0;
  }
  ReleaseConfiguration(*pending, pending->clientServices);
}

void CBeanFactoryImpl::TakeBack(SPendingLoad& pending) {
  CSharedGate::CAlone alone(m_gate);
  Lock lock(m_lock);
  CActiveScope active(this);
  // Out of every table first, so that code run by a release (an exit method) finds
  // none of it; then released: singletons, slots, configurations, definitions, in
  // the order in which they refer to each other.
  std::vector<std::unique_ptr<SLibrary>> definitions;
  std::vector<std::unique_ptr<CBeanConfig>> configs = m_store->TakeBackTo(pending.mark, definitions);
  std::unordered_set<std::string> names;
  for (const auto& library : definitions) {
    for (const SBeanDefinition& bean : library->beans) names.insert(bean.name);
  }
  MadeTable made(16);
  SlotTable slots(16);
  {
    CReaderFlags::CWrite write(*m_readers);
    m_resets.fetch_add(1, std::memory_order_release);
    std::lock_guard<std::mutex> singletons(m_singletonMutex);
    for (const std::string& name : names) {
      if (auto* entry = m_made.Lookup(name)) {
        made.GetOrInsert(name)->value = entry->value;
        m_made.Remove(name);
      }
      if (auto* entry = m_slots.Lookup(name)) {
        slots.GetOrInsert(name)->value = std::move(entry->value);
        m_slots.Remove(name);
      }
    }
  }
  m_eager.erase(std::remove_if(m_eager.begin(), m_eager.end(),
                               [&names](const std::string& name) { return names.count(name) != 0; }),
                m_eager.end());
  m_services->Remove(pending.registrations);
  m_configuredServices = pending.configured;
  WrapperCache none(1);
  ReleaseCaches(made, slots, none);
  pending.registrations.clear();
  configs.clear();
  definitions.clear();
  // The wrappers first made for this load, unless a bean kept still uses one.
  std::vector<std::string> unused;
  for (const auto& entry : m_wrappers) {
    if (pending.wrapped.count(entry.key) == 0 && entry.value.use_count() <= 1) {
      unused.push_back(entry.key);
    }
  }
  for (const std::string& name : unused) m_wrappers.Remove(name);
}

void CBeanFactoryImpl::RegisterProvided(CServiceRegistry& services, const CDefinitionSet& loaded,
                                        std::vector<std::shared_ptr<ITypeRegistration>>* made) {
  // In library order, then reading order, each at the front of its interfaces' lists:
  // the last such bean answers first.
  for (const auto& library : loaded.GetLibraries()) {
    for (const SBeanDefinition& bean : library->beans) {
      if (bean.providedInterfaces.empty()) continue;
      std::shared_ptr<ITypeRegistration> registration;
      for (const std::string& typeId : bean.providedInterfaces) {
        registration = services.RegisterFactory(
            typeId.c_str(), true, [this, name = bean.name] { return GetBean(name.c_str(), nullptr); },
            registration);
      }
      if (registration != nullptr && bean.singleton) {
        registration->SetSingleton();
      }
      if (made != nullptr && registration != nullptr) made->push_back(registration);
    }
  }
}

const CDefinitionSet& CBeanFactoryImpl::GetDefinitions() const {
  return m_store->GetDefinitions();
}

std::vector<std::string> CBeanFactoryImpl::CreateEagerBeans() {
  CActiveScope active(this);
  std::vector<std::pair<std::string, const SLibrary*>> eager;
  {
    Lock lock(m_lock);
    for (const std::string& name : m_eager) {
      eager.emplace_back(name, m_store->GetDefinitions().FindOwner(name));
    }
  }
  // Without the lock: the pass runs client code, which may not load into this factory
  // but may resolve anything, from any thread.
  std::vector<std::string> failed;
  for (const auto& bean : eager) {
    if (!GetBeanWrapper(bean.first.c_str(), bean.second).second) failed.push_back(bean.first);
  }
  // A cached singleton needs no later pass.
  Lock lock(m_lock);
  CReaderFlags::CRead read(*m_readers);  // the slot table, also when its writer is this thread
  std::size_t kept = 0;
  for (std::size_t i = 0; i < m_eager.size(); ++i) {
    const auto* slot = m_slots.Lookup(m_eager[i]);
    if (slot == nullptr || !slot->value->ready.load(std::memory_order_acquire)) {
      if (kept != i) m_eager[kept] = std::move(m_eager[i]);
      ++kept;
    }
  }
  m_eager.resize(kept);
  return failed;
}

std::shared_ptr<const IBeanWrapper> CBeanFactoryImpl::GetWrapper(const CBeanConfig& config) {
  Lock lock(m_lock);
  return *GetWrapperEntry(config);
}

std::shared_ptr<const IBeanWrapper>* CBeanFactoryImpl::GetWrapperEntry(const CBeanConfig& config) {
  const std::string& className = config.GetDefinition().className;
  bool inserted = false;
  auto* entry = m_wrappers.GetOrInsert(className, &inserted);
  if (inserted) {
    try {
      entry->value = config.CreateWrapper();
    } catch (...) {
      m_wrappers.Remove(className);
      throw;
    }
  }
  return &entry->value;
}

bool CBeanFactoryImpl::FindSingletonUnlocked(const char* name, const SLibrary* requester,
                                             CbSmartPointer<IReferenceCounted>* instance,
                                             BeanResult* result, SSlotHint& hint) {
  CReaderFlags::CRead read(*m_readers);
  if (!read.Valid()) {
    return false;
  }
  const auto* entry = m_slots.Lookup(name);
  if (entry == nullptr) return false;
  // A refusal is left to Resolve, which reports it.
  if (!entry->value->ready.load(std::memory_order_acquire) ||
      !MayUse(entry->value->config, requester)) {
    hint = SSlotHint{entry->value.get(), m_resets.load(std::memory_order_relaxed)};
    return false;
  }
  if (result != nullptr) {
    *result = entry->value->instance;
  } else {
    *instance = entry->value->instance.second;
  }
  return true;
}

BeanResult CBeanFactoryImpl::GetBeanWrapper(const char* name, const SLibrary* requester) {
  const char* beanName = name != nullptr ? name : "";
  BeanResult result;
  SSlotHint hint;
  if (!FindSingletonUnlocked(beanName, requester, nullptr, &result, hint)) {
    Request(beanName, requester, &result, hint);
  }
  return result;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetBean(const char* name,
                                                            const SLibrary* requester) {
  const char* beanName = name != nullptr ? name : "";
  CbSmartPointer<IReferenceCounted> instance;
  SSlotHint hint;
  if (!FindSingletonUnlocked(beanName, requester, &instance, nullptr, hint)) {
    instance = Request(beanName, requester, nullptr, hint);
  }
  return instance;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::Request(const char* name,
                                                            const SLibrary* requester,
                                                            BeanResult* result,
                                                            const SSlotHint& hint) {
  // A thread inside the factory already passed the gate: passing again could wait for
  // a Reset that waits for this thread.
  CSharedGate::CPass pass(m_gate, !CActiveScope::IsActive(this));
  CActiveScope active(this);
  try {
    return Resolve(name, requester, result, hint);
  } catch (...) {
    const SBeanDefinition* definition = nullptr;
    {
      Lock lock(m_lock);
      definition = m_store->GetDefinitions().FindDefinition(name);
    }
    Warn(__LINE__, SAbout{definition}, L"Could not resolve bean '%s', unknown exception was thrown",
         name, "", CurrentCause());
    return nullptr;
  }
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::Resolve(const char* name,
                                                            const SLibrary* requester,
                                                            BeanResult* result,
                                                            const SSlotHint& hint) {
  SBeanSlot* slot = FindSlot(name, hint);
  if (slot == nullptr || !MayHave(*slot, requester, name)) return nullptr;
  if (slot->ready.load(std::memory_order_acquire)) return Served(*slot, result);
  const SBeanDefinition& definition = slot->definition;
  CResolutionScope scope(this, name, &definition);
  if (scope.TooDeep()) {
    Warn(__LINE__, SAbout{&definition},
         L"Could not resolve bean '%s': references nest deeper than %s levels", name,
         std::to_string(CResolutionScope::kMaxDepth));
    return nullptr;
  }
  if (scope.Cycle()) {
    // Placed at the reference that closes the cycle.
    Warn(__LINE__, CResolutionScope::Requester(this), L"Circular reference: %s",
         CResolutionScope::Chain(this, name));
    return nullptr;
  }
  if (definition.singleton) {
    const EClaim claim = ClaimSingleton(*slot, name);
    if (claim == EClaim::eMade) return Served(*slot, result);
    if (claim == EClaim::eRefused) return nullptr;
  }
  CbSmartPointer<IReferenceCounted> instance;
  try {
    const DependencyList dependencies = ResolveDependencies(definition, requester);
    if (slot->prepared.load(std::memory_order_acquire) || Prepare(*slot, name)) {
      instance = Build(*slot, dependencies, scope);
    }
  } catch (...) {
    if (definition.singleton) EndSingleton(*slot, nullptr);
    throw;
  }
  if (definition.singleton) EndSingleton(*slot, instance);
  if (!instance) return nullptr;
  Internal::RecordBean(*slot->counters, instance.Get());
  if (result != nullptr) *result = BeanResult(slot->own, instance);
  return instance;
}

SBeanSlot* CBeanFactoryImpl::FindSlot(const char* name, const SSlotHint& hint) {
  // Inside the gate, no reset comes between here and the end of the request.
  if (hint.slot != nullptr && hint.resets == m_resets.load(std::memory_order_acquire)) {
    return hint.slot;
  }
  {
    CReaderFlags::CRead read(*m_readers);
    if (read.Valid()) {
      if (const auto* entry = m_slots.Lookup(name)) return entry->value.get();
    }
  }
  Lock lock(m_lock);
  {
    CReaderFlags::CRead read(*m_readers);  // valid now unless this thread writes
    if (const auto* entry = m_slots.Lookup(name)) return entry->value.get();
  }
  CBeanConfig* config = m_store->FindBeanConfig(name);
  if (config == nullptr) {
    Warn(__LINE__, CResolutionScope::Requester(this), L"Bean '%s' requested, but not configured",
         name);
    return nullptr;
  }
  auto slot = std::make_unique<SBeanSlot>(*config);
  SBeanSlot* made = slot.get();
  CReaderFlags::CWrite write(*m_readers);
  m_slots.GetOrInsert(std::string_view(name))->value = std::move(slot);
  return made;
}

bool CBeanFactoryImpl::MayHave(const SBeanSlot& slot, const SLibrary* requester,
                               const char* name) {
  if (MayUse(slot.config, requester)) return true;
  const SLibrary* declaring = slot.config.GetLibrary();
  Warn(__LINE__, CResolutionScope::Requester(this),
       L"Bean '%s' shall be exported from library '%s', but not allowed", name,
       declaring != nullptr ? declaring->path.c_str() : "");
  return false;
}

CBeanFactoryImpl::EClaim CBeanFactoryImpl::ClaimSingleton(SBeanSlot& slot, const char* name) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(m_singletonMutex);
  for (;;) {
    if (slot.ready.load(std::memory_order_relaxed)) return EClaim::eMade;
    if (!slot.underway) {
      slot.underway = true;
      slot.creator = self;
      return EClaim::eMine;
    }
    // Another thread creates it. Waiting closes a cycle when that thread waits, directly
    // or through others, for a singleton that this thread creates.
    std::thread::id waiter = slot.creator;
    for (std::size_t step = 0; step <= m_waiting.size(); ++step) {
      if (waiter == self) {
        Warn(__LINE__, CResolutionScope::Requester(this),
             L"Circular reference: %s (through beans being created by other threads)",
             CResolutionScope::Chain(this, name));
        return EClaim::eRefused;
      }
      auto waiting = m_waiting.find(waiter);
      if (waiting == m_waiting.end()) break;
      waiter = waiting->second->creator;
    }
    m_waiting[self] = &slot;
    m_singletonEnded.wait(lock);
    m_waiting.erase(self);
  }
}

void CBeanFactoryImpl::EndSingleton(SBeanSlot& slot,
                                    const CbSmartPointer<IReferenceCounted>& instance) {
  if (instance && m_trace) Trace(__LINE__, L"Keeping singleton '%s'", slot.definition.name);
  {
    std::lock_guard<std::mutex> lock(m_singletonMutex);
    slot.underway = false;
    if (instance) {
      slot.instance = BeanResult(slot.own, instance);
      slot.ready.store(true, std::memory_order_release);
      m_made.GetOrInsert(slot.definition.name)->value = &slot;
    }
  }
  m_singletonEnded.notify_all();
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::Served(const SBeanSlot& slot,
                                                           BeanResult* result) {
  if (result != nullptr) *result = slot.instance;
  return slot.instance.second;
}

DependencyList CBeanFactoryImpl::ResolveDependencies(const SBeanDefinition& definition,
                                                     const SLibrary* requester) {
  DependencyList dependencies;
  if (!definition.dependsOn.empty()) {
    dependencies.reserve(definition.dependsOn.size());
    for (const std::string& dependency : definition.dependsOn) {
      dependencies.push_back(GetBean(dependency.c_str(), requester));
    }
  }
  return dependencies;
}

bool CBeanFactoryImpl::Prepare(SBeanSlot& slot, const char* name) {
  Lock lock(m_lock);
  if (slot.prepared.load(std::memory_order_relaxed)) return true;
  if (!PrepareWrappers(slot, name)) return false;
  // Arguments first: a literal that does not convert throws here at every request, as
  // nothing is kept.
  for (const SArgument& argument : slot.config.GetConstructorArguments()) BindArgument(argument);
  // Entries only from wrappers that have the slots for them.
  const bool entries = slot.own->GetRevision() >= 2;
  slot.propertyEntries.clear();
  for (const CBeanProperty* property : slot.config.GetProperties()) {
    for (const SArgument& argument : property->GetArguments()) BindArgument(argument);
    slot.propertyEntries.push_back(
        entries ? slot.own->FindMethod(property->GetName().c_str(), property->GetArguments().size())
                : nullptr);
  }
  const std::string& init = slot.definition.initMethod;
  slot.initEntry = entries && !init.empty() ? slot.own->FindMethod(init.c_str(), 0) : nullptr;
  if (slot.counters == nullptr) slot.counters = Internal::AcquireCounters(slot.definition.name.c_str());
  slot.prepared.store(true, std::memory_order_release);
  return true;
}

bool CBeanFactoryImpl::PrepareWrappers(SBeanSlot& slot, const char* name) {
  const SBeanDefinition& definition = slot.definition;
  std::shared_ptr<const IBeanWrapper>* own = GetWrapperEntry(slot.config);
  std::shared_ptr<const IBeanWrapper>* creating = own;
  const std::string* creatingClass = &definition.className;
  if (!definition.factoryBean.empty()) {
    CBeanConfig* factoryConfig = m_store->FindBeanConfig(definition.factoryBean.c_str());
    if (factoryConfig == nullptr) {
      Warn(__LINE__, SAbout{&definition}, L"Factory bean '%s' requested, but not configured",
           definition.factoryBean);
      return false;
    }
    creating = GetWrapperEntry(*factoryConfig);
    creatingClass = &factoryConfig->GetDefinition().className;
    const std::string& mismatch = slot.config.FactoryMismatch(*factoryConfig);
    if (!mismatch.empty()) {
      Warn(__LINE__, SAbout{&definition}, L"%s", mismatch);
      return false;
    }
  }
  if (*own == nullptr || *creating == nullptr) {
    // Either class may lack a wrapper: the bean's own, or the factory bean's.
    const std::string& missing = *own == nullptr ? definition.className : *creatingClass;
    Warn(__LINE__, SAbout{&definition}, L"No wrapper for class '%s' of bean '%s'", missing.c_str(),
         name);
    return false;
  }
  slot.own = *own;
  slot.creating = *creating;
  return true;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::Build(SBeanSlot& slot,
                                                          const DependencyList& dependencies,
                                                          CResolutionScope& scope) {
  CbSmartPointer<IReferenceCounted> instance = CreateInstance(slot, dependencies);
  if (!instance) return nullptr;
  const SBeanDefinition& definition = slot.definition;
  if (definition.autoname) {
    // "SetName" goes to the bean's own class wrapper, like its properties. The marker
    // past the one argument tells it from a configured "SetName" property.
    const char* beanName = definition.name.c_str();
    ArgumentVector nameArgument{static_cast<void*>(&beanName),
                                const_cast<void*>(AutonameMarker())};
    if (!slot.own->Invoke(instance.Get(), "SetName", 1, &nameArgument)) {
      Warn(__LINE__, SAbout{&definition}, L"Could not auto name bean '%s'", definition.name);
      return nullptr;
    }
  }
  if (!SetProperties(slot, instance.Get(), scope) || !CallInitMethod(slot, instance.Get())) {
    return nullptr;
  }
  return instance;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::CreateInstance(
    SBeanSlot& slot, const DependencyList& dependencies) {
  const SBeanDefinition& definition = slot.definition;
  if (m_trace) {
    Trace(__LINE__, L"Creating bean '%s' with '%s'", definition.name,
          definition.className + "::" + definition.creationMethod);
  }
  const auto& arguments = slot.config.GetConstructorArguments();
  CbSmartPointer<IReferenceCounted> instance;
  {
    CArgumentLease lease;
    ResolveArguments(arguments, slot.config.GetLibrary(), lease.Buffers());
    instance = slot.creating->Create(definition.creationMethod.c_str(), arguments.size(),
                                     arguments.empty() ? nullptr : &lease.Buffers().addresses,
                                     slot.creating, definition.exitMethod.c_str(), dependencies);
  }
  if (!instance) Warn(__LINE__, SAbout{&definition}, L"Could not create bean '%s'", definition.name);
  return instance;
}

bool CBeanFactoryImpl::SetProperties(SBeanSlot& slot, IReferenceCounted* instance,
                                     CResolutionScope& scope) {
  const SBeanDefinition& definition = slot.definition;
  const auto& properties = slot.config.GetProperties();
  for (std::size_t i = 0; i < properties.size(); ++i) {
    const CBeanProperty& property = *properties[i];
    scope.SetProperty(&property.GetDefinition());
    if (m_trace) {
      Trace(__LINE__, L"Setting property '%s' of bean '%s'", property.GetName(), definition.name);
    }
    const SArgument* unresolved = nullptr;
    if (!SetProperty(property, slot.propertyEntries[i], instance, *slot.own,
                     slot.config.GetLibrary(), unresolved)) {
      const SAbout about{&definition, &property.GetDefinition()};
      if (unresolved != nullptr) {
        Warn(__LINE__, about, L"%s",
             "reference '" + unresolved->value + "' of property '" + property.GetName() +
                 "' of bean '" + definition.name + "' resolved to nothing");
      } else {
        Warn(__LINE__, about, L"Could not set property '%s' of bean '%s'", property.GetName(),
             definition.name);
      }
      return false;
    }
  }
  scope.SetProperty(nullptr);
  return true;
}

bool CBeanFactoryImpl::CallInitMethod(SBeanSlot& slot, IReferenceCounted* instance) {
  const SBeanDefinition& definition = slot.definition;
  if (definition.initMethod.empty()) return true;
  if (m_trace) {
    Trace(__LINE__, L"Calling init method '%s' of bean '%s'", definition.initMethod,
          definition.name);
  }
  const IBeanWrapper& own = *slot.own;
  try {
    const bool called = slot.initEntry != nullptr
                            ? own.InvokeMethod(instance, slot.initEntry, 0, nullptr)
                            : own.Invoke(instance, definition.initMethod.c_str(), 0, nullptr);
    if (!called) {
      Warn(__LINE__, SAbout{&definition},
           L"Init method of class '%s' does not exist or is not valid", own.GetClassName());
      return false;
    }
  } catch (...) {
    Warn(__LINE__, SAbout{&definition}, L"Init method '%s' of class '%s' threw exception",
         definition.initMethod.c_str(), own.GetClassName());
    return false;
  }
  return true;
}

bool CBeanFactoryImpl::SetProperty(const CBeanProperty& property, const void* entry,
                                   IReferenceCounted* instance, const IBeanWrapper& wrapper,
                                   const SLibrary* library, const SArgument*& unresolved) {
  const auto& arguments = property.GetArguments();
  CArgumentLease lease;
  ArgumentVector* addresses = nullptr;
  if (!arguments.empty()) {
    ResolveArguments(arguments, library, lease.Buffers());
    addresses = &lease.Buffers().addresses;
    addresses->push_back(const_cast<void*>(NullsReportedMarker()));
  }
  const bool called =
      entry != nullptr ? wrapper.InvokeMethod(instance, entry, arguments.size(), addresses)
                       : wrapper.Invoke(instance, property.GetName().c_str(), arguments.size(),
                                        addresses);
  if (!called) {
    // A failed call with a reference that resolved to nothing is reported by its name.
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if ((*addresses)[i] == nullptr && (arguments[i].kind == SArgument::eBean ||
                                         arguments[i].kind == SArgument::eService)) {
        unresolved = &arguments[i];
        break;
      }
    }
  }
  return called;
}

void CBeanFactoryImpl::ResolveArguments(const ArgumentList& arguments,
                                        const SLibrary* library, SArgumentBuffers& buffers) {
  // Room for every reference first: the addresses point into `references`.
  if (buffers.references.capacity() < arguments.size()) buffers.references.reserve(arguments.size());
  if (buffers.values.size() < arguments.size()) buffers.values.resize(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    // Resolving may nest another lease, but never this one: the buffers stay in place.
    buffers.addresses.push_back(ResolveArgument(arguments[i], library, buffers, buffers.values[i]));
  }
}

void CBeanFactoryImpl::BindArgument(const SArgument& argument) {
  if (argument.kind != SArgument::eUnbound) return;
  if (!CTypeManager::IsReference(argument.type.c_str())) {
    const IType* type = nullptr;
    try {
      type = m_types->FindTypeBean(argument.type.c_str());
    } catch (CException& e) {
      ReportUnknownType(e, CResolutionScope::Requester(this), argument.type);
      throw;
    }
    argument.literal = type->CreateValuePointer(argument.value);
    argument.kind = SArgument::eLiteral;
    return;
  }
  const bool bean = argument.type == "bean";
  argument.inDefaultFactory = bean && NamesDefaultFactoryBean(argument.value);
  argument.reference = argument.inDefaultFactory
                           ? std::string(ReferencedBeanName(argument.value))
                           : argument.value;
  argument.kind = bean ? SArgument::eBean : SArgument::eService;
}

void* CBeanFactoryImpl::ResolveArgument(const SArgument& argument, const SLibrary* library,
                                        SArgumentBuffers& buffers, SValueCopy& value) {
  CbSmartPointer<IReferenceCounted> instance;
  switch (argument.kind) {
    case SArgument::eLiteral:
      // Converted once, copied for every call: what a wrapper does to its argument
      // stays with that call.
      return argument.literal->CopyTo(value);
    case SArgument::eBean:
      if (!argument.inDefaultFactory) {
        instance = GetBean(argument.reference.c_str(), library);
      } else if (std::shared_ptr<IBeanFactory> defaultFactory = Internal::GetDefaultFactory()) {
        // Asked on behalf of no library; with no default factory alive, nothing.
        instance = defaultFactory->GetBean(argument.reference.c_str(), nullptr);
      }
      break;
    default: {
      // Type ids may be registered at any time: looked up at every use.
      const std::string typeId = CLocalLibrary::GetInstance().GetTypeID(argument.reference.c_str());
      instance = GetServiceInstance(typeId.c_str(), 0);
      break;
    }
  }
  if (!instance) {
    return nullptr;
  }
  buffers.references.push_back(std::move(instance));
  return &buffers.references.back();
}

bool CBeanFactoryImpl::Exists(const char* name) {
  Lock lock(m_lock);
  CActiveScope active(this);  // may build configurations, which runs wrapper makers
  return m_store->FindBeanConfig(name) != nullptr;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetServiceInstance(const char* typeId,
                                                                       std::uint32_t index) {
  CActiveScope active(this);
  std::shared_ptr<ITypeRegistration> registration;
  {
    Lock lock(m_lock);
    registration = m_services->Find(typeId, index);
    if (registration == nullptr) NoteUnregistered(typeId);
  }
  // The creator runs without the lock: it may create beans, and wait for a singleton
  // that another thread creates.
  return CServiceRegistry::InstanceOf(registration);
}

void CBeanFactoryImpl::NoteUnregistered(const char* typeId) {
  const std::string id = typeId != nullptr ? typeId : "";
  if (m_services->GetServiceCount(id.c_str()) != 0) return;
  constexpr const char* kFunction = "Ostrel::CBeanFactoryImpl::GetServiceInstance";
  const wchar_t* format = L"No service registered for type id '%s'";
  if (m_strict) {
    if (m_unregisteredWarned.insert(id).second) {
      s_logger.Warn(__FILE__, __LINE__, kFunction, format, Platform::Utf8ToWide(id).c_str());
    }
  } else if (s_logger.IsDebugEnabled()) {
    s_logger.Debug(__FILE__, __LINE__, kFunction, format, Platform::Utf8ToWide(id).c_str());
  }
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetServiceInstance(const char* typeId) {
  return GetServiceInstance(typeId, 0);
}

std::shared_ptr<ITypeRegistration> CBeanFactoryImpl::RegisterFactory(
    const char* typeId, bool atFront, const ServiceCreator& creator,
    std::shared_ptr<ITypeRegistration> registration) {
  Lock lock(m_lock);
  return m_services->RegisterFactory(typeId, atFront, creator, std::move(registration));
}

std::shared_ptr<ITypeRegistration> CBeanFactoryImpl::RegisterInstance(
    const char* typeId, bool atFront, CbSmartPointer<IReferenceCounted> instance,
    std::shared_ptr<ITypeRegistration> registration) {
  Lock lock(m_lock);
  return m_services->RegisterInstance(typeId, atFront, std::move(instance), std::move(registration));
}

void CBeanFactoryImpl::ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) {
  Lock lock(m_lock);
  CActiveScope active(this);  // a released registration may release its instance
  m_services->ReleaseInstance(instance);
}

std::uint32_t CBeanFactoryImpl::GetServiceCount(const char* typeId) {
  Lock lock(m_lock);
  return m_services->GetServiceCount(typeId);
}

std::uint32_t CBeanFactoryImpl::GetSingletonCount() const {
  std::lock_guard<std::mutex> lock(m_singletonMutex);
  return m_made.GetCount();
}

std::uint32_t CBeanFactoryImpl::GetWrapperCount() const {
  Lock lock(m_lock);
  return m_wrappers.GetCount();
}

}  // namespace Ostrel
