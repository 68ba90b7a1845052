#include "CConfigurationChecker.h"

#include <ostrel/CException.h>
#include <ostrel/MakerName.h>

#include "CCycleFinder.h"
#include "beans/CBeanConfig.h"
#include "beans/CTypeManager.h"
#include "beans/DefaultFactoryReference.h"
#include "libraries/CDynamicLibrary.h"
#include "libraries/CLocalLibrary.h"
#include "libraries/WrapperMakerLookup.h"
#include "platform/SharedLibrary.h"

namespace Ostrel {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

CConfigurationChecker::CConfigurationChecker(const CDefinitionSet& definitions,
                                             const SCheckOptions& options, SCheckResult& result,
                                             SCheckContext context)
    : m_definitions(definitions), m_options(options), m_result(result),
      m_context(std::move(context)) {}

CConfigurationChecker::~CConfigurationChecker() = default;

void CConfigurationChecker::Run() {
  // Only the first definition of a name is ever made; later ones are reported and skipped.
  std::vector<std::pair<const SBeanDefinition*, const SLibrary*>> used;
  std::size_t count = 0;
  for (const auto& library : m_definitions.GetLibraries()) count += library->beans.size();
  m_first.reserve(count);
  m_wrappers.reserve(count);
  if (m_context.existing != nullptr) {
    for (const auto& library : m_context.existing->GetLibraries()) {
      for (const SBeanDefinition& bean : library->beans) {
        m_first.emplace(bean.name, SUsed{&bean, library.get()});
      }
    }
  }
  for (const auto& library : m_definitions.GetLibraries()) {
    for (const SBeanDefinition& bean : library->beans) {
      auto [entry, inserted] = m_first.emplace(bean.name, SUsed{&bean, library.get()});
      if (!inserted && m_context.existing != nullptr &&
          m_context.existing->FindDefinition(bean.name) != nullptr) {
        Add(ESeverity::eError, bean, "Overriding bean " + Quoted(bean.name));
        continue;
      }
      if (!inserted) {
        Add(ESeverity::eWarning, bean,
            "Bean " + Quoted(bean.name) + " is defined again; the definition at " +
                entry->second.bean->place.ToString() + " is used");
        continue;
      }
      used.emplace_back(&bean, library.get());
      Describe(bean, *library);
    }
  }
  for (const auto& library : m_definitions.GetLibraries()) {
    if (!library->beans.empty()) MakeWrappers(*library);
  }
  for (const auto& [bean, library] : used) {
    CheckBean(*bean, *library);
  }
  for (const SCycle& cycle : CCycleFinder(m_result.beans).Find()) {
    const SBeanDefinition& bean = *m_first.at(cycle.chain.front()).bean;
    std::string chain;
    for (const std::string& name : cycle.chain) chain += name + " -> ";
    Add(ESeverity::eError, bean, "Circular reference: " + chain + cycle.chain.front());
  }
}

std::unique_ptr<CDynamicLibrary> CConfigurationChecker::TryLoad(
    const std::string& path, const std::vector<std::string>& folders, std::string& failure) {
  try {
    return std::make_unique<CDynamicLibrary>(path.c_str(), folders);
  } catch (const CException& exception) {
    // The loader logged its reason; asked again for the finding (failures only).
    std::string reason;
    Platform::OpenLibrary(path.c_str(), &reason);
    failure = exception.GetMessage() + (reason.empty() ? "" : ": " + reason);
    return nullptr;
  }
}

void CConfigurationChecker::Describe(const SBeanDefinition& bean, const SLibrary& library) {
  SCheckedBean described;
  described.name = bean.name;
  described.className = bean.className;
  described.library = library.path;
  described.singleton = bean.singleton;
  described.lazy = bean.lazy;
  described.exported = bean.exported;
  described.interfaces = bean.providedInterfaces;
  auto link = [&described](const SArgument& argument, const std::string& via) {
    if (argument.type == "bean") {
      described.links.push_back({SBeanLink::eReference, argument.value, via});
    } else if (argument.type == "service") {
      described.links.push_back({SBeanLink::eService, argument.value, via});
    }
  };
  for (const SArgument& argument : bean.constructorArguments) link(argument, "");
  for (const SPropertyDefinition& property : bean.properties) {
    for (const SArgument& argument : property.arguments) link(argument, property.name);
  }
  for (const std::string& name : bean.dependsOn) {
    described.links.push_back({SBeanLink::eDependsOn, name, ""});
  }
  if (!bean.factoryBean.empty()) {
    described.links.push_back({SBeanLink::eFactoryBean, bean.factoryBean, ""});
  }
  described.file = bean.place.IsKnown() ? *bean.place.file : std::string();
  described.line = static_cast<std::uint32_t>(bean.place.line);
  described.column = static_cast<std::uint32_t>(bean.place.column);
  m_result.beans.push_back(std::move(described));
}

void CConfigurationChecker::MakeWrappers(const SLibrary& library) {
  std::string failure;
  std::unique_ptr<CDynamicLibrary> loaded = TryLoad(library.path, library.searchFolders, failure);
  if (loaded == nullptr) {
    const SPlace& at = library.beans.front().place;
    Add(ESeverity::eError, at, at.line, at.column, failure, "");
    return;
  }
  std::map<std::string, std::shared_ptr<IBeanWrapper>> byClass;
  for (const SBeanDefinition& bean : library.beans) {
    if (m_wrappers.count(bean.name) != 0) continue;
    auto known = byClass.find(bean.className);
    if (known != byClass.end()) {
      m_wrappers[bean.name] = known->second;
      continue;
    }
    const std::string makerName = MakeMakerName(bean.className);
    void* maker = FindWrapperMaker(loaded->GetFunction(makerName.c_str()), makerName);
    if (maker == nullptr) {
      Add(ESeverity::eError, bean, NoWrapperMakerMessage(bean.className));
      continue;
    }
    std::shared_ptr<IBeanWrapper> wrapper;
    try {
      wrapper.reset(reinterpret_cast<WrapperMaker>(maker)());
    } catch (...) {
      Add(ESeverity::eError, bean,
          "Wrapper maker of class " + Quoted(bean.className) + " threw an exception");
      continue;
    }
    if (wrapper == nullptr) {
      Add(ESeverity::eError, bean,
          "No wrapper for class " + Quoted(bean.className) + " of bean " + Quoted(bean.name));
    }
    if (wrapper != nullptr) byClass[bean.className] = wrapper;
    m_wrappers[bean.name] = std::move(wrapper);
  }
}

void CConfigurationChecker::CheckBean(const SBeanDefinition& bean, const SLibrary& library) {
  CheckCreation(bean);
  CheckArguments(bean, library, bean.constructorArguments, bean.place.line, bean.place.column,
                 bean.creationMethod);
  auto wrapper = m_wrappers.find(bean.name);
  const IBeanWrapper* own = wrapper != m_wrappers.end() ? wrapper->second.get() : nullptr;
  if (own != nullptr) {
    const std::string& className = bean.className;
    if (!bean.initMethod.empty()) {
      ExpectMethod(*own, bean, bean.initMethod, 0, bean.place.line, bean.place.column, [&] {
        return "Init method of class " + Quoted(className) + " does not exist or is not valid";
      });
    }
    if (!bean.exitMethod.empty()) {
      ExpectMethod(*own, bean, bean.exitMethod, 0, bean.place.line, bean.place.column, [&] {
        return "Exit method " + Quoted(bean.exitMethod) + " of class " + Quoted(className) +
               " does not exist";
      });
    }
  }
  for (const SPropertyDefinition& property : bean.properties) {
    CheckArguments(bean, library, property.arguments, property.line, property.column,
                   property.name);
    if (wrapper == m_wrappers.end() || wrapper->second == nullptr || property.arguments.empty()) {
      continue;
    }
    const std::vector<std::string>* types =
        PropertyTypes(*wrapper->second, bean, property.name, property.arguments.size());
    if (types == nullptr) continue;
    std::string problem;
    for (const std::string& type : *types) {
      if (type.empty()) problem = "missing argument type for property " + Quoted(property.name);
    }
    if (problem.empty()) {
      problem = CBeanConfig::ArgumentMismatch(bean.name, property.name, property.arguments, *types);
    }
    if (!problem.empty()) {
      Add(ESeverity::eError, bean.place, property.line, property.column, problem, bean.name);
    }
  }
  for (const std::string& name : bean.dependsOn) {
    if (m_first.count(name) == 0) {
      Add(ESeverity::eError, bean, "Bean " + Quoted(name) + " requested, but not configured");
    }
  }
  for (const std::string& name : bean.providedInterfaces) {
    if (!IsRegistered(name)) {
      Add(ESeverity::eError, bean, "No type id for class " + Quoted(name) + " registered");
    }
  }
}

void CConfigurationChecker::CheckCreation(const SBeanDefinition& bean) {
  const std::string* creator = &bean.name;  // the bean whose class's wrapper creates this one
  if (!bean.factoryBean.empty()) {
    if (m_first.count(bean.factoryBean) == 0) {
      Add(ESeverity::eError, bean,
          "Factory bean " + Quoted(bean.factoryBean) + " requested, but not configured");
      return;
    }
    creator = &bean.factoryBean;
  }
  auto wrapper = m_wrappers.find(*creator);
  if (wrapper != m_wrappers.end() && wrapper->second != nullptr) {
    const std::size_t count = bean.constructorArguments.size();
    const IBeanWrapper& creating = *wrapper->second;
    const bool declared = ExpectMethod(
        creating, bean, bean.creationMethod, count, bean.place.line, bean.place.column, [&] {
          return "Could not create bean " + Quoted(bean.name) + ": class " +
                 Quoted(creating.GetClassName()) + " has no creation method " +
                 Quoted(bean.creationMethod) + " with " + std::to_string(count) +
                 (count == 1 ? " argument" : " arguments");
        });
    if (!declared) return;
  }
  std::vector<std::string> types;
  if (bean.constructorArguments.empty() || wrapper == m_wrappers.end() ||
      wrapper->second == nullptr ||
      !GetTypes(*wrapper->second, bean, bean.creationMethod, bean.constructorArguments.size(),
                types)) {
    return;
  }
  bool declared = false;
  for (const std::string& type : types) declared = declared || !type.empty();
  if (!declared) {
    Add(ESeverity::eWarning, bean,
        "Creation method " + Quoted(bean.creationMethod) + " with " +
            std::to_string(bean.constructorArguments.size()) +
            (bean.constructorArguments.size() == 1 ? " argument" : " arguments") +
            " is not declared by " +
            "the wrapper of class " + Quoted(wrapper->second->GetClassName()));
    return;
  }
  const std::string mismatch = CBeanConfig::ArgumentMismatch(
      bean.name, bean.creationMethod, bean.constructorArguments, types);
  if (!mismatch.empty()) Add(ESeverity::eError, bean, mismatch);
}

void CConfigurationChecker::CheckArguments(const SBeanDefinition& bean, const SLibrary& library,
                                           const ArgumentList& arguments,
                                           std::int32_t line, std::int32_t column,
                                           const std::string& method) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const SArgument& argument = arguments[i];
    auto add = [&](const std::string& message) {
      Add(ESeverity::eError, bean.place, line, column, message, bean.name);
    };
    if (argument.type == "service") {
      if (!IsRegistered(argument.value)) {
        add("No type id for class " + Quoted(argument.value) + " registered");
      }
    } else if (argument.type == "bean") {
      // A reference into the default factory is resolved there, at run time.
      if (NamesDefaultFactoryBean(argument.value)) {
        const std::string name(ReferencedBeanName(argument.value));
        if (m_context.inDefaultFactory && !m_context.inDefaultFactory(name)) {
          add("Bean " + Quoted(argument.value) + " requested, but not configured in the "
              "default factory");
        }
        continue;
      }
      auto target = m_first.find(argument.value);
      if (target == m_first.end()) {
        add("Bean " + Quoted(argument.value) + " requested, but not configured");
      } else if (!target->second.bean->exported && target->second.library->path != library.path) {
        add("Bean " + Quoted(argument.value) + " shall be exported from library " +
            Quoted(target->second.library->path) + ", but not allowed");
      }
    } else if (CTypeManager::CanonicalTypeName(argument.type.c_str()) == nullptr) {
      add("Unknown value type " + Quoted(argument.type) + " of argument " +
          std::to_string(i + 1) + " of " + Quoted(method));
    } else {
      const std::string problem = CTypeManager::LiteralProblem(argument.type.c_str(), argument.value);
      if (!problem.empty()) {
        add(problem + " in argument " + std::to_string(i + 1) + " of " + Quoted(method));
      }
    }
  }
}

const std::vector<std::string>* CConfigurationChecker::PropertyTypes(IBeanWrapper& wrapper,
                                                                     const SBeanDefinition& bean,
                                                                     const std::string& method,
                                                                     std::size_t count) {
  TypesByCount& known = m_types[&wrapper][method];
  for (const auto& entry : known) {
    if (entry.first == count) return &entry.second;
  }
  std::vector<std::string> types;
  if (!GetTypes(wrapper, bean, method, count, types)) return nullptr;
  // Entries the wrapper did not fill count as empty, as when the bean is configured.
  types.resize(count);
  known.emplace_back(count, std::move(types));
  return &known.back().second;
}

bool CConfigurationChecker::GetTypes(IBeanWrapper& wrapper, const SBeanDefinition& bean,
                                     const std::string& method, std::size_t count,
                                     std::vector<std::string>& types) {
  try {
    wrapper.GetArgumentTypes(method.c_str(), count, types);
    return true;
  } catch (...) {
    Add(ESeverity::eError, bean,
        "The wrapper of class " + Quoted(bean.className) + " threw when asked about " +
            Quoted(method));
    return false;
  }
}

template <class Message>
bool CConfigurationChecker::ExpectMethod(const IBeanWrapper& wrapper, const SBeanDefinition& bean,
                                         const std::string& method, std::size_t count,
                                         std::int32_t line, std::int32_t column,
                                         const Message& message) {
  int declared = -1;
  try {
    declared = wrapper.DeclaresMethod(method.c_str(), count);
  } catch (...) {
    declared = -1;  // a wrapper that cannot answer is not held against the configuration
  }
  if (declared == 0) Add(ESeverity::eError, bean.place, line, column, message(), bean.name);
  return declared != 0;
}

bool CConfigurationChecker::IsRegistered(const std::string& interfaceName) const {
  for (const std::string& name : m_options.interfaces) {
    if (name == interfaceName) return true;
  }
  return CLocalLibrary::GetInstance().HasTypeID(interfaceName.c_str());
}

void CConfigurationChecker::Add(ESeverity severity, const SPlace& place, std::int32_t line,
                                std::int32_t column, const std::string& message,
                                const std::string& bean) {
  SFinding finding;
  finding.file = place.IsKnown() ? *place.file : std::string();
  finding.line = static_cast<std::uint32_t>(line > 0 ? line : 0);
  finding.column = static_cast<std::uint32_t>(column > 0 ? column : 0);
  finding.severity = severity;
  finding.message = message;
  finding.bean = bean;
  m_result.findings.push_back(std::move(finding));
}

}  // namespace Ostrel
