#include "factory/CBeanFactoryImpl.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <ostrel/Logger.h>

#include "BeanStatistics.h"
#include "CDefinitionStore.h"
#include "CReaderFlags.h"
#include "CServiceRegistry.h"
#include "beans/CBeanProperty.h"
#include "beans/CDefinitionSet.h"
#include "beans/CTypeManager.h"
#include "beans/SPlace.h"
#include "factory/DefaultFactory.h"
#include "libraries/CLocalLibrary.h"
#include "platform/FastThreadLocal.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kResolve = "Ostrel::CBeanFactoryImpl::GetBeanWrapper";

using Lock = std::lock_guard<std::recursive_mutex>;

// The configured element a Warn record is about: a bean, and the property being set.
struct SAbout {
  const SBeanDefinition* bean = nullptr;
  const SPropertyDefinition* property = nullptr;
};

// A Warn record about up to two UTF-8 texts, widened only when the record is written,
// followed by the place of the element it is about when that is known.
void Warn(int line, SAbout about, const wchar_t* format, const char* first,
          const char* second = "") {
  if (!s_logger.IsWarnEnabled()) return;
  s_logger.Warn(__FILE__, line, kResolve, format, Platform::Utf8ToWide(first).c_str(),
                Platform::Utf8ToWide(second).c_str());
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
          const std::string& second = std::string()) {
  Warn(line, about, format, first.c_str(), second.c_str());
}

// A Debug record tracing resolution, about up to two UTF-8 texts; callers check the
// factory's tracing flag first.
void Trace(int line, const wchar_t* format, const std::string& first,
           const std::string& second = std::string()) {
  s_logger.Debug(__FILE__, line, kResolve, format, Platform::Utf8ToWide(first).c_str(),
                 Platform::Utf8ToWide(second).c_str());
}

// Whether `requester` may have a bean of `config`: exported beans go to anybody, the
// others only to beans of the library that defines them (compared by path).
bool MayUse(const CBeanConfig& config, const SLibrary* requester) {
  if (config.GetDefinition().exported) return true;
  const SLibrary* declaring = config.GetLibrary();
  return requester != nullptr && declaring != nullptr && requester->path == declaring->path;
}

// Both scopes below keep their entries in their own objects on the stack, linked from
// the innermost; the thread-local heads are plain pointers.

// Enters `name` into this thread's resolution chain for its lifetime, to catch cycles;
// Cycle() tells whether the name was being resolved already. The innermost entry of a
// factory is the bean whose arguments are being resolved: the one that asks for others.
class CResolutionScope {
public:
  // How many resolutions may nest on one thread: each costs stack, and a chain of
  // references as long as the configuration allows would exhaust it.
  static constexpr int kMaxDepth = 1000;

  CResolutionScope(const CBeanFactoryImpl* factory, const char* name,
                   const SBeanDefinition* definition)
      : m_factory(factory), m_name(name), m_definition(definition), m_outer(s_innermost),
        m_depth(m_outer != nullptr ? m_outer->m_depth + 1 : 1) {
    if (m_depth > kMaxDepth) {
      m_tooDeep = true;
      return;
    }
    for (const CResolutionScope* entry = m_outer; entry != nullptr; entry = entry->m_outer) {
      if (entry->m_factory == factory && std::strcmp(entry->m_name, name) == 0) {
        m_cycle = true;
        return;
      }
    }
    s_innermost = this;
  }
  ~CResolutionScope() {
    if (!m_cycle && !m_tooDeep) s_innermost = m_outer;
  }
  CResolutionScope(const CResolutionScope&) = delete;
  CResolutionScope& operator=(const CResolutionScope&) = delete;
  bool Cycle() const { return m_cycle; }
  bool TooDeep() const { return m_tooDeep; }
  // The property whose arguments are resolved next; null for constructor arguments.
  void SetProperty(const SPropertyDefinition* property) { m_property = property; }

  // The bean of `factory` whose arguments are being resolved on this thread, if any.
  static SAbout Requester(const CBeanFactoryImpl* factory) {
    for (const CResolutionScope* entry = s_innermost; entry != nullptr; entry = entry->m_outer) {
      if (entry->m_factory == factory) return SAbout{entry->m_definition, entry->m_property};
    }
    return SAbout();
  }

  // "a -> b -> a" for the chain from the outermost appearance of `name`.
  static std::string Chain(const CBeanFactoryImpl* factory, const char* name) {
    std::vector<const char*> names;  // innermost first
    bool inCycle = false;
    for (const CResolutionScope* entry = s_innermost; entry != nullptr; entry = entry->m_outer) {
      if (entry->m_factory != factory) continue;
      names.push_back(entry->m_name);
    }
    std::string chain;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      inCycle = inCycle || std::strcmp(*it, name) == 0;
      if (inCycle) chain += std::string(*it) + " -> ";
    }
    return chain + name;
  }

private:
  static OSTREL_FAST_THREAD_LOCAL const CResolutionScope* s_innermost;

  const CBeanFactoryImpl* m_factory;
  const char* m_name;
  const SBeanDefinition* m_definition;
  const SPropertyDefinition* m_property = nullptr;
  const CResolutionScope* m_outer;
  int m_depth;
  bool m_cycle = false;
  bool m_tooDeep = false;
};

OSTREL_FAST_THREAD_LOCAL const CResolutionScope* CResolutionScope::s_innermost = nullptr;

// Marks a factory whose operation runs on this thread (resolution, the start-up pass,
// service look-ups, emptying): client code it calls must not reset or load it.
class CActiveScope {
public:
  explicit CActiveScope(const CBeanFactoryImpl* factory) : m_factory(factory), m_outer(s_innermost) {
    s_innermost = this;
  }
  ~CActiveScope() { s_innermost = m_outer; }
  CActiveScope(const CActiveScope&) = delete;
  CActiveScope& operator=(const CActiveScope&) = delete;

  static void Refuse(const CBeanFactoryImpl* factory, const char* function) {
    for (const CActiveScope* active = s_innermost; active != nullptr; active = active->m_outer) {
      if (active->m_factory == factory) {
        OSTREL_THROW(function,
                     "A configuration cannot be reset or loaded from code that its own factory "
                     "runs (a constructor, property, init or exit method, wrapper maker or "
                     "service creator)");
      }
    }
  }

private:
  static OSTREL_FAST_THREAD_LOCAL const CActiveScope* s_innermost;

  const CBeanFactoryImpl* m_factory;
  const CActiveScope* m_outer;
};

OSTREL_FAST_THREAD_LOCAL const CActiveScope* CActiveScope::s_innermost = nullptr;

}  // namespace

// Lends the argument buffers of the current nesting depth for one wrapper call; the
// references are released when the lease ends, as they would be with buffers of its own.
class CBeanFactoryImpl::CArgumentLease {
public:
  explicit CArgumentLease(CBeanFactoryImpl& factory) : m_factory(factory) {
    auto& pool = factory.m_argumentBuffers;
    if (factory.m_argumentDepth == pool.size()) {
      pool.push_back(std::make_unique<SArgumentBuffers>());
    }
    m_buffers = pool[factory.m_argumentDepth].get();
    ++factory.m_argumentDepth;
  }
  ~CArgumentLease() {
    m_buffers->addresses.clear();
    m_buffers->references.clear();
    --m_factory.m_argumentDepth;
  }
  CArgumentLease(const CArgumentLease&) = delete;
  CArgumentLease& operator=(const CArgumentLease&) = delete;
  SArgumentBuffers& Buffers() const { return *m_buffers; }

private:
  CBeanFactoryImpl& m_factory;
  SArgumentBuffers* m_buffers;
};

CBeanFactoryImpl::CBeanFactoryImpl()
    : m_store(new CDefinitionStore),
      m_services(new CServiceRegistry),
      m_types(new CTypeManager),
      m_readers(new CReaderFlags),
      m_trace(s_logger.IsDebugEnabled()) {}

CBeanFactoryImpl::~CBeanFactoryImpl() {
  ClearCaches();
  m_services.reset();
  m_types.reset();
  m_store.reset();
}

void CBeanFactoryImpl::ClearCaches() {
  // Configurations worked out before no longer refer to current wrappers.
  ++m_generation;
  // Readers take the lock until the cache is empty. One entry at a time, so that code
  // run by a release may still use the factory (and find the singletons not yet
  // released).
  CReaderFlags::CWrite write(*m_readers);
  ReleaseCaches(m_singletons, m_wrappers);
}

void CBeanFactoryImpl::ReleaseCaches(SingletonCache& singletons, WrapperCache& wrappers) {
  while (auto* first = singletons.GetFirst()) {
    BeanResult result = std::move(first->value.result);
    std::string name = first->key;
    singletons.Remove(name);
    result.second.Reset();  // the instance before the wrapper of its class
    result.first.reset();
  }
  while (auto* first = wrappers.GetFirst()) {
    std::shared_ptr<const IBeanWrapper> wrapper = std::move(first->value);
    std::string name = first->key;
    wrappers.Remove(name);
  }
}

void CBeanFactoryImpl::Reset() {
  Lock lock(m_lock);
  CActiveScope::Refuse(this, "Ostrel::CBeanFactoryImpl::Reset");
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

void CBeanFactoryImpl::Replace(CDefinitionSet& loaded) {
  constexpr const char* kFunction = "Ostrel::CBeanFactoryImpl::Reset";
  CActiveScope::Refuse(this, kFunction);
  // Aside: nothing here is reachable from another thread yet.
  auto store = std::make_unique<CDefinitionStore>();
  auto services = std::make_unique<CServiceRegistry>();
  auto types = std::make_unique<CTypeManager>();
  RegisterProvided(*services, loaded);
  const std::uint32_t configured = services->GetRegistrationCount();
  std::vector<std::string> eager = loaded.GetEagerNames();
  store->GetDefinitions().Append(loaded);

  SingletonCache singletons(1);
  WrapperCache wrappers(1);
  std::uint32_t clientServices = 0;
  {
    Lock lock(m_lock);
    CActiveScope::Refuse(this, kFunction);
    m_trace = s_logger.IsDebugEnabled();
    {
      // The swap: readers without the lock wait for it and then take the lock.
      CReaderFlags::CWrite write(*m_readers);
      ++m_generation;
      m_singletons.Swap(singletons);
      m_wrappers.Swap(wrappers);
    }
    const std::uint32_t held = m_services->GetRegistrationCount();
    clientServices = held > m_configuredServices ? held - m_configuredServices : 0;
    m_store.swap(store);
    m_services.swap(services);
    m_types.swap(types);
    m_eager.swap(eager);
    m_configuredServices = configured;
  }
  if (clientServices != 0) {
    s_logger.Info(__FILE__, __LINE__, kFunction,
                  L"Reset drops %s service registration(s) made by client code",
                  std::to_wstring(clientServices).c_str());
  }
  // The old configuration goes as Reset empties one, now out of every reader's sight;
  // code run by a release meets the new configuration.
  Lock lock(m_lock);
  CActiveScope active(this);
  ReleaseCaches(singletons, wrappers);
  services.reset();
  types.reset();
  store.reset();
}

void CBeanFactoryImpl::Integrate(CDefinitionSet& loaded) {
  Lock lock(m_lock);
  CActiveScope::Refuse(this, "Ostrel::CBeanFactoryImpl::Integrate");
  m_trace = s_logger.IsDebugEnabled();
  CDefinitionSet& definitions = m_store->GetDefinitions();
  definitions.CheckMerge(loaded);
  const std::uint32_t before = m_services->GetRegistrationCount();
  RegisterProvided(*m_services, loaded);
  m_configuredServices += m_services->GetRegistrationCount() - before;
  m_eager.insert(m_eager.end(), loaded.GetEagerNames().begin(), loaded.GetEagerNames().end());
  definitions.Append(loaded);
}

void CBeanFactoryImpl::RegisterProvided(CServiceRegistry& services, const CDefinitionSet& loaded) {
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
    }
  }
}

const CDefinitionSet& CBeanFactoryImpl::GetDefinitions() const {
  return m_store->GetDefinitions();
}

std::vector<std::string> CBeanFactoryImpl::CreateEagerBeans() {
  Lock lock(m_lock);
  CActiveScope active(this);
  std::vector<std::string> failed;
  // By index: the pass runs client code, which may not load into this factory but may
  // resolve anything.
  for (std::size_t i = 0; i < m_eager.size(); ++i) {
    const std::string& name = m_eager[i];
    if (!GetBeanWrapper(name.c_str(), m_store->GetDefinitions().FindOwner(name)).second) {
      failed.push_back(name);
    }
  }
  // A cached singleton needs no later pass.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < m_eager.size(); ++i) {
    if (m_singletons.Lookup(m_eager[i]) == nullptr) {
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
                                             BeanResult* result) {
  CReaderFlags::CRead read(*m_readers);
  if (!read.Valid()) {
    return false;
  }
  const auto* entry = m_singletons.Lookup(name);
  // A refusal is left to Resolve, which reports it.
  if (entry == nullptr || !MayUse(*entry->value.config, requester)) {
    return false;
  }
  if (result != nullptr) {
    *result = entry->value.result;
  } else {
    *instance = entry->value.result.second;
  }
  return true;
}

BeanResult CBeanFactoryImpl::GetBeanWrapper(const char* name, const SLibrary* requester) {
  const char* beanName = name != nullptr ? name : "";
  BeanResult result;
  if (!FindSingletonUnlocked(beanName, requester, nullptr, &result)) {
    Lock lock(m_lock);
    ResolveLocked(beanName, requester, &result);
  }
  return result;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetBean(const char* name,
                                                            const SLibrary* requester) {
  const char* beanName = name != nullptr ? name : "";
  CbSmartPointer<IReferenceCounted> instance;
  if (!FindSingletonUnlocked(beanName, requester, &instance, nullptr)) {
    Lock lock(m_lock);
    instance = ResolveLocked(beanName, requester, nullptr);
  }
  return instance;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::ResolveLocked(const char* beanName,
                                                                  const SLibrary* requester,
                                                                  BeanResult* result) {
  if (const auto* entry = m_singletons.Lookup(beanName)) {
    if (MayUse(*entry->value.config, requester)) {
      if (result != nullptr) *result = entry->value.result;
      return entry->value.result.second;
    }
  }
  CActiveScope active(this);
  try {
    const std::shared_ptr<const IBeanWrapper>* wrapper = nullptr;
    CbSmartPointer<IReferenceCounted> instance = Resolve(beanName, requester, &wrapper);
    if (result != nullptr && instance) *result = BeanResult(*wrapper, instance);
    return instance;
  } catch (...) {
    Warn(__LINE__, SAbout{m_store->GetDefinitions().FindDefinition(beanName)},
         L"Could not resolve bean '%s', unknown exception was thrown", beanName);
    return nullptr;
  }
}

bool CBeanFactoryImpl::PrepareResolution(CBeanConfig& config, const char* name) {
  CBeanConfig::SResolution& resolution = config.GetResolution();
  const SBeanDefinition& definition = config.GetDefinition();
  std::shared_ptr<const IBeanWrapper>* own = GetWrapperEntry(config);
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
    const std::string& mismatch = config.FactoryMismatch(*factoryConfig);
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
  resolution.own = own;
  resolution.creating = creating;
  resolution.generation = m_generation;
  return true;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::Resolve(
    const char* name, const SLibrary* requester,
    const std::shared_ptr<const IBeanWrapper>** wrapper) {
  CBeanConfig* config = m_store->FindBeanConfig(name);
  if (config == nullptr) {
    Warn(__LINE__, CResolutionScope::Requester(this), L"Bean '%s' requested, but not configured",
         name);
    return nullptr;
  }
  const SBeanDefinition& definition = config->GetDefinition();
  if (!MayUse(*config, requester)) {
    const SLibrary* declaring = config->GetLibrary();
    Warn(__LINE__, CResolutionScope::Requester(this),
         L"Bean '%s' shall be exported from library '%s', but not allowed", name,
         declaring != nullptr ? declaring->path.c_str() : "");
    return nullptr;
  }

  const SAbout about{&definition};
  CResolutionScope scope(this, name, &definition);
  if (scope.TooDeep()) {
    Warn(__LINE__, about, L"Could not resolve bean '%s': references nest deeper than %s levels",
         name,
         std::to_string(CResolutionScope::kMaxDepth));
    return nullptr;
  }
  if (scope.Cycle()) {
    // Placed at the reference that closes the cycle.
    Warn(__LINE__, CResolutionScope::Requester(this), L"Circular reference: %s",
         CResolutionScope::Chain(this, name));
    return nullptr;
  }

  DependencyList dependencies;
  if (!definition.dependsOn.empty()) {
    dependencies.reserve(definition.dependsOn.size());
    for (const std::string& dependency : definition.dependsOn) {
      dependencies.push_back(ResolveLocked(dependency.c_str(), requester, nullptr));
    }
  }

  const CBeanConfig::SResolution& resolution = config->GetResolution();
  if (resolution.generation != m_generation && !PrepareResolution(*config, name)) {
    return nullptr;
  }
  const IBeanWrapper& own = **resolution.own;
  const std::shared_ptr<const IBeanWrapper>& creating = *resolution.creating;

  const bool trace = m_trace;
  if (trace) {
    Trace(__LINE__, L"Creating bean '%s' with '%s'", name,
          definition.className + "::" + definition.creationMethod);
  }
  CbSmartPointer<IReferenceCounted> instance;
  {
    const auto& arguments = config->GetConstructorArguments();
    CArgumentLease lease(*this);
    ResolveArguments(arguments, config->GetLibrary(), lease.Buffers());
    instance = creating->Create(definition.creationMethod.c_str(), arguments.size(),
                                arguments.empty() ? nullptr : &lease.Buffers().addresses,
                                creating, definition.exitMethod.c_str(), dependencies);
  }
  if (!instance) {
    Warn(__LINE__, about, L"Could not create bean '%s'", name);
    return nullptr;
  }

  if (definition.autoname) {
    // "SetName" goes to the bean's own class wrapper, like its properties. The marker
    // past the one argument tells it from a configured "SetName" property.
    const char* beanName = definition.name.c_str();
    ArgumentVector nameArgument{static_cast<void*>(&beanName),
                                const_cast<void*>(AutonameMarker())};
    if (!own.Invoke(instance.Get(), "SetName", 1, &nameArgument)) {
      Warn(__LINE__, about, L"Could not auto name bean '%s'", name);
      return nullptr;
    }
  }

  for (const CBeanProperty* property : config->GetProperties()) {
    scope.SetProperty(&property->GetDefinition());
    if (trace) Trace(__LINE__, L"Setting property '%s' of bean '%s'", property->GetName(), name);
    if (!SetProperty(*property, instance.Get(), own, config->GetLibrary())) {
      Warn(__LINE__, SAbout{&definition, &property->GetDefinition()},
           L"Could not set property '%s' of bean '%s'", property->GetName().c_str(), name);
      return nullptr;
    }
  }
  scope.SetProperty(nullptr);

  if (!definition.initMethod.empty()) {
    if (trace) Trace(__LINE__, L"Calling init method '%s' of bean '%s'", definition.initMethod, name);
    try {
      if (!own.Invoke(instance.Get(), definition.initMethod.c_str(), 0, nullptr)) {
        Warn(__LINE__, about, L"Init method of class '%s' does not exist or is not valid",
             own.GetClassName());
        return nullptr;
      }
    } catch (...) {
      Warn(__LINE__, about, L"Init method '%s' of class '%s' threw exception",
           definition.initMethod.c_str(),
           own.GetClassName());
      return nullptr;
    }
  }

  if (definition.singleton) {
    if (trace) Trace(__LINE__, L"Keeping singleton '%s'", name);
    CReaderFlags::CWrite write(*m_readers);
    auto* cached = m_singletons.GetOrInsert(std::string_view(name));
    cached->value.result = BeanResult(*resolution.own, instance);
    cached->value.config = config;
  }
  Internal::RecordBean(definition.name.c_str(), instance.Get());
  *wrapper = resolution.own;
  return instance;
}

bool CBeanFactoryImpl::SetProperty(const CBeanProperty& property, IReferenceCounted* instance,
                                   const IBeanWrapper& wrapper, const SLibrary* library) {
  const auto& arguments = property.GetArguments();
  if (arguments.empty()) {
    return wrapper.Invoke(instance, property.GetName().c_str(), 0, nullptr);
  }
  CArgumentLease lease(*this);
  ResolveArguments(arguments, library, lease.Buffers());
  return wrapper.Invoke(instance, property.GetName().c_str(), arguments.size(),
                        &lease.Buffers().addresses);
}

void CBeanFactoryImpl::ResolveArguments(const std::vector<SArgument>& arguments,
                                        const SLibrary* library, SArgumentBuffers& buffers) {
  // Room for every reference first: the addresses point into `references`.
  if (buffers.references.capacity() < arguments.size()) buffers.references.reserve(arguments.size());
  for (const SArgument& argument : arguments) {
    // Resolving may nest another lease, but never this one: the buffers stay in place.
    buffers.addresses.push_back(ResolveArgument(argument, library, buffers));
  }
}

void* CBeanFactoryImpl::ResolveArgument(const SArgument& argument, const SLibrary* library,
                                        SArgumentBuffers& buffers) {
  if (argument.kind == SArgument::eUnbound) {
    // Worked out once per configuration; a literal that does not convert throws here
    // at every use, as it is never kept.
    if (!CTypeManager::IsReference(argument.type.c_str())) {
      const IType* type = m_types->FindTypeBean(argument.type.c_str());
      argument.literal = type->CreateValuePointer(argument.value);
      argument.kind = SArgument::eLiteral;
    } else {
      const bool bean = argument.type == "bean";
      // A name written "::name" lives in the default factory.
      argument.inDefaultFactory = bean && argument.value.compare(0, 2, "::") == 0;
      argument.reference = argument.value.substr(argument.inDefaultFactory ? 2 : 0);
      argument.kind = bean ? SArgument::eBean : SArgument::eService;
    }
  }
  CbSmartPointer<IReferenceCounted> instance;
  switch (argument.kind) {
    case SArgument::eLiteral:
      return argument.literal->GetValue();
    case SArgument::eBean:
      if (!argument.inDefaultFactory) {
        instance = ResolveLocked(argument.reference.c_str(), library, nullptr);  // lock held
      } else if (std::shared_ptr<IBeanFactory> defaultFactory = Internal::GetDefaultFactory()) {
        // Asked on behalf of no library; with no default factory alive, nothing.
        instance = defaultFactory->GetBean(argument.reference.c_str(), nullptr);
      }
      break;
    default: {
      // Type ids may be registered at any time: looked up at every use.
      const std::string typeId = CLocalLibrary::GetInstance().GetTypeID(argument.reference.c_str());
      instance = m_services->GetServiceInstance(typeId.c_str(), 0);
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
  Lock lock(m_lock);
  CActiveScope active(this);
  return m_services->GetServiceInstance(typeId, index);
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
  Lock lock(m_lock);
  return m_singletons.GetCount();
}

std::uint32_t CBeanFactoryImpl::GetWrapperCount() const {
  Lock lock(m_lock);
  return m_wrappers.GetCount();
}

}  // namespace Ostrel
