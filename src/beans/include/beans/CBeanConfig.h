// CBeanConfig: a bean definition bound to its class: the definition (referred to, not
// copied: it must outlive the configuration), the prototype wrapper that the class's
// maker returned, and the properties validated against the wrapper's argument types.
// Built once per bean when its library is first needed; neither copied nor moved
// afterwards. Built, and its FactoryMismatch answer kept, under the owning factory's lock;
// the rest never changes afterwards and is read without that lock while beans are made.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <ostrel/IBeanWrapper.h>

#include "beans/CBeanProperty.h"
#include "beans/SBeanDefinition.h"
#include "support/CbPlexManager.h"

namespace Ostrel {

struct SLibrary;

using PropertyPool = CbPlexManager<CBeanProperty, 1, 0, unsigned int>;

class CBeanConfig {
public:
  // Calls `maker` once and keeps its wrapper as the prototype. Throws CException
  // "missing argument type for property '<name>'" when the wrapper names no type for
  // an argument of a property, when the maker returned no wrapper although the
  // definition has properties to check, and when the configured type of a property or
  // constructor argument differs from the type the wrapper declares for it.
  CBeanConfig(const SBeanDefinition& definition, WrapperMaker maker, SLibrary* library);
  CBeanConfig(SBeanDefinition&& definition, WrapperMaker maker, SLibrary* library) = delete;
  ~CBeanConfig();
  CBeanConfig(const CBeanConfig&) = delete;
  CBeanConfig& operator=(const CBeanConfig&) = delete;

  // The prototype wrapper, shared; without one, a new wrapper from the maker (which
  // may be empty).
  std::shared_ptr<const IBeanWrapper> CreateWrapper() const;

  const SBeanDefinition& GetDefinition() const { return m_definition; }
  const std::vector<CBeanProperty*>& GetProperties() const { return m_properties; }
  const ArgumentList& GetConstructorArguments() const {
    return m_definition.constructorArguments;
  }
  SLibrary* GetLibrary() const { return m_library; }
  WrapperMaker GetMaker() const { return m_maker; }
  bool HasPrototype() const { return m_prototype != nullptr; }

  // The first constructor argument whose type differs from the creation method of the
  // factory bean configured by `factory`, described; "" when none does or `factory`
  // has no prototype. Compared at the first call, kept for later ones.
  const std::string& FactoryMismatch(const CBeanConfig& factory) const;

  // The first of `arguments` of `method` whose configured type differs from the type the
  // wrapper declares for it in `types`, described ("Argument <n> of '<method>' of bean
  // '<bean>' is configured as ..."); "" when none does. Empty and unknown type names are
  // not compared.
  static std::string ArgumentMismatch(const std::string& bean, const std::string& method,
                                      const ArgumentList& arguments,
                                      const std::vector<std::string>& types);

  // The process-wide pool of properties (first block 1000, growing by half).
  static PropertyPool& GetPropertyPool();

private:
  void ReleaseProperties();

  const SBeanDefinition& m_definition;
  std::shared_ptr<IBeanWrapper> m_prototype;
  WrapperMaker m_maker;
  std::vector<CBeanProperty*> m_properties;
  SLibrary* m_library;
  // The outcome of FactoryMismatch; written under the owning factory's lock.
  mutable bool m_factoryChecked = false;
  mutable std::string m_factoryMismatch;
};

}  // namespace Ostrel
