// The bean element members of CXMLResource: beans, constructor arguments, properties,
// argument values, provided interfaces and dependencies, and the building of a bean's
// configuration from its class's wrapper maker.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "CLoopPasses.h"
#include "CXMLResourceState.h"
#include "LoaderHelpers.h"
#include "SLoadBudget.h"
#include "libraries/CLocalLibrary.h"
#include "loader/CXMLResource.h"
#include "platform/TextConversion.h"
#include "beans/SPlace.h"
#include "platform/Uuid.h"
#include "support/Throw.h"

namespace Ostrel {

using Internal::Substitute;
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
    const XMLNode& child = node.ChildAt(i);
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
  const SBeanDefinition& added = m_state->definitions.AddDefinition(owner, std::move(definition));
  // Outside includes (a text, or the top file's own definitions, read last) nothing is
  // checked against what follows.
  if (m_state->spans.size() > 1) m_state->NoteRead(added.name);
}

// One step of the walk over a "beans" element: a container ("beans", "properties", or
// a loop pass standing in one), a bean element, or a property element. Frames live on
// the heap, so nesting costs no call stack however deep a configuration goes.
struct CXMLResource::SFrame {
  enum EKind { eBeans, eProperties, eBean, eProperty };
  enum EPart { ePartConstructorArg, ePartProperties, ePartProvides, ePartDependsOn, ePartCount };

  // Definitions and properties keep their arrays in `memory`, the set's.
  SFrame(EKind k, const XMLNode& n, const SubstitutionMap* v, SLibrary* l, std::int64_t r,
         std::pmr::memory_resource* memory)
      : kind(k), node(n), variables(v), library(l), repeats(r), definition(memory),
        property{std::string(), ArgumentList(memory)} {}

  EKind kind;
  XMLNode node;
  const SubstitutionMap* variables;
  SLibrary* library;       // the library the outermost bean element stands in
  std::int64_t repeats;    // how often the enclosing loops will still read this element
  bool nested = false;     // a loop pass or an inline bean: counts as one level
  int stage = 0;
  int child = 0;           // containers: the next child to look at; else a cursor
  // Containers: the loop whose passes are being read.
  std::unique_ptr<Internal::CLoopPasses> loop;
  XMLNode loopNode;
  // Properties and property elements: the bean they belong to.
  SBeanDefinition* bean = nullptr;
  // Bean elements.
  SBeanDefinition definition;
  SLibrary* owner = nullptr;
  XMLNode parts[ePartCount];
  // Property elements.
  SPropertyDefinition property;
  XMLNode arguments;  // the "arguments" child; empty when the element holds one value
};

using SFrame = CXMLResource::SFrame;
using FrameStack = std::vector<std::unique_ptr<SFrame>>;

namespace {

// a * b for counts that only need to be compared with a bound: saturates instead of
// overflowing.
std::int64_t Times(std::int64_t a, std::int64_t b) {
  return b > 0 && a > INT64_MAX / b ? INT64_MAX : a * b;
}

// "bean '<name>', property '<name>'" for a failure while `current` was read.
std::string FailureContext(const FrameStack& stack, const XMLNode& current) {
  const char* tag = current.GetName();
  if (Internal::NameIs(tag, "bean") || Internal::NameIs(tag, "service")) {
    // A bean element whose attributes were being read: its frame may not exist yet.
    const SFrame& top = *stack.back();
    if (top.kind == SFrame::eBean && top.node.GetData() == current.GetData()) {
      return Internal::PlaceContext(top.definition.name);
    }
    const char* name = FirstAttribute(current, "name");
    return Internal::PlaceContext(name != nullptr ? name : "");
  }
  std::string property;
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
    const SFrame& f = **it;
    if (f.kind == SFrame::eProperty && property.empty()) property = f.property.name;
    if (f.kind == SFrame::eBean) return Internal::PlaceContext(f.definition.name, property);
    if (f.bean != nullptr) return Internal::PlaceContext(f.bean->name, property);
  }
  return std::string();
}

}  // namespace

// The walk over one "beans" element: the frames still open, the element being read and
// the load's budget. Each step looks at the innermost frame and either opens a frame
// inside it or finishes and closes it.
struct CXMLResource::SWalk {
  CXMLResource& resource;
  Internal::SLoadBudget& budget;
  FrameStack stack;
  // The element being read, where a failure is reported. A plain pointer: it costs no
  // count, and the document holds every element while the walk runs.
  SXMLNodeData* current;

  void Run() {
    while (!stack.empty()) {
      SFrame& f = *stack.back();
      switch (f.kind) {
        case SFrame::eBeans:
        case SFrame::eProperties:
          if (!StepLoop(f) && !StepContainer(f)) Pop();
          break;
        case SFrame::eBean: StepBean(f); break;
        case SFrame::eProperty: StepProperty(f); break;
      }
    }
  }

  void Push(std::unique_ptr<SFrame> frame) { stack.push_back(std::move(frame)); }
  void Pop() {
    if (stack.back()->nested) budget.LeaveNesting();
    stack.pop_back();
  }
  std::unique_ptr<SFrame> Inside(const SFrame& f, SFrame::EKind kind, const XMLNode& node) {
    return std::make_unique<SFrame>(kind, node, f.variables, f.library, f.repeats, Memory());
  }
  std::pmr::memory_resource* Memory() { return resource.m_state->definitions.GetMemory(); }

  // The next pass of the loop a container is reading, as a container frame of its own;
  // false when no loop is open or its passes are done.
  bool StepLoop(SFrame& f) {
    if (f.loop == nullptr) return false;
    if (!f.loop->Next()) {
      f.loop.reset();
      return false;
    }
    budget.EnterNesting("ParseContainer");
    auto pass = std::make_unique<SFrame>(f.kind, f.loopNode, &f.loop->Variables(), f.library,
                                         Times(f.repeats, f.loop->GetPassesLeft()), Memory());
    pass->nested = true;
    pass->bean = f.bean;
    Push(std::move(pass));
    return true;
  }

  // A container ("beans", "properties", or a loop pass standing in one) reads by kind:
  // every element of the first tag, then of the second, each in document order; then
  // every "for" loop, then every "foreach" loop. Opens the next one; false when none is
  // left.
  bool StepContainer(SFrame& f) {
    static const char* const kBeanTags[] = {"bean", "service"};
    static const char* const kPropertyTags[] = {"property"};
    const bool beans = f.kind == SFrame::eBeans;
    const int tagCount = beans ? 2 : 1;
    const int children = f.node.GetChildCount();
    for (; f.stage < tagCount + 2; ++f.stage, f.child = 0) {
      const bool loops = f.stage >= tagCount;
      const char* tag = !loops                ? (beans ? kBeanTags : kPropertyTags)[f.stage]
                        : f.stage == tagCount ? "for"
                                              : "foreach";
      while (f.child < children) {
        const XMLNode& c = f.node.ChildAt(f.child++);
        if (!Internal::NameIs(c.GetName(), tag)) continue;
        current = c.GetData();
        if (loops) {
          f.loop = std::make_unique<Internal::CLoopPasses>(c, f.stage == tagCount, *f.variables,
                                                          &budget, f.repeats);
          f.loopNode = c;
          if (StepLoop(f)) return true;
          continue;  // a loop without passes
        }
        auto frame = Inside(f, beans ? SFrame::eBean : SFrame::eProperty, c);
        if (beans) {
          frame->owner = resource.parseBean(c, frame->definition, *f.variables, f.library,
                                            nullptr, frame->parts, budget);
        } else {
          frame->bean = f.bean;
          resource.parseProperty(c, frame->property, frame->arguments, *f.variables, budget);
        }
        Push(std::move(frame));
        return true;
      }
    }
    return false;
  }

  // One value of `f` read into `arguments`; an inline bean in it is opened to be read
  // before the next value. False when `argumentNode` is empty.
  bool ReadArgument(SFrame& f, const XMLNode& argumentNode, const SBeanDefinition& bean,
                    ArgumentList& arguments) {
    if (argumentNode.IsEmpty()) return false;
    current = argumentNode.GetData();
    std::string inlineName;
    SArgument argument;
    XMLNode inlineNode =
        resource.parseArgument(argumentNode, argument, bean, *f.variables, budget, inlineName);
    arguments.push_back(std::move(argument));
    if (!inlineNode.IsEmpty()) {
      current = inlineNode.GetData();
      budget.EnterNesting("Ostrel::CXMLResource::parseArgument");
      auto frame = Inside(f, SFrame::eBean, inlineNode);
      frame->nested = true;
      frame->owner = resource.parseBean(inlineNode, frame->definition, *f.variables, f.library,
                                        inlineName.c_str(), frame->parts, budget);
      Push(std::move(frame));
    }
    return true;
  }

  // A bean element: its constructor arguments one by one, then its properties as a
  // container, then its interfaces and dependencies; then the definition is added.
  void StepBean(SFrame& f) {
    XMLNode& constructorArg = f.parts[SFrame::ePartConstructorArg];
    if (f.stage == 0) {
      f.stage = 1;
      if (!constructorArg.IsEmpty()) {
        current = constructorArg.GetData();
        resource.parseConstructorArguments(constructorArg, f.definition);
      }
    }
    if (f.stage == 1) {
      if (!constructorArg.IsEmpty() &&
          ReadArgument(f, constructorArg.GetChild("argument", &f.child), f.definition,
                       f.definition.constructorArguments)) {
        return;
      }
      f.stage = 2;
      const XMLNode& properties = f.parts[SFrame::ePartProperties];
      if (!properties.IsEmpty()) {
        f.definition.properties.reserve(static_cast<std::size_t>(properties.GetChildCount()));
        auto frame = Inside(f, SFrame::eProperties, properties);
        frame->bean = &f.definition;
        Push(std::move(frame));
        return;
      }
    }
    if (!f.parts[SFrame::ePartProvides].IsEmpty()) {
      current = f.parts[SFrame::ePartProvides].GetData();
      resource.parseInterfaces(f.parts[SFrame::ePartProvides], f.definition, *f.variables, budget);
    }
    const XMLNode& dependsOn = f.parts[SFrame::ePartDependsOn];
    if (!dependsOn.IsEmpty()) {
      current = dependsOn.GetData();
      int cursor = 0;
      for (XMLNode beanName = dependsOn.GetChild("bean-name", &cursor); !beanName.IsEmpty();
           beanName = dependsOn.GetChild("bean-name", &cursor)) {
        budget.AddItem("Ostrel::CXMLResource::parseBean");
        f.definition.dependsOn.push_back(Substitute(beanName.GetText(0), *f.variables, &budget));
      }
    }
    resource.AddDefinition(*f.owner, std::move(f.definition));
    Pop();
  }

  // A property element: its values one by one (without "arguments" the element itself
  // holds the one value); then the property is added to its bean.
  void StepProperty(SFrame& f) {
    XMLNode argumentNode;
    if (f.arguments.IsEmpty()) {
      if (f.stage++ == 0) argumentNode = f.node;
    } else {
      argumentNode = f.arguments.GetChild("argument", &f.child);
    }
    if (ReadArgument(f, argumentNode, *f.bean, f.property.arguments)) return;
    if (f.property.arguments.empty()) {
      current = f.node.GetData();
      OSTREL_THROW("Ostrel::CXMLResource::parseProperty",
                   "Error when parsing property: Missing arguments");
    }
    f.bean->properties.push_back(std::move(f.property));
    Pop();
  }
};

void CXMLResource::parseBeans(const XMLNode& node, SLibrary* library,
                              const SubstitutionMap& variables, Internal::SLoadBudget& budget) {
  SWalk walk{*this, budget, FrameStack(), node.GetData()};
  walk.Push(std::make_unique<SFrame>(SFrame::eBeans, node, &variables, library, 1,
                                     m_state->definitions.GetMemory()));
  try {
    walk.Run();
  } catch (CException& e) {
    const XMLNode element(walk.current);
    Internal::ReportPlace(e, SPlace{m_state->file, element.GetLine(), element.GetColumn()},
                          FailureContext(walk.stack, element));
    throw;
  }
}

SLibrary* CXMLResource::parseBean(const XMLNode& node, SBeanDefinition& definition,
                                  const SubstitutionMap& variables, SLibrary* library,
                                  const char* inlineName, XMLNode (&parts)[4],
                                  Internal::SLoadBudget& budget) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseBean";
  budget.AddDefinition(kFunction);
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
  auto substitute = [&variables, &budget](const char* text) {
    return Substitute(text, variables, &budget);
  };

  std::string className = substitute(values[eClass]);
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
  auto flag = [&substitute](const char* text, bool missing) {
    return text != nullptr ? Internal::StringToBool(substitute(text)) : missing;
  };
  definition.name = substitute(nameText);
  definition.singleton = flag(singletonText, false);
  definition.lazy = flag(lazyText, true);
  definition.autoname = flag(values[eAutoname], false);
  definition.exported = flag(exportedText, true);
  definition.initMethod = substitute(values[eInitMethod]);
  definition.exitMethod = substitute(values[eExitMethod]);
  definition.factoryBean = substitute(values[eFactoryBean]);
  definition.creationMethod = LastComponent(
      values[eFactoryMethod] != nullptr ? substitute(values[eFactoryMethod]) : className);
  definition.className = std::move(className);
  if (definition.name.empty()) {
    definition.name = NewUuid(kFunction);
  }
  definition.place = SPlace{m_state->file, node.GetLine(), node.GetColumn()};
  if (!definition.lazy) {
    m_state->definitions.AddEager(definition.name);
  }
  // The parts of a bean, read in this order by the walk; the first child of each name
  // counts.
  static const char* const kParts[] = {"constructor-arg", "properties", "provides",
                                       "depends-on"};
  const int childCount = node.GetChildCount();
  for (int i = 0; i < childCount; ++i) {
    const XMLNode& child = node.ChildAt(i);
    for (int k = 0; k < 4; ++k) {
      if (Internal::NameIs(child.GetName(), kParts[k])) {
        if (parts[k].IsEmpty()) parts[k] = child;
        break;
      }
    }
  }
  return owner;
}

void CXMLResource::parseConstructorArguments(const XMLNode& node, SBeanDefinition& definition) {
  int count = 0;
  for (int i = 0; i < node.GetChildCount(); ++i) {
    count += Internal::NameIs(node.ChildAt(i).GetName(), "argument") ? 1 : 0;
  }
  if (count == 0) {
    OSTREL_THROW("Ostrel::CXMLResource::parseConstructorArguments",
                 "Error when parsing constructor arguments of bean '" + definition.name +
                     "': There are no arguments");
  }
  definition.constructorArguments.reserve(static_cast<std::size_t>(count));
}

void CXMLResource::parseProperty(const XMLNode& node, SPropertyDefinition& property,
                                 XMLNode& arguments, const SubstitutionMap& variables,
                                 Internal::SLoadBudget& budget) {
  budget.AddItem("Ostrel::CXMLResource::parseProperty");
  const char* name = FirstAttribute(node, "name");
  if (name == nullptr || name[0] == '\0') {
    OSTREL_THROW("Ostrel::CXMLResource::parseProperty",
                 "Error when parsing property: There is no valid attribute 'name'");
  }
  property.name = Substitute(name, variables, &budget);
  property.line = node.GetLine();
  property.column = node.GetColumn();
  arguments = FirstChild(node, "arguments");
  if (arguments.IsEmpty()) property.arguments.reserve(1);
}

XMLNode CXMLResource::parseArgument(const XMLNode& node, SArgument& argument,
                                    const SBeanDefinition& definition,
                                    const SubstitutionMap& variables,
                                    Internal::SLoadBudget& budget, std::string& inlineName) {
  constexpr const char* kFunction = "Ostrel::CXMLResource::parseArgument";
  budget.AddItem(kFunction);
  auto prefix = [&definition] {
    return "Error when parsing arguments of bean '" + definition.name + "': ";
  };
  // The first "value" child, else the first "ref", else the first "bean".
  XMLNode value;
  XMLNode reference;
  XMLNode inlineBean;
  const int children = node.GetChildCount();
  for (int i = 0; i < children; ++i) {
    const XMLNode& child = node.ChildAt(i);
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
    argument.type = Substitute(type, variables, &budget);
    argument.value = Substitute(value.GetText(0), variables, &budget);
    return XMLNode();
  }
  if (!reference.IsEmpty()) {
    const char* bean = FirstAttribute(reference, "bean");
    const char* service = FirstAttribute(reference, "service");
    if (bean != nullptr && bean[0] != '\0') {
      argument.type = "bean";
      argument.value = Substitute(bean, variables, &budget);
    } else if (service != nullptr && service[0] != '\0') {
      argument.type = "service";
      argument.value = Substitute(service, variables, &budget);
    } else {
      OSTREL_THROW(kFunction, prefix() + "There is no valid reference bean or service name");
    }
    return XMLNode();
  }
  if (!inlineBean.IsEmpty()) {
    // An anonymous prototype, named here and read by the walk before the next argument.
    std::string uuid = NewUuid(kFunction);
    for (char& c : uuid) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    inlineName = "unnamed bean " + uuid;
    argument.type = "bean";
    argument.value = inlineName;
    return inlineBean;
  }
  OSTREL_THROW(kFunction, prefix() + "There are no arguments");
}

void CXMLResource::parseInterfaces(const XMLNode& node, SBeanDefinition& definition,
                                   const SubstitutionMap& variables,
                                   Internal::SLoadBudget& budget) {
  // Interfaces in document order; loops standing here are checked, but read nothing.
  const int children = node.GetChildCount();
  for (int i = 0; i < children; ++i) {
    const XMLNode& child = node.ChildAt(i);
    if (!Internal::NameIs(child.GetName(), "interface")) continue;
    budget.AddItem("Ostrel::CXMLResource::parseInterfaces");
    std::string name = Substitute(child.GetText(0), variables, &budget);
    if (name.empty()) {
      OSTREL_THROW("Ostrel::CXMLResource::parseInterfaces::<lambda_1>::operator ()",
                   "Error when parsing interface: Missing interface name");
    }
    definition.providedInterfaces.push_back(m_state->interfaces == EInterfaces::eNames
                                                ? name
                                                : CLocalLibrary::GetInstance().GetTypeID(name.c_str()));
  }
  for (const char* loop : {"for", "foreach"}) {
    for (int i = 0; i < children; ++i) {
      const XMLNode& child = node.ChildAt(i);
      if (Internal::NameIs(child.GetName(), loop)) {
        Internal::CLoopPasses(child, loop[3] == '\0', variables, nullptr);
      }
    }
  }
}

}  // namespace Ostrel
