#include "beans/CBeanConfig.h"

#include <cstring>
#include <new>

#include <ostrel/Logger.h>

#include "beans/CTypeManager.h"
#include "beans/SPlace.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {
constexpr const char* kFunction = "Ostrel::CBeanConfig::CBeanConfig";

// Calls a wrapper maker, traced at Debug level.
IBeanWrapper* MakeWrapper(WrapperMaker maker, const std::string& className) {
  static const Logging::CLogger logger(L"Ostrel");
  if (logger.IsDebugEnabled()) {
    logger.Debug(__FILE__, __LINE__, kFunction, L"Calling the wrapper maker of class '%s'",
                 Platform::Utf8ToWide(className).c_str());
  }
  return maker();
}

// Where a property stands, and what it belongs to, for the place record of a failure;
// worked out only when one is thrown.
SPlace PropertyPlace(const SBeanDefinition& definition, const SPropertyDefinition& property) {
  return SPlace{definition.place.file, property.line, property.column};
}
std::string PropertyContext(const SBeanDefinition& definition,
                            const SPropertyDefinition& property) {
  return Internal::PlaceContext(definition.name, property.name);
}

// The mismatch between the constructor arguments of `definition` and the creation
// method that `wrapper` declares.
std::string CreationMismatch(const SBeanDefinition& definition, IBeanWrapper& wrapper) {
  if (definition.constructorArguments.empty()) {
    return std::string();
  }
  std::vector<std::string> types;
  wrapper.GetArgumentTypes(definition.creationMethod.c_str(),
                           definition.constructorArguments.size(), types);
  return CBeanConfig::ArgumentMismatch(definition.name, definition.creationMethod,
                                       definition.constructorArguments, types);
}
}  // namespace

// The wrapper receives untyped addresses, so a value of another type would be misread.
std::string CBeanConfig::ArgumentMismatch(const std::string& bean, const std::string& method,
                                          const ArgumentList& arguments,
                                          const std::vector<std::string>& types) {
  for (std::size_t i = 0; i < arguments.size() && i < types.size(); ++i) {
    if (arguments[i].type == types[i]) continue;  // the common case, without the look-ups
    const char* configured = CTypeManager::CanonicalTypeName(arguments[i].type.c_str());
    const char* expected = CTypeManager::CanonicalTypeName(types[i].c_str());
    if (configured != nullptr && expected != nullptr && configured != expected) {
      return "Argument " + std::to_string(i + 1) + " of '" + method + "' of bean '" + bean +
             "' is configured as '" + arguments[i].type + "', but the method takes '" + types[i] +
             "'";
    }
  }
  return std::string();
}

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
    m_prototype.reset(MakeWrapper(maker, definition.className));
  }
  // With a factory bean, the factory bean's wrapper creates the instance; it is
  // compared at resolution (FactoryMismatch).
  if (m_prototype != nullptr && definition.factoryBean.empty()) {
    std::string mismatch = CreationMismatch(definition, *m_prototype);
    if (!mismatch.empty()) {
      OSTREL_THROW_AT(kFunction, mismatch, definition.place,
                      Internal::PlaceContext(definition.name));
    }
  }
  m_properties.reserve(definition.properties.size());
  try {
    for (const SPropertyDefinition& property : definition.properties) {
      if (m_prototype == nullptr) {
        OSTREL_THROW_AT(kFunction, "no wrapper for class '" + definition.className +
                                    "' to check the properties of bean '" + definition.name +
                                    "' against",
                        PropertyPlace(definition, property), PropertyContext(definition, property));
      }
      std::vector<std::string> types;
      m_prototype->GetArgumentTypes(property.name.c_str(), property.arguments.size(), types);
      for (std::size_t i = 0; i < property.arguments.size(); ++i) {
        // Entries the wrapper did not fill count as empty.
        if (i >= types.size() || types[i].empty()) {
          OSTREL_THROW_AT(kFunction, "missing argument type for property '" + property.name + "'",
                          PropertyPlace(definition, property),
                          PropertyContext(definition, property));
        }
      }
      std::string mismatch =
          ArgumentMismatch(definition.name, property.name, property.arguments, types);
      if (!mismatch.empty()) {
        OSTREL_THROW_AT(kFunction, mismatch, PropertyPlace(definition, property),
                        PropertyContext(definition, property));
      }
      PropertyPool& pool = GetPropertyPool();
      void* slot = pool.GetFreeElement();
      try {
        m_properties.push_back(new (slot) CBeanProperty(property));
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

const std::string& CBeanConfig::FactoryMismatch(const CBeanConfig& factory) const {
  if (!m_factoryChecked && factory.m_prototype != nullptr) {
    m_factoryMismatch = CreationMismatch(m_definition, *factory.m_prototype);
    m_factoryChecked = true;
  }
  return m_factoryMismatch;
}

std::shared_ptr<const IBeanWrapper> CBeanConfig::CreateWrapper() const {
  if (m_prototype != nullptr) {
    return m_prototype;
  }
  if (m_maker == nullptr) {
    return nullptr;
  }
  return std::shared_ptr<const IBeanWrapper>(MakeWrapper(m_maker, m_definition.className));
}

}  // namespace Ostrel
