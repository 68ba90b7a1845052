// CConfigurationChecker: checks loaded definition records the way a factory would use
// them, without creating any bean: loads each library that defines beans, finds each
// class's wrapper maker, asks the wrapper for the argument types of every creation method
// and property, and checks references, service and interface names and cycles. Adds a
// finding per problem. One use per object; not thread-safe.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <ostrel/CheckConfiguration.h>
#include <ostrel/IBeanWrapper.h>

#include "beans/CDefinitionSet.h"

namespace Ostrel {

class CDynamicLibrary;

// What a load into a factory adds to the check: the definitions the factory holds
// already, which references may name, and whether the default factory defines a name
// (for "::name" references; unchecked without it).
struct SCheckContext {
  const CDefinitionSet* existing = nullptr;
  std::function<bool(const std::string&)> inDefaultFactory;
};

class CConfigurationChecker {
public:
  CConfigurationChecker(const CDefinitionSet& definitions, const SCheckOptions& options,
                        SCheckResult& result, SCheckContext context = SCheckContext());
  ~CConfigurationChecker();
  CConfigurationChecker(const CConfigurationChecker&) = delete;
  CConfigurationChecker& operator=(const CConfigurationChecker&) = delete;

  // Describes every bean into the result and adds the findings.
  void Run();

  // Loads the library at `path`, looked for in `folders` first as the factory does; null
  // when it does not load, with `failure` set to the load's message and the system's
  // reason.
  static std::unique_ptr<CDynamicLibrary> TryLoad(const std::string& path,
                                                  const std::vector<std::string>& folders,
                                                  std::string& failure);

private:
  void Describe(const SBeanDefinition& bean, const SLibrary& library);
  // Loads `library` and makes the wrapper of each of its beans' classes.
  void MakeWrappers(const SLibrary& library);
  void CheckBean(const SBeanDefinition& bean, const SLibrary& library);
  void CheckCreation(const SBeanDefinition& bean);
  void CheckArguments(const SBeanDefinition& bean, const SLibrary& library,
                      const ArgumentList& arguments, std::int32_t line,
                      std::int32_t column, const std::string& method);
  // The wrapper's types for `method` with `count` arguments; false (reported) when the
  // wrapper threw.
  bool GetTypes(IBeanWrapper& wrapper, const SBeanDefinition& bean, const std::string& method,
                std::size_t count, std::vector<std::string>& types);
  // GetTypes for a property, asked once per wrapper, method and count: the types, as
  // many as `count`; null when the wrapper threw.
  const std::vector<std::string>* PropertyTypes(IBeanWrapper& wrapper, const SBeanDefinition& bean,
                                                const std::string& method, std::size_t count);
  // Adds an error with the text `message()` makes and returns false when the wrapper
  // says it has no `method` taking `count` arguments (wrappers that cannot tell pass).
  template <class Message>
  bool ExpectMethod(const IBeanWrapper& wrapper, const SBeanDefinition& bean,
                    const std::string& method, std::size_t count, std::int32_t line,
                    std::int32_t column, const Message& message);
  bool IsRegistered(const std::string& interfaceName) const;
  void Add(ESeverity severity, const SPlace& place, std::int32_t line, std::int32_t column,
           const std::string& message, const std::string& bean);
  void Add(ESeverity severity, const SBeanDefinition& bean, const std::string& message) {
    Add(severity, bean.place, bean.place.line, bean.place.column, message, bean.name);
  }

  const CDefinitionSet& m_definitions;
  const SCheckOptions& m_options;
  SCheckResult& m_result;
  SCheckContext m_context;
  // The definition of each name that a factory would use: the first, and its library.
  struct SUsed {
    const SBeanDefinition* bean;
    const SLibrary* library;
  };
  std::unordered_map<std::string, SUsed> m_first;
  // The wrapper of each bean's class by bean name; null when the class has none. Beans
  // of one class in one library share it, as they do in a factory.
  std::unordered_map<std::string, std::shared_ptr<IBeanWrapper>> m_wrappers;
  // What PropertyTypes found, by wrapper and method name, then per argument count.
  using TypesByCount = std::vector<std::pair<std::size_t, std::vector<std::string>>>;
  std::unordered_map<const IBeanWrapper*, std::unordered_map<std::string, TypesByCount>> m_types;
};

}  // namespace Ostrel
