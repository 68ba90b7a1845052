#include "CXMLResource.h"

#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "CDynamicLibrary.h"
#include "CXMLResourceState.h"
#include "CServiceConfig.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {

namespace {

constexpr const char* kConstructor = "Ostrel::CXMLResource::CXMLResource";

std::string ParseErrorText(const SXMLResults& results) {
  std::string text = "Error when parssing 'ostrel'";
  if (results.line != 0) {
    text += " at line " + std::to_string(results.line) + ", column " + std::to_string(results.column);
  }
  return text + ".";
}

// The folder part of a path, with its separator; empty when there is none.
std::wstring Directory(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A name that is the same for every spelling of one existing file.
std::string CanonicalName(const std::wstring& path) {
  std::string narrow = Platform::WideToUtf8(path);
  char buffer[PATH_MAX];
  if (realpath(narrow.c_str(), buffer) != nullptr) {
    return buffer;
  }
  return narrow;
}

// A number read as StringToInt reads it, or `fallback` where StringToInt would throw.
long long EstimateNumber(const char* text, long long fallback) {
  if (text == nullptr) return fallback;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return end == text || value < INT32_MIN || value > INT32_MAX ? fallback : value;
}

// How many bean definitions a container is likely to produce (capped; a hint for
// reserving room, never an error: the container is read properly afterwards).
std::size_t EstimateBeans(const XMLNode& container, int depth) {
  constexpr std::size_t kCap = std::size_t{1} << 17;
  std::size_t count = 0;
  const int children = container.GetChildCount();
  for (int i = 0; i < children && count < kCap; ++i) {
    XMLNode child = container.GetChildAt(i);
    const char* name = child.GetName();
    if (Internal::NameIs(name, "bean") || Internal::NameIs(name, "service")) {
      ++count;
    } else if (depth < 4 && Internal::NameIs(name, "for")) {
      const long long first = EstimateNumber(child.GetAttribute("first"), 0);
      const long long last = EstimateNumber(child.GetAttribute("last"), -1);
      const long long inc = EstimateNumber(child.GetAttribute("inc"), 1);
      if (inc > 0 && first <= last) {
        const long long passes = (last - first) / inc + 1;
        count += static_cast<std::size_t>(std::min<long long>(passes, kCap)) *
                 EstimateBeans(child, depth + 1);
      }
    } else if (depth < 4 && Internal::NameIs(name, "foreach")) {
      const char* set = child.GetAttribute("set");
      std::size_t passes = 1;
      for (const char* p = set; p != nullptr && *p != '\0'; ++p) passes += *p == '|';
      count += passes * EstimateBeans(child, depth + 1);
    }
  }
  return std::min(count, kCap);
}

CServiceConfig* AsServiceConfig(const std::shared_ptr<ITypeRegistration>& registration) {
  return dynamic_cast<CServiceConfig*>(registration.get());
}

}  // namespace

CXMLResource::CXMLResource(IBeanFactory& factory) : m_state(new SState(factory)) {}

CXMLResource::CXMLResource(IBeanFactory& factory, const char* xml) : m_state(new SState(factory)) {
  if (xml == nullptr) {
    OSTREL_THROW(kConstructor, "No XML text given");
  }
  if (xml[0] == '\0') {
    return;
  }
  SXMLResults results{};
  XMLNode root = XMLNode::ParseString(xml, "ostrel", &results);
  if (results.code != 0) {
    OSTREL_THROW(kConstructor, "Error when parsing xml: " + ParseErrorText(results));
  }
  Internal::SLoadBudget budget;
  parseLibrary(root, budget);
  m_state->namesStale = true;
}

CXMLResource::CXMLResource(IBeanFactory& factory, const wchar_t* file)
    : m_state(new SState(factory)) {
  if (file == nullptr) {
    OSTREL_THROW(kConstructor, "No file name given");
  }
  LoadFile(file);
}

CXMLResource::~CXMLResource() = default;

namespace {

// A file being read: its parsed document, where its include elements stand, and the
// resource its own definitions go to (null: the resource being loaded).
struct SIncludeFrame {
  std::unique_ptr<CXMLResource> resource;
  XMLNode root;
  std::wstring file;
  std::wstring directory;
  std::string canonical;
  int cursor = 0;
};

}  // namespace

void CXMLResource::LoadFile(const std::wstring& top) {
  Internal::SLoadBudget budget;
  std::vector<SIncludeFrame> open;
  auto read = [&open, &budget](const std::wstring& file) {
    const std::string narrowPath = Platform::WideToUtf8(file);
    std::string canonical = CanonicalName(file);
    for (const SIncludeFrame& including : open) {
      if (including.canonical == canonical) {
        OSTREL_THROW(kConstructor, "Include cycle detected: '" + narrowPath + "'");
      }
    }
    budget.AddFile(kConstructor);
    SXMLResults results{};
    XMLNode root = XMLNode::ParseFile(file.c_str(), "ostrel", &results);
    if (results.code == 12) {
      OSTREL_THROW(kConstructor, "File not found: " + narrowPath);
    }
    if (results.code != 0) {
      OSTREL_THROW(kConstructor,
                   "Error when parsing file: " + narrowPath + "' - " + ParseErrorText(results));
    }
    SIncludeFrame frame;
    frame.root = root;
    frame.file = file;
    frame.directory = Directory(file);
    frame.canonical = std::move(canonical);
    open.push_back(std::move(frame));
  };
  read(top);
  while (!open.empty()) {
    SIncludeFrame& frame = open.back();
    XMLNode include = frame.root.GetChild("include", &frame.cursor);
    if (!include.IsEmpty()) {
      const char* path = include.GetAttribute("path");
      if (path == nullptr || path[0] == '\0') {
        OSTREL_THROW(kConstructor, "Missing argument 'path' in include tag");
      }
      std::wstring relative = Platform::Utf8ToWide(path);
      std::replace(relative.begin(), relative.end(), L'\\', L'/');
      read(frame.directory + relative);
      open.back().resource = std::make_unique<CXMLResource>(*m_state->factory);
      continue;
    }
    CXMLResource& target = frame.resource != nullptr ? *frame.resource : *this;
    target.m_state->path = frame.file;
    target.parseLibrary(frame.root, budget);
    target.m_state->namesStale = true;
    std::unique_ptr<CXMLResource> done = std::move(frame.resource);
    open.pop_back();
    if (done != nullptr) {
      SIncludeFrame& including = open.back();
      (including.resource != nullptr ? *including.resource : *this).Integrate(*done);
    }
  }
}

void CXMLResource::parseLibrary(const XMLNode& root, Internal::SLoadBudget& budget) {
  int cursor = 0;
  for (XMLNode library = root.GetChild("library", &cursor); !library.IsEmpty();
       library = root.GetChild("library", &cursor)) {
    const char* path = library.GetAttribute("path");
    if (path == nullptr || path[0] == '\0') {
      OSTREL_THROW("Ostrel::CXMLResource::parseLibrary",
                   "Error (path not found) when parsing library in file '" +
                       Platform::WideToUtf8(m_state->path) + "'");
    }
    SLibrary* record = GetOrAddLibrary(path);
    XMLNode beans = library.GetChild("beans");
    if (!beans.IsEmpty()) {
      // Room for what the container will most likely add: one move of each definition
      // fewer, and no doubled block of memory to fault in.
      record->beans.reserve(record->beans.size() + EstimateBeans(beans, 0));
      Internal::SubstitutionMap variables(128);
      parseBeans(beans, record, variables, budget);
    }
  }
}

SLibrary* CXMLResource::GetOrAddLibrary(const char* path) {
  const std::string text = path != nullptr ? path : "";
  bool inserted = false;
  auto* entry = m_state->libraryPaths.GetOrInsert(text, &inserted);
  if (inserted) {
    m_state->libraries.push_back(std::make_unique<SLibrary>());
    m_state->libraries.back()->path = text;
    entry->value = m_state->libraries.back().get();
  }
  return entry->value;
}

void CXMLResource::IndexNames() const {
  // The first definition of a name in library order, then reading order, is the one
  // that gets a configuration. Built when first needed: a resource that is only merged
  // into a store never needs it.
  if (!m_state->namesStale) return;
  m_state->namesStale = false;
  m_state->names.RemoveAll();
  for (const auto& library : m_state->libraries) {
    IndexNames(*library, 0);
  }
}

void CXMLResource::IndexNames(SLibrary& library, std::size_t from) const {
  for (std::size_t i = from; i < library.beans.size(); ++i) {
    bool inserted = false;
    auto* entry = m_state->names.GetOrInsert(library.beans[i].name, &inserted);
    if (inserted) entry->value = &library;
  }
}

void CXMLResource::Integrate(CXMLResource& loaded) {
  SState& s = *m_state;
  SState& l = *loaded.m_state;
  IndexNames();
  for (const auto& library : l.libraries) {
    for (const SBeanDefinition& bean : library->beans) {
      if (s.names.Lookup(bean.name) != nullptr) {
        OSTREL_THROW("Ostrel::CXMLResource::Integrate", "Overriding bean '" + bean.name + "'");
      }
    }
  }
  // In library order, then reading order, each at the front of its interfaces' lists:
  // the last such bean answers first.
  for (const auto& library : l.libraries) {
    for (const SBeanDefinition& bean : library->beans) {
      if (bean.providedInterfaces.empty()) continue;
      std::shared_ptr<ITypeRegistration> registration;
      for (const std::string& typeId : bean.providedInterfaces) {
        IBeanFactory* factory = s.factory;
        std::string name = bean.name;
        registration = RegisterFactory(
            typeId.c_str(), true,
            [factory, name] { return factory->GetBean(name.c_str(), nullptr); }, registration);
      }
      if (registration != nullptr && bean.singleton) {
        registration->SetSingleton();
      }
    }
  }
  s.eagerNames.insert(s.eagerNames.end(), l.eagerNames.begin(), l.eagerNames.end());
  // Where the merged definitions begin in each record they went to. Every name among
  // them is new here, so indexing just these keeps "first in library order, then
  // reading order" without looking at the definitions this store already had.
  CbMap<const SLibrary*, std::size_t> appendedFrom(64);
  for (auto& library : l.libraries) {
    auto* existing = s.libraryPaths.Lookup(library->path);
    if (existing != nullptr) {
      SLibrary* target = existing->value;
      bool inserted = false;
      auto* from = appendedFrom.GetOrInsert(static_cast<const SLibrary*>(target), &inserted);
      if (inserted) from->value = target->beans.size();
      target->beans.reserve(target->beans.size() + library->beans.size());
      for (SBeanDefinition& bean : library->beans) {
        target->beans.push_back(std::move(bean));
      }
      library->beans.clear();
    } else {
      SLibrary* target = library.get();
      s.libraries.push_back(std::move(library));
      s.libraryPaths[target->path] = target;
      appendedFrom.GetOrInsert(static_cast<const SLibrary*>(target))->value = 0;
    }
  }
  l.libraries.clear();
  l.libraryPaths.RemoveAll();
  l.names.RemoveAll();
  l.namesStale = false;
  l.eagerNames.clear();
  for (const auto& library : s.libraries) {
    auto* from = appendedFrom.Lookup(static_cast<const SLibrary*>(library.get()));
    if (from != nullptr) IndexNames(*library, from->value);
  }
}

std::vector<std::pair<std::string, SLibrary*>> CXMLResource::GetEagerBeans() const {
  IndexNames();
  std::vector<std::pair<std::string, SLibrary*>> eager;
  eager.reserve(m_state->eagerNames.size());
  for (const std::string& name : m_state->eagerNames) {
    // The library of the definition that has (or will get) the configuration.
    SLibrary* library = nullptr;
    if (auto* built = m_state->definitions.Lookup(name)) {
      library = built->value->GetLibrary();
    } else if (auto* entry = m_state->names.Lookup(name)) {
      library = entry->value;
    }
    eager.emplace_back(name, library);
  }
  return eager;
}

CBeanConfig* CXMLResource::FindBeanConfig(const char* name) {
  if (name == nullptr) {
    return nullptr;
  }
  if (auto* entry = m_state->definitions.Lookup(name)) {
    return entry->value.get();
  }
  IndexNames();
  auto* owner = m_state->names.Lookup(name);
  if (owner == nullptr) {
    return nullptr;
  }
  processLibrary(*owner->value);
  auto* entry = m_state->definitions.Lookup(name);
  return entry != nullptr ? entry->value.get() : nullptr;
}

void CXMLResource::processLibrary(SLibrary& library) {
  ILibrary* loaded = nullptr;
  for (const auto& candidate : m_state->loadedLibraries) {
    const char* name = candidate->GetName();
    if (name != nullptr && library.path == name) {
      loaded = candidate.get();
      break;
    }
  }
  if (loaded == nullptr) {
    m_state->loadedLibraries.push_back(std::make_unique<CDynamicLibrary>(library.path.c_str()));
    loaded = m_state->loadedLibraries.back().get();
  }
  CbMap<std::string, std::pair<std::string, void*>> libraryMakers(64);
  for (const SBeanDefinition& bean : library.beans) {
    // A name defined more than once gets the configuration of the definition in the
    // library processed first (within a library, the first in reading order).
    if (m_state->definitions.Lookup(bean.name) == nullptr) {
      processBean(bean, *loaded, library, libraryMakers);
    }
  }
}

std::shared_ptr<ITypeRegistration> CXMLResource::RegisterInstance(
    const char* typeId, bool atFront, CbSmartPointer<IReferenceCounted> instance,
    std::shared_ptr<ITypeRegistration> registration) {
  const std::string id = typeId != nullptr ? typeId : "";
  RegistrationList& list = m_state->services.GetOrInsert(id)->value;
  if (registration == nullptr) {
    for (const auto& existing : list) {
      CServiceConfig* config = AsServiceConfig(existing);
      if (config != nullptr && config->Holds(instance.Get())) {
        OSTREL_THROW("Ostrel::CXMLResource::RegisterInstance",
                     "Service instance is already registered for interface '" + id + "'");
      }
    }
    registration = std::make_shared<CServiceConfig>(instance);
  }
  if (atFront) {
    list.AddHead(registration);
  } else {
    list.AddTail(registration);
  }
  return registration;
}

std::shared_ptr<ITypeRegistration> CXMLResource::RegisterFactory(
    const char* typeId, bool atFront, ServiceCreator creator,
    std::shared_ptr<ITypeRegistration> registration) {
  const std::string id = typeId != nullptr ? typeId : "";
  RegistrationList& list = m_state->services.GetOrInsert(id)->value;
  if (registration == nullptr) {
    registration = std::make_shared<CServiceConfig>(std::move(creator));
  }
  if (atFront) {
    list.AddHead(registration);
  } else {
    list.AddTail(registration);
  }
  return registration;
}

void CXMLResource::ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) {
  bool removed = false;
  std::vector<std::string> emptied;
  if (!instance) {
    OSTREL_THROW("Ostrel::CXMLResource::ReleaseInstance", "Service instance was not registered");
  }
  for (auto& entry : m_state->services) {
    RegistrationList& list = entry.value;
    // One registration may stand in a list more than once (passed back in explicitly).
    for (auto* node = list.GetHead(); node != nullptr;) {
      auto* next = node->next;
      CServiceConfig* config = AsServiceConfig(node->value);
      if (config != nullptr && config->Holds(instance.Get())) {
        list.Remove(node);
        removed = true;
      }
      node = next;
    }
    if (list.IsEmpty()) emptied.push_back(entry.key);
  }
  for (const std::string& id : emptied) {
    m_state->services.Remove(id);
  }
  if (!removed) {
    OSTREL_THROW("Ostrel::CXMLResource::ReleaseInstance", "Service instance was not registered");
  }
}

CbSmartPointer<IReferenceCounted> CXMLResource::GetServiceInstance(const char* typeId) {
  return GetServiceInstance(typeId, 0);
}

CbSmartPointer<IReferenceCounted> CXMLResource::GetServiceInstance(const char* typeId,
                                                                   std::uint32_t index) {
  if (typeId == nullptr) {
    return nullptr;
  }
  auto* entry = m_state->services.Lookup(typeId);
  if (entry == nullptr) {
    return nullptr;
  }
  auto* node = entry->value.GetAt(index);
  if (node == nullptr) {
    return nullptr;
  }
  // Held while the creator runs: a creator may change the registrations.
  std::shared_ptr<ITypeRegistration> registration = node->value;
  CServiceConfig* config = AsServiceConfig(registration);
  return config != nullptr ? config->GetInstance() : nullptr;
}

std::uint32_t CXMLResource::GetServiceCount(const char* typeId) const {
  if (typeId == nullptr) {
    return 0;
  }
  auto* entry = m_state->services.Lookup(typeId);
  return entry != nullptr ? entry->value.GetCount() : 0;
}

const std::vector<std::unique_ptr<SLibrary>>& CXMLResource::GetLibraries() const {
  return m_state->libraries;
}

const std::vector<std::string>& CXMLResource::GetEagerNames() const { return m_state->eagerNames; }

std::size_t CXMLResource::GetLoadedLibraryCount() const { return m_state->loadedLibraries.size(); }

std::uint32_t CXMLResource::GetConfigCount() const { return m_state->definitions.GetCount(); }

}  // namespace Ostrel
