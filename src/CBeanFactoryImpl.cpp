#include "CBeanFactoryImpl.h"

#include <cstring>
#include <mutex>
#include <vector>

#include <ostrel/Logger.h>

#include "BeanStatistics.h"
#include "CBeanProperty.h"
#include "ObjectType.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kResolve = "Ostrel::CBeanFactoryImpl::GetBeanWrapper";

using Lock = std::lock_guard<CbCriticalSection>;

std::wstring Wide(const char* text) { return Platform::Utf8ToWide(text); }
std::wstring Wide(const std::string& text) { return Platform::Utf8ToWide(text); }

// The beans being resolved on this thread, outermost first, to catch cycles.
struct SResolving {
  const CBeanFactoryImpl* factory;
  const char* name;
};
thread_local std::vector<SResolving> t_resolving;

// Enters `name` into this thread's resolution chain for its lifetime; Cycle() tells
// whether the name was being resolved already.
class CResolutionScope {
public:
  CResolutionScope(const CBeanFactoryImpl* factory, const char* name) {
    for (const SResolving& entry : t_resolving) {
      if (entry.factory == factory && std::strcmp(entry.name, name) == 0) {
        m_cycle = true;
      }
    }
    if (!m_cycle) {
      t_resolving.push_back({factory, name});
    }
  }
  ~CResolutionScope() {
    if (!m_cycle) t_resolving.pop_back();
  }
  bool Cycle() const { return m_cycle; }

  // "a -> b -> a" for the chain from the first appearance of `name`.
  static std::string Chain(const CBeanFactoryImpl* factory, const char* name) {
    std::string chain;
    bool inCycle = false;
    for (const SResolving& entry : t_resolving) {
      if (entry.factory != factory) continue;
      inCycle = inCycle || std::strcmp(entry.name, name) == 0;
      if (inCycle) chain += std::string(entry.name) + " -> ";
    }
    return chain + name;
  }

private:
  bool m_cycle = false;
};

// The factories whose operations are running on this thread (resolution, the start-up
// pass, service look-ups, emptying): client code they call must not reset or load them.
thread_local std::vector<const CBeanFactoryImpl*> t_active;

class CActiveScope {
public:
  explicit CActiveScope(const CBeanFactoryImpl* factory) { t_active.push_back(factory); }
  ~CActiveScope() { t_active.pop_back(); }
  CActiveScope(const CActiveScope&) = delete;
  CActiveScope& operator=(const CActiveScope&) = delete;

  static void Refuse(const CBeanFactoryImpl* factory, const char* function) {
    for (const CBeanFactoryImpl* active : t_active) {
      if (active == factory) {
        OSTREL_THROW(function,
                     "A configuration cannot be reset or loaded from code that its own factory "
                     "runs (a constructor, property, init or exit method, wrapper maker or "
                     "service creator)");
      }
    }
  }
};

}  // namespace

// Lends the argument buffers of the current nesting depth for one wrapper call; the
// values are released when the lease ends, as they would be with buffers of its own.
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
    m_buffers->values.clear();
    --m_factory.m_argumentDepth;
  }
  CArgumentLease(const CArgumentLease&) = delete;
  CArgumentLease& operator=(const CArgumentLease&) = delete;
  SArgumentBuffers& Buffers() const { return *m_buffers; }

private:
  CBeanFactoryImpl& m_factory;
  SArgumentBuffers* m_buffers;
};

CBeanFactoryImpl::CBeanFactoryImpl() : CBeanFactoryImpl(*this) {}

CBeanFactoryImpl::CBeanFactoryImpl(CBeanFactoryImpl& owner)
    : m_store(new CXMLResource(owner)), m_types(new CTypeManager) {
  m_types->SetObjectType(std::make_unique<ObjectType>(m_types.get()));
}

CBeanFactoryImpl::~CBeanFactoryImpl() {
  ClearCaches();
  m_types.reset();
  m_store.reset();
}

CBeanFactoryImpl& CBeanFactoryImpl::operator=(CBeanFactoryImpl&& other) {
  Lock lock(m_lock);
  constexpr const char* kFunction = "Ostrel::CBeanFactoryImpl::operator =";
  if (!m_singletons.IsEmpty() || !m_wrappers.IsEmpty() || m_types != nullptr ||
      m_store != nullptr) {
    OSTREL_THROW(kFunction, "Internal error");
  }
  m_singletons = std::move(other.m_singletons);
  m_singletonIndex = std::move(other.m_singletonIndex);
  m_wrappers = std::move(other.m_wrappers);
  m_types = std::move(other.m_types);
  m_store = std::move(other.m_store);
  return *this;
}

void CBeanFactoryImpl::ClearCaches() {
  // One entry at a time, so that code run by a release may still use the factory.
  m_singletonIndex.RemoveAll();
  while (auto* first = m_singletons.GetFirst()) {
    BeanResult result = std::move(first->value);
    std::string name = first->key;
    m_singletonIndex.Remove(name);  // made again by a release meanwhile
    m_singletons.Remove(name);
    result.second.Reset();  // the instance before the wrapper of its class
    result.first.reset();
  }
  while (auto* first = m_wrappers.GetFirst()) {
    std::shared_ptr<const IBeanWrapper> wrapper = std::move(first->value);
    std::string name = first->key;
    m_wrappers.Remove(name);
  }
}

void CBeanFactoryImpl::Reset() {
  Lock lock(m_lock);
  CActiveScope::Refuse(this, "Ostrel::CBeanFactoryImpl::Reset");
  {
    CActiveScope active(this);
    ClearCaches();
  }
  m_types.reset();
  m_store.reset();
  CBeanFactoryImpl fresh(*this);
  *this = std::move(fresh);
}

void CBeanFactoryImpl::Integrate(CXMLResource& loaded) {
  Lock lock(m_lock);
  CActiveScope::Refuse(this, "Ostrel::CBeanFactoryImpl::Integrate");
  m_store->Integrate(loaded);
}

void CBeanFactoryImpl::CreateEagerBeans() {
  Lock lock(m_lock);
  CActiveScope active(this);
  for (const auto& eager : m_store->GetEagerBeans()) {
    GetBeanWrapper(eager.first.c_str(), eager.second);
  }
}

std::shared_ptr<const IBeanWrapper> CBeanFactoryImpl::GetWrapper(const CBeanConfig& config) {
  Lock lock(m_lock);
  return GetWrapperLocked(config);
}

std::shared_ptr<const IBeanWrapper> CBeanFactoryImpl::GetWrapperLocked(const CBeanConfig& config) {
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
  return entry->value;
}

const BeanResult* CBeanFactoryImpl::FindAllowedSingleton(const char* name,
                                                         const SLibrary* requester) const {
  const auto* entry = m_singletonIndex.Lookup(name);
  if (entry == nullptr) {
    return nullptr;
  }
  const CBeanConfig& config = *entry->value.config;
  if (!config.GetDefinition().exported) {
    // A refusal is left to Resolve, which reports it.
    const SLibrary* declaring = config.GetLibrary();
    if (requester == nullptr || declaring == nullptr || requester->path != declaring->path) {
      return nullptr;
    }
  }
  return entry->value.result;
}

BeanResult CBeanFactoryImpl::GetBeanWrapper(const char* name, const SLibrary* requester) {
  Lock lock(m_lock);
  const char* beanName = name != nullptr ? name : "";
  if (const BeanResult* cached = FindAllowedSingleton(beanName, requester)) {
    return *cached;
  }
  return ResolveLocked(beanName, requester);
}

// A cached singleton is served without it: no client code runs for that.
BeanResult CBeanFactoryImpl::ResolveLocked(const char* beanName, const SLibrary* requester) {
  CActiveScope active(this);
  try {
    return Resolve(beanName, requester);
  } catch (...) {
    s_logger.Warn(__FILE__, __LINE__, kResolve,
                  L"Could not resolve bean '%s', unknown exception was thrown",
                  Wide(beanName).c_str());
    return BeanResult();
  }
}

BeanResult CBeanFactoryImpl::Resolve(const char* name, const SLibrary* requester) {
  CBeanConfig* config = m_store->FindBeanConfig(name);
  if (config == nullptr) {
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"Bean '%s' requested, but not configured",
                  Wide(name).c_str());
    return BeanResult();
  }
  const SBeanDefinition& definition = config->GetDefinition();
  if (!definition.exported) {
    const SLibrary* declaring = config->GetLibrary();
    if (requester == nullptr || declaring == nullptr || requester->path != declaring->path) {
      s_logger.Warn(__FILE__, __LINE__, kResolve,
                    L"Bean '%s' shall be exported from library '%s', but not allowed",
                    Wide(name).c_str(),
                    Wide(declaring != nullptr ? declaring->path : std::string()).c_str());
      return BeanResult();
    }
  }
  if (definition.singleton) {
    if (auto* cached = m_singletons.Lookup(name)) {
      return cached->value;
    }
  }

  CResolutionScope scope(this, name);
  if (scope.Cycle()) {
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"Circular reference: %s",
                  Wide(CResolutionScope::Chain(this, name)).c_str());
    return BeanResult();
  }

  DependencyList dependencies;
  dependencies.reserve(definition.dependsOn.size());
  for (const std::string& dependency : definition.dependsOn) {
    dependencies.push_back(GetBeanWrapper(dependency.c_str(), requester).second);
  }

  std::shared_ptr<const IBeanWrapper> own = GetWrapperLocked(*config);
  std::shared_ptr<const IBeanWrapper> factoryWrapper;  // only with a factory bean
  const std::string* creatingClass = &definition.className;
  if (!definition.factoryBean.empty()) {
    CBeanConfig* factoryConfig = m_store->FindBeanConfig(definition.factoryBean.c_str());
    if (factoryConfig == nullptr) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"Factory bean '%s' requested, but not configured",
                    Wide(definition.factoryBean).c_str());
      return BeanResult();
    }
    factoryWrapper = GetWrapperLocked(*factoryConfig);
    creatingClass = &factoryConfig->GetDefinition().className;
    const std::string& mismatch = config->FactoryMismatch(*factoryConfig);
    if (!mismatch.empty()) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"%s", Wide(mismatch).c_str());
      return BeanResult();
    }
  }
  const std::shared_ptr<const IBeanWrapper>& creating =
      definition.factoryBean.empty() ? own : factoryWrapper;
  if (own == nullptr || creating == nullptr) {
    // Either class may lack a wrapper: the bean's own, or the factory bean's.
    const std::string& missing = own == nullptr ? definition.className : *creatingClass;
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"No wrapper for class '%s' of bean '%s'",
                  Wide(missing).c_str(), Wide(name).c_str());
    return BeanResult();
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
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"Could not create bean '%s'", Wide(name).c_str());
    return BeanResult();
  }

  if (definition.autoname) {
    // "SetName" goes to the bean's own class wrapper, like its properties. The marker
    // past the one argument tells it from a configured "SetName" property.
    const char* beanName = definition.name.c_str();
    ArgumentVector nameArgument{static_cast<void*>(&beanName),
                                const_cast<void*>(AutonameMarker())};
    if (!own->Invoke(instance.Get(), "SetName", 1, &nameArgument)) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"Could not auto name bean '%s'",
                    Wide(name).c_str());
      return BeanResult();
    }
  }

  for (const CBeanProperty* property : config->GetProperties()) {
    if (!SetProperty(*property, instance.Get(), *own, config->GetLibrary())) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"Could not set property '%s' of bean '%s'",
                    Wide(property->GetName()).c_str(), Wide(name).c_str());
      return BeanResult();
    }
  }

  if (!definition.initMethod.empty()) {
    try {
      if (!own->Invoke(instance.Get(), definition.initMethod.c_str(), 0, nullptr)) {
        s_logger.Warn(__FILE__, __LINE__, kResolve,
                      L"Init method of class '%s' does not exist or is not valid",
                      Wide(own->GetClassName()).c_str());
        return BeanResult();
      }
    } catch (...) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"Init method '%s' of class '%s' threw exception",
                    Wide(definition.initMethod).c_str(), Wide(own->GetClassName()).c_str());
      return BeanResult();
    }
  }

  BeanResult result(std::move(own), instance);
  if (definition.singleton) {
    auto* cached = m_singletons.GetOrInsert(std::string_view(name));
    cached->value = result;
    m_singletonIndex.GetOrInsert(std::string_view(name))->value = {&cached->value, config};
  }
  Internal::RecordBean(definition.name.c_str(), instance.Get());
  return result;
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
  for (const SArgument& argument : arguments) {
    // Resolving may nest another lease, but never this one: the buffers stay in place.
    std::shared_ptr<IValuePointer> value = ResolveArgument(argument, library);
    buffers.addresses.push_back(value != nullptr ? value->GetValue() : nullptr);
    buffers.values.push_back(std::move(value));
  }
}

std::shared_ptr<IValuePointer> CBeanFactoryImpl::ResolveArgument(const SArgument& argument,
                                                                 const SLibrary* library) {
  IType* type = m_types->FindTypeBean(argument.type.c_str());
  return type->CreateValuePointer(*this, argument.type.c_str(), argument.value.c_str(), library);
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
  return m_store->GetServiceInstance(typeId, index);
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetServiceInstance(const char* typeId) {
  Lock lock(m_lock);
  CActiveScope active(this);
  return m_store->GetServiceInstance(typeId);
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetBean(const char* name,
                                                            const SLibrary* requester) {
  Lock lock(m_lock);
  const char* beanName = name != nullptr ? name : "";
  // A cached singleton without copying its wrapper reference.
  if (const BeanResult* cached = FindAllowedSingleton(beanName, requester)) {
    return cached->second;
  }
  return ResolveLocked(beanName, requester).second;
}

std::shared_ptr<ITypeRegistration> CBeanFactoryImpl::RegisterFactory(
    const char* typeId, bool atFront, const ServiceCreator& creator,
    std::shared_ptr<ITypeRegistration> registration) {
  Lock lock(m_lock);
  return m_store->RegisterFactory(typeId, atFront, creator, std::move(registration));
}

std::shared_ptr<ITypeRegistration> CBeanFactoryImpl::RegisterInstance(
    const char* typeId, bool atFront, CbSmartPointer<IReferenceCounted> instance,
    std::shared_ptr<ITypeRegistration> registration) {
  Lock lock(m_lock);
  return m_store->RegisterInstance(typeId, atFront, std::move(instance), std::move(registration));
}

void CBeanFactoryImpl::ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) {
  Lock lock(m_lock);
  CActiveScope active(this);  // a released registration may release its instance
  m_store->ReleaseInstance(instance);
}

std::uint32_t CBeanFactoryImpl::GetServiceCount(const char* typeId) {
  Lock lock(m_lock);
  return m_store->GetServiceCount(typeId);
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
