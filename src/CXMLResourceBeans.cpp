// The bean element members of CXMLResource: beans, constructor arguments, properties,
// argument values, provided interfaces and dependencies, and the building of a bean's
// configuration from its class's wrapper maker.
#include <cstring>

#include "CLocalLibrary.h"
#include "CXMLResource.h"
#include "CXMLResourceState.h"
#include "ILibrary.h"
#include "platform/TextConversion.h"
#include "platform/Uuid.h"
#include "support/Throw.h"

namespace Ostrel {

using Internal::Substitute;
using Internal::SubstitutionMap;

namespace {

std::string Narrow(const std::wstring& text) { return Platform::WideToUtf8(text); }

std::string NewUuid(const char* function) {
  std::string text;
  if (!Platform::CreateUuidText(text)) {
    OSTREL_THROW(function, "Could not create uuid for unnamed bean");
  }
  return text;
}

// The part after the last ':'.
std::string LastComponent(const std::string& name) {
  std::size_t colon = name.rfind(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

void CXMLResource::parseBeans(const XMLNode& node, SLibrary* library,
                              const SubstitutionMap& variables) {
  Internal::ParseContainer(
      node, {"bean", "service"}, variables,
      [this, library, &variables](const XMLNode& beanNode) {
        SBeanDefinition definition;
        SLibrary* owner = parseBean(beanNode, definition, variables, library, nullptr);
        owner->beans.push_back(std::move(definition));
      },
      [this, library](const XMLNode& loopNode, const SubstitutionMap& passVariables) {
        parseBeans(loopNode, library, passVariables);
      });
}

SLibrary* CXMLResource::parseBean(const XMLNode& node, SBeanDefinition& definition,
                                  const SubstitutionMap& variables, SLibrary* library,
                                  const char* inlineName) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseBean";
  const bool isInline = inlineName != nullptr && inlineName[0] != '\0';
  const char* nameText = isInline ? inlineName : node.GetAttribute("name");
  const char* singletonText = isInline ? "false" : node.GetAttribute("singleton");
  const char* lazyText = isInline ? "true" : node.GetAttribute("lazy");
  const char* exportedText = isInline ? "true" : node.GetAttribute("exported");

  const char* classText = node.GetAttribute("class");
  const char* autonameText = node.GetAttribute("autoname");
  const char* factoryBeanText = node.GetAttribute("factory-bean");
  const char* factoryMethodText = node.GetAttribute("factory-method");
  const char* initMethodText = node.GetAttribute("init-method");
  const char* exitMethodText = node.GetAttribute("exit-method");

  std::string className = Narrow(Substitute(classText, variables));
  if (className.empty()) {
    OSTREL_THROW(kFunction, "Missing class name when parsing type '" +
                                std::string(nameText != nullptr ? nameText : "") + "'");
  }
  SLibrary* owner = library;
  std::size_t at = className.find('@');
  if (at != std::string::npos && at >= 1) {
    owner = GetOrAddLibrary(className.substr(at + 1).c_str());
    className.erase(at);
  }
  definition.className = className;
  definition.name = Narrow(Substitute(nameText, variables));
  definition.singleton = Internal::StringToBool(
      singletonText != nullptr ? Substitute(singletonText, variables) : L"false");
  definition.lazy =
      Internal::StringToBool(lazyText != nullptr ? Substitute(lazyText, variables) : L"true");
  definition.autoname = Internal::StringToBool(
      autonameText != nullptr ? Substitute(autonameText, variables) : L"false");
  definition.exported = Internal::StringToBool(
      exportedText != nullptr ? Substitute(exportedText, variables) : L"true");
  definition.initMethod = Narrow(Substitute(initMethodText, variables));
  definition.exitMethod = Narrow(Substitute(exitMethodText, variables));
  definition.factoryBean = Narrow(Substitute(factoryBeanText, variables));
  definition.creationMethod = LastComponent(
      factoryMethodText != nullptr ? Narrow(Substitute(factoryMethodText, variables))
                                   : definition.className);
  if (definition.name.empty()) {
    definition.name = NewUuid(kFunction);
  }
  if (!definition.lazy) {
    m_state->eagerNames.push_back(definition.name);
  }
  XMLNode constructorArguments = node.GetChild("constructor-arg");
  if (!constructorArguments.IsEmpty()) {
    parseConstructorArguments(constructorArguments, definition, variables, library);
  }
  XMLNode properties = node.GetChild("properties");
  if (!properties.IsEmpty()) {
    parseProperties(properties, definition, variables, library);
  }
  XMLNode provides = node.GetChild("provides");
  if (!provides.IsEmpty()) {
    parseInterfaces(provides, definition, variables);
  }
  XMLNode dependsOn = node.GetChild("depends-on");
  if (!dependsOn.IsEmpty()) {
    int cursor = 0;
    for (XMLNode beanName = dependsOn.GetChild("bean-name", &cursor); !beanName.IsEmpty();
         beanName = dependsOn.GetChild("bean-name", &cursor)) {
      definition.dependsOn.push_back(Narrow(Substitute(beanName.GetText(0), variables)));
    }
  }
  return owner;
}

void CXMLResource::parseConstructorArguments(const XMLNode& node, SBeanDefinition& definition,
                                             const SubstitutionMap& variables,
                                             SLibrary* library) {
  const int count = node.CountChildren("argument");
  if (count == 0) {
    OSTREL_THROW("Ostrel::CXMLResource::parseConstructorArguments",
                 "Error when parsing constructor arguments of bean '" + definition.name +
                     "': There are no arguments");
  }
  int cursor = 0;
  for (XMLNode argumentNode = node.GetChild("argument", &cursor); !argumentNode.IsEmpty();
       argumentNode = node.GetChild("argument", &cursor)) {
    SArgument argument;
    parseArgument(argumentNode, argument, definition, variables, library);
    definition.constructorArguments.push_back(std::move(argument));
  }
}

void CXMLResource::parseProperties(const XMLNode& node, SBeanDefinition& definition,
                                   const SubstitutionMap& variables, SLibrary* library) {
  Internal::ParseContainer(
      node, {"property"}, variables,
      [this, &definition, &variables, library](const XMLNode& propertyNode) {
        parseProperty(propertyNode, definition, variables, library);
      },
      [this, &definition, library](const XMLNode& loopNode, const SubstitutionMap& passVariables) {
        parseProperties(loopNode, definition, passVariables, library);
      });
}

void CXMLResource::parseProperty(const XMLNode& node, SBeanDefinition& definition,
                                 const SubstitutionMap& variables, SLibrary* library) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseProperty";
  const char* name = node.GetAttribute("name");
  if (name == nullptr || name[0] == '\0') {
    OSTREL_THROW(kFunction, "Error when parsing property: There is no valid attribute 'name'");
  }
  SPropertyDefinition property;
  property.name = Narrow(Substitute(name, variables));
  XMLNode arguments = node.GetChild("arguments");
  if (arguments.IsEmpty()) {
    SArgument argument;
    parseArgument(node, argument, definition, variables, library);
    property.arguments.push_back(std::move(argument));
  } else {
    for (int i = 0;; ++i) {
      XMLNode argumentNode = arguments.GetChild("argument", i);
      if (argumentNode.IsEmpty()) break;
      SArgument argument;
      parseArgument(argumentNode, argument, definition, variables, library);
      property.arguments.push_back(std::move(argument));
    }
  }
  if (property.arguments.empty()) {
    OSTREL_THROW(kFunction, "Error when parsing property: Missing arguments");
  }
  definition.properties.push_back(std::move(property));
}

void CXMLResource::parseArgument(const XMLNode& node, SArgument& argument,
                                 const SBeanDefinition& definition,
                                 const SubstitutionMap& variables, SLibrary* library) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseArgument";
  const std::string prefix = "Error when parsing arguments of bean '" + definition.name + "': ";
  XMLNode value = node.GetChild("value");
  if (!value.IsEmpty()) {
    const char* type = value.GetAttribute("type");
    if (type == nullptr) {
      OSTREL_THROW(kFunction, prefix + "Type is not defined");
    }
    argument.type = Narrow(Substitute(type, variables));
    argument.value = Substitute(value.GetText(0), variables);
    return;
  }
  XMLNode reference = node.GetChild("ref");
  if (!reference.IsEmpty()) {
    const char* bean = reference.GetAttribute("bean");
    const char* service = reference.GetAttribute("service");
    if (bean != nullptr && bean[0] != '\0') {
      argument.type = "bean";
      argument.value = Substitute(bean, variables);
    } else if (service != nullptr && service[0] != '\0') {
      argument.type = "service";
      argument.value = Substitute(service, variables);
    } else {
      OSTREL_THROW(kFunction, prefix + "There is no valid reference bean or service name");
    }
    return;
  }
  XMLNode inlineBean = node.GetChild("bean");
  if (!inlineBean.IsEmpty()) {
    std::string uuid = NewUuid(kFunction);
    for (char& c : uuid) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string name = "unnamed bean " + uuid;
    argument.type = "bean";
    argument.value = Platform::Utf8ToWide(name);
    SBeanDefinition inlineDefinition;
    SLibrary* owner = parseBean(inlineBean, inlineDefinition, variables, library, name.c_str());
    owner->beans.push_back(std::move(inlineDefinition));
    return;
  }
  OSTREL_THROW(kFunction, prefix + "There are no arguments");
}

void CXMLResource::parseInterfaces(const XMLNode& node, SBeanDefinition& definition,
                                   const SubstitutionMap& variables) {
  Internal::ParseContainer(
      node, {"interface"}, variables,
      [&definition, &variables](const XMLNode& interfaceNode) {
        std::string name = Narrow(Substitute(interfaceNode.GetText(0), variables));
        if (name.empty()) {
          OSTREL_THROW("Ostrel::CXMLResource::parseInterfaces::<lambda_1>::operator ()",
                       "Error when parsing interface: Missing interface name");
        }
        definition.providedInterfaces.push_back(
            CLocalLibrary::GetInstance().GetTypeID(name.c_str()));
      },
      [](const XMLNode&, const SubstitutionMap&) {});
}

void CXMLResource::processBean(const SBeanDefinition& definition, ILibrary& library,
                               SLibrary& record) {
  const std::string makerName = MakeMakerName(definition.className);
  void* maker = library.GetFunction(makerName.c_str());
  if (maker == nullptr) {
    maker = CLocalLibrary::GetInstance().GetFunction(makerName.c_str());
  }
  if (maker == nullptr) {
    OSTREL_THROW("Ostrel::CXMLResource::processBean",
                 "Getting wrapper maker failed for class '" + definition.className + "'");
  }
  auto config = std::make_unique<CBeanConfig>(
      definition, reinterpret_cast<WrapperMaker>(maker), &record);
  m_state->definitions.GetOrInsert(definition.name)->value = std::move(config);
}

}  // namespace Ostrel
