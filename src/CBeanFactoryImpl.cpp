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

}  // namespace

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
  m_wrappers = std::move(other.m_wrappers);
  m_types = std::move(other.m_types);
  m_store = std::move(other.m_store);
  return *this;
}

void CBeanFactoryImpl::ClearCaches() {
  // One entry at a time, so that code run by a release may still use the factory.
  while (auto* first = m_singletons.GetFirst()) {
    BeanResult result = std::move(first->value);
    std::string name = first->key;
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
  ClearCaches();
  m_types.reset();
  m_store.reset();
  CBeanFactoryImpl fresh(*this);
  *this = std::move(fresh);
}

void CBeanFactoryImpl::Integrate(CXMLResource& loaded) {
  Lock lock(m_lock);
  m_store->Integrate(loaded);
}

void CBeanFactoryImpl::CreateEagerBeans() {
  Lock lock(m_lock);
  for (const auto& eager : m_store->GetEagerBeans()) {
    GetBeanWrapper(eager.first.c_str(), eager.second);
  }
}

std::shared_ptr<const IBeanWrapper> CBeanFactoryImpl::GetWrapper(const CBeanConfig& config) {
  Lock lock(m_lock);
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

BeanResult CBeanFactoryImpl::GetBeanWrapper(const char* name, const SLibrary* requester) {
  Lock lock(m_lock);
  const char* beanName = name != nullptr ? name : "";
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

  std::shared_ptr<const IBeanWrapper> own = GetWrapper(*config);
  std::shared_ptr<const IBeanWrapper> creating = own;
  if (!definition.factoryBean.empty()) {
    CBeanConfig* factoryConfig = m_store->FindBeanConfig(definition.factoryBean.c_str());
    if (factoryConfig == nullptr) {
      s_logger.Warn(__FILE__, __LINE__, kResolve, L"Factory bean '%s' requested, but not configured",
                    Wide(definition.factoryBean).c_str());
      return BeanResult();
    }
    creating = GetWrapper(*factoryConfig);
    if (creating == nullptr) {
      return BeanResult();
    }
  }
  if (own == nullptr || creating == nullptr) {
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"No wrapper for class '%s' of bean '%s'",
                  Wide(definition.className).c_str(), Wide(name).c_str());
    return BeanResult();
  }

  CbSmartPointer<IReferenceCounted> instance;
  {
    const auto& arguments = config->GetConstructorArguments();
    std::vector<std::shared_ptr<IValuePointer>> values;
    ArgumentVector addresses;
    values.reserve(arguments.size());
    addresses.reserve(arguments.size());
    for (const SArgument& argument : arguments) {
      values.push_back(ResolveArgument(argument, config->GetLibrary()));
      addresses.push_back(values.back() != nullptr ? values.back()->GetValue() : nullptr);
    }
    instance = creating->Create(definition.creationMethod.c_str(), arguments.size(),
                                arguments.empty() ? nullptr : &addresses, creating,
                                definition.exitMethod.c_str(), dependencies);
  }
  if (!instance) {
    s_logger.Warn(__FILE__, __LINE__, kResolve, L"Could not create bean '%s'", Wide(name).c_str());
    return BeanResult();
  }

  if (definition.autoname) {
    // "SetName" goes to the bean's own class wrapper, like its properties.
    const char* beanName = definition.name.c_str();
    ArgumentVector nameArgument{static_cast<void*>(&beanName)};
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

  BeanResult result(own, instance);
  if (definition.singleton) {
    m_singletons.GetOrInsert(std::string_view(name))->value = result;
  }
  Internal::RecordBean(definition.name.c_str(), instance.Get());
  instance->GetReferenceCounter()->deleter = &Internal::ReleaseBean;
  return result;
}

bool CBeanFactoryImpl::SetProperty(const CBeanProperty& property, IReferenceCounted* instance,
                                   const IBeanWrapper& wrapper, const SLibrary* library) {
  const auto& arguments = property.GetArguments();
  if (arguments.empty()) {
    return wrapper.Invoke(instance, property.GetName().c_str(), 0, nullptr);
  }
  std::vector<std::shared_ptr<IValuePointer>> values;
  ArgumentVector addresses;
  values.reserve(arguments.size());
  addresses.reserve(arguments.size());
  for (const SArgument& argument : arguments) {
    values.push_back(ResolveArgument(argument, library));
    addresses.push_back(values.back() != nullptr ? values.back()->GetValue() : nullptr);
  }
  return wrapper.Invoke(instance, property.GetName().c_str(), arguments.size(), &addresses);
}

std::shared_ptr<IValuePointer> CBeanFactoryImpl::ResolveArgument(const SArgument& argument,
                                                                 const SLibrary* library) {
  IType* type = m_types->FindTypeBean(argument.type.c_str());
  return type->CreateValuePointer(*this, argument.type.c_str(), argument.value.c_str(), library);
}

bool CBeanFactoryImpl::Exists(const char* name) {
  Lock lock(m_lock);
  return m_store->FindBeanConfig(name) != nullptr;
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetServiceInstance(const char* typeId,
                                                                       std::uint32_t index) {
  Lock lock(m_lock);
  return m_store->GetServiceInstance(typeId, index);
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetServiceInstance(const char* typeId) {
  Lock lock(m_lock);
  return m_store->GetServiceInstance(typeId);
}

CbSmartPointer<IReferenceCounted> CBeanFactoryImpl::GetBean(const char* name,
                                                            const SLibrary* requester) {
  return GetBeanWrapper(name, requester).second;
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
