#include "CBeanConfig.h"

#include <new>

#include "support/Throw.h"

namespace Ostrel {
namespace {
constexpr const char* kFunction = "Ostrel::CBeanConfig::CBeanConfig";
}  // namespace

PropertyPool& CBeanConfig::GetPropertyPool() {
  // Never destroyed: configurations may be released by other libraries' static
  // destructors after this library's statics are gone.
  static PropertyPool* pool = new PropertyPool(1000);
  return *pool;
}

namespace {
// Created when the library is loaded.
[[maybe_unused]] PropertyPool& s_pool = CBeanConfig::GetPropertyPool();
}  // namespace

CBeanConfig::CBeanConfig(const SBeanDefinition& definition, WrapperMaker maker,
                         SLibrary* library)
    : m_definition(definition), m_maker(maker), m_library(library) {
  if (maker != nullptr) {
    m_prototype.reset(maker());
  }
  m_constructorArguments = definition.constructorArguments;
  m_properties.reserve(definition.properties.size());
  try {
    for (const SPropertyDefinition& property : definition.properties) {
      if (m_prototype == nullptr) {
        OSTREL_THROW(kFunction, "no wrapper for class '" + definition.className +
                                    "' to check the properties of bean '" + definition.name +
                                    "' against");
      }
      std::vector<std::string> types;
      m_prototype->GetArgumentTypes(property.name.c_str(), property.arguments.size(), types);
      std::vector<SArgument> arguments;
      arguments.reserve(property.arguments.size());
      for (std::size_t i = 0; i < property.arguments.size(); ++i) {
        // Entries the wrapper did not fill count as empty.
        if (i >= types.size() || types[i].empty()) {
          OSTREL_THROW(kFunction, "missing argument type for property '" + property.name + "'");
        }
        arguments.push_back(property.arguments[i]);
      }
      PropertyPool& pool = GetPropertyPool();
      void* slot = pool.GetFreeElement();
      try {
        m_properties.push_back(new (slot) CBeanProperty(property.name.c_str(), std::move(arguments)));
      } catch (...) {
        pool.ReturnElement(slot);
        throw;
      }
    }
  } catch (...) {
    ReleaseProperties();
    throw;
  }
}

CBeanConfig::~CBeanConfig() { ReleaseProperties(); }

void CBeanConfig::ReleaseProperties() {
  PropertyPool& pool = GetPropertyPool();
  for (CBeanProperty* property : m_properties) {
    property->~CBeanProperty();
    pool.ReturnElement(property);
  }
  m_properties.clear();
}

std::shared_ptr<const IBeanWrapper> CBeanConfig::CreateWrapper() const {
  if (m_prototype != nullptr) {
    return m_prototype;
  }
  if (m_maker == nullptr) {
    return nullptr;
  }
  return std::shared_ptr<const IBeanWrapper>(m_maker());
}

}  // namespace Ostrel
