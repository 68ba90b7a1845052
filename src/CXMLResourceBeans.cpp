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
using Internal::SubstituteUtf8;
using Internal::SubstitutionMap;

namespace {

std::string NewUuid(const char* function) {
  std::string text;
  if (!Platform::CreateUuidText(text)) {
    OSTREL_THROW(function, "Could not create uuid for unnamed bean");
  }
  return text;
}

// The first child called `lower` (as XMLNode::GetChild finds it), or the empty node.
XMLNode FirstChild(const XMLNode& node, const char* lower) {
  const int count = node.GetChildCount();
  for (int i = 0; i < count; ++i) {
    XMLNode child = node.GetChildAt(i);
    if (Internal::NameIs(child.GetName(), lower)) return child;
  }
  return XMLNode();
}

// The value of the first attribute called `lower` (as XMLNode::GetAttribute finds it).
const char* FirstAttribute(const XMLNode& node, const char* lower) {
  const int count = node.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const SXMLAttribute* attribute = node.GetAttributeAt(i);
    if (Internal::NameIs(attribute->name, lower)) return attribute->value;
  }
  return nullptr;
}

enum EBeanAttribute {
  eName, eClass, eSingleton, eLazy, eExported, eAutoname, eInitMethod, eExitMethod,
  eFactoryBean, eFactoryMethod, eBeanAttributeCount
};

// Which bean attribute `name` is, or -1.
int BeanAttribute(const char* name) {
  if (name == nullptr) return -1;
  using Internal::NameIs;
  switch (name[0] | 0x20) {  // ASCII letters in lower case; NameIs checks the rest
    case 'n': return NameIs(name, "name") ? eName : -1;
    case 'c': return NameIs(name, "class") ? eClass : -1;
    case 's': return NameIs(name, "singleton") ? eSingleton : -1;
    case 'l': return NameIs(name, "lazy") ? eLazy : -1;
    case 'a': return NameIs(name, "autoname") ? eAutoname : -1;
    case 'i': return NameIs(name, "init-method") ? eInitMethod : -1;
    case 'e':
      return NameIs(name, "exported") ? eExported : NameIs(name, "exit-method") ? eExitMethod : -1;
    case 'f':
      return NameIs(name, "factory-bean")     ? eFactoryBean
             : NameIs(name, "factory-method") ? eFactoryMethod
                                               : -1;
    default: return -1;
  }
}

// The part after the last ':'.
std::string LastComponent(const std::string& name) {
  std::size_t colon = name.rfind(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

void CXMLResource::AddDefinition(SLibrary& owner, SBeanDefinition&& definition) {
  owner.beans.push_back(std::move(definition));
}

void CXMLResource::parseBeans(const XMLNode& node, SLibrary* library,
                              const SubstitutionMap& variables) {
  Internal::ParseContainer(
      node, {"bean", "service"}, variables,
      [this, library, &variables](const XMLNode& beanNode) {
        SBeanDefinition definition;
        SLibrary* owner = parseBean(beanNode, definition, variables, library, nullptr);
        AddDefinition(*owner, std::move(definition));
      },
      [this, library](const XMLNode& loopNode, const SubstitutionMap& passVariables) {
        parseBeans(loopNode, library, passVariables);
      });
}

SLibrary* CXMLResource::parseBean(const XMLNode& node, SBeanDefinition& definition,
                                  const SubstitutionMap& variables, SLibrary* library,
                                  const char* inlineName) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseBean";
  // The attributes in one pass; as with XMLNode::GetAttribute, the first of a name
  // counts, and one written without value counts as missing.
  const char* values[eBeanAttributeCount] = {};
  bool seen[eBeanAttributeCount] = {};
  const int attributeCount = node.GetAttributeCount();
  for (int i = 0; i < attributeCount; ++i) {
    const SXMLAttribute* attribute = node.GetAttributeAt(i);
    const int k = BeanAttribute(attribute->name);
    if (k >= 0 && !seen[k]) {
      seen[k] = true;
      values[k] = attribute->value;
    }
  }
  const bool isInline = inlineName != nullptr && inlineName[0] != '\0';
  const char* nameText = isInline ? inlineName : values[eName];
  const char* singletonText = isInline ? "false" : values[eSingleton];
  const char* lazyText = isInline ? "true" : values[eLazy];
  const char* exportedText = isInline ? "true" : values[eExported];

  std::string className = SubstituteUtf8(values[eClass], variables);
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
  auto flag = [&variables](const char* text, bool missing) {
    return text != nullptr ? Internal::StringToBool(SubstituteUtf8(text, variables)) : missing;
  };
  definition.name = SubstituteUtf8(nameText, variables);
  definition.singleton = flag(singletonText, false);
  definition.lazy = flag(lazyText, true);
  definition.autoname = flag(values[eAutoname], false);
  definition.exported = flag(exportedText, true);
  definition.initMethod = SubstituteUtf8(values[eInitMethod], variables);
  definition.exitMethod = SubstituteUtf8(values[eExitMethod], variables);
  definition.factoryBean = SubstituteUtf8(values[eFactoryBean], variables);
  definition.creationMethod = LastComponent(
      values[eFactoryMethod] != nullptr ? SubstituteUtf8(values[eFactoryMethod], variables)
                                        : className);
  definition.className = std::move(className);
  if (definition.name.empty()) {
    definition.name = NewUuid(kFunction);
  }
  if (!definition.lazy) {
    m_state->eagerNames.push_back(definition.name);
  }
  // The parts of a bean in their fixed order; the first child of each name counts.
  enum { eConstructorArg, eProperties, eProvides, eDependsOn, ePartCount };
  static const char* const kParts[ePartCount] = {"constructor-arg", "properties", "provides",
                                                 "depends-on"};
  XMLNode parts[ePartCount];
  const int childCount = node.GetChildCount();
  for (int i = 0; i < childCount; ++i) {
    XMLNode child = node.GetChildAt(i);
    for (int k = 0; k < ePartCount; ++k) {
      if (Internal::NameIs(child.GetName(), kParts[k])) {
        if (parts[k].IsEmpty()) parts[k] = child;
        break;
      }
    }
  }
  if (!parts[eConstructorArg].IsEmpty()) {
    parseConstructorArguments(parts[eConstructorArg], definition, variables, library);
  }
  if (!parts[eProperties].IsEmpty()) {
    definition.properties.reserve(static_cast<std::size_t>(parts[eProperties].GetChildCount()));
    parseProperties(parts[eProperties], definition, variables, library);
  }
  if (!parts[eProvides].IsEmpty()) {
    parseInterfaces(parts[eProvides], definition, variables);
  }
  if (!parts[eDependsOn].IsEmpty()) {
    int cursor = 0;
    const XMLNode& dependsOn = parts[eDependsOn];
    for (XMLNode beanName = dependsOn.GetChild("bean-name", &cursor); !beanName.IsEmpty();
         beanName = dependsOn.GetChild("bean-name", &cursor)) {
      definition.dependsOn.push_back(SubstituteUtf8(beanName.GetText(0), variables));
    }
  }
  return owner;
}

void CXMLResource::parseConstructorArguments(const XMLNode& node, SBeanDefinition& definition,
                                             const SubstitutionMap& variables,
                                             SLibrary* library) {
  int count = 0;
  for (int i = 0; i < node.GetChildCount(); ++i) {
    count += Internal::NameIs(node.GetChildAt(i).GetName(), "argument") ? 1 : 0;
  }
  if (count == 0) {
    OSTREL_THROW("Ostrel::CXMLResource::parseConstructorArguments",
                 "Error when parsing constructor arguments of bean '" + definition.name +
                     "': There are no arguments");
  }
  definition.constructorArguments.reserve(static_cast<std::size_t>(count));
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
  const char* name = FirstAttribute(node, "name");
  if (name == nullptr || name[0] == '\0') {
    OSTREL_THROW(kFunction, "Error when parsing property: There is no valid attribute 'name'");
  }
  SPropertyDefinition property;
  property.name = SubstituteUtf8(name, variables);
  XMLNode arguments = FirstChild(node, "arguments");
  if (arguments.IsEmpty()) {
    property.arguments.reserve(1);
    SArgument argument;
    parseArgument(node, argument, definition, variables, library);
    property.arguments.push_back(std::move(argument));
  } else {
    int cursor = 0;
    for (XMLNode argumentNode = arguments.GetChild("argument", &cursor); !argumentNode.IsEmpty();
         argumentNode = arguments.GetChild("argument", &cursor)) {
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
  auto prefix = [&definition] {
    return "Error when parsing arguments of bean '" + definition.name + "': ";
  };
  // The first "value" child, else the first "ref", else the first "bean".
  XMLNode value;
  XMLNode reference;
  XMLNode inlineBean;
  const int children = node.GetChildCount();
  for (int i = 0; i < children; ++i) {
    XMLNode child = node.GetChildAt(i);
    const char* name = child.GetName();
    if (Internal::NameIs(name, "value")) {
      value = child;
      break;
    }
    if (reference.IsEmpty() && Internal::NameIs(name, "ref")) {
      reference = child;
    } else if (inlineBean.IsEmpty() && Internal::NameIs(name, "bean")) {
      inlineBean = child;
    }
  }
  if (!value.IsEmpty()) {
    const char* type = FirstAttribute(value, "type");
    if (type == nullptr) {
      OSTREL_THROW(kFunction, prefix() + "Type is not defined");
    }
    argument.type = SubstituteUtf8(type, variables);
    argument.value = Substitute(value.GetText(0), variables);
    return;
  }
  if (!reference.IsEmpty()) {
    const char* bean = FirstAttribute(reference, "bean");
    const char* service = FirstAttribute(reference, "service");
    if (bean != nullptr && bean[0] != '\0') {
      argument.type = "bean";
      argument.value = Substitute(bean, variables);
    } else if (service != nullptr && service[0] != '\0') {
      argument.type = "service";
      argument.value = Substitute(service, variables);
    } else {
      OSTREL_THROW(kFunction, prefix() + "There is no valid reference bean or service name");
    }
    return;
  }
  if (!inlineBean.IsEmpty()) {
    std::string uuid = NewUuid(kFunction);
    for (char& c : uuid) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string name = "unnamed bean " + uuid;
    argument.type = "bean";
    argument.value = Platform::Utf8ToWide(name);
    SBeanDefinition inlineDefinition;
    SLibrary* owner = parseBean(inlineBean, inlineDefinition, variables, library, name.c_str());
    AddDefinition(*owner, std::move(inlineDefinition));
    return;
  }
  OSTREL_THROW(kFunction, prefix() + "There are no arguments");
}

void CXMLResource::parseInterfaces(const XMLNode& node, SBeanDefinition& definition,
                                   const SubstitutionMap& variables) {
  Internal::ParseContainer(
      node, {"interface"}, variables,
      [&definition, &variables](const XMLNode& interfaceNode) {
        std::string name = SubstituteUtf8(interfaceNode.GetText(0), variables);
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
                               SLibrary& record,
                               CbMap<std::string, std::pair<std::string, void*>>& libraryMakers) {
  // Beans of one class share the look-up in the library (a symbol search each time);
  // the local library is asked every time, as it may change.
  bool inserted = false;
  auto* cached = libraryMakers.GetOrInsert(definition.className, &inserted);
  if (inserted) {
    cached->value.first = MakeMakerName(definition.className);
    cached->value.second = library.GetFunction(cached->value.first.c_str());
  }
  const std::string& makerName = cached->value.first;
  void* maker = cached->value.second;
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
