#include "CDefinitionStore.h"

#include <ostrel/MakerName.h>

#include "beans/SPlace.h"
#include "libraries/CDynamicLibrary.h"
#include "libraries/WrapperMakerLookup.h"
#include "support/RecordFunctions.h"
#include "support/Throw.h"

namespace Ostrel {

CDefinitionStore::CDefinitionStore() = default;

CDefinitionStore::~CDefinitionStore() {
  m_configs.RemoveAll();
  m_loadedLibraries.clear();
}

CBeanConfig* CDefinitionStore::FindBeanConfig(const char* name) {
  if (name == nullptr) {
    return nullptr;
  }
  if (auto* entry = m_configs.Lookup(name)) {
    return entry->value.get();
  }
  SLibrary* owner = m_definitions.FindOwner(name);
  if (owner == nullptr) {
    return nullptr;
  }
  ProcessLibrary(*owner);
  auto* entry = m_configs.Lookup(name);
  return entry != nullptr ? entry->value.get() : nullptr;
}

std::vector<std::unique_ptr<CBeanConfig>> CDefinitionStore::TakeBackTo(
    const CDefinitionSet::SMark& mark, std::vector<std::unique_ptr<SLibrary>>& definitions) {
  const auto& libraries = m_definitions.GetLibraries();
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    auto* state = m_libraryStates.Lookup(libraries[i].get());
    if (state == nullptr) continue;
    if (i >= mark.libraries) {
      m_libraryStates.Remove(libraries[i].get());
    } else if (state->value.processed > mark.records[i].first) {
      state->value.processed = mark.records[i].first;
    }
  }
  definitions = m_definitions.TakeBackTo(mark);
  std::vector<std::unique_ptr<CBeanConfig>> configs;
  for (const auto& library : definitions) {
    for (const SBeanDefinition& bean : library->beans) {
      if (auto* entry = m_configs.Lookup(bean.name)) {
        configs.push_back(std::move(entry->value));
        m_configs.Remove(bean.name);
      }
    }
  }
  return configs;
}

void CDefinitionStore::ProcessLibrary(SLibrary& library) {
  auto* state = m_libraryStates.GetOrInsert(&library);
  if (state->value.loaded == nullptr) {
    m_loadedLibraries.push_back(std::make_unique<CDynamicLibrary>(library.path.c_str(), library.searchFolders));
    state->value.loaded = m_loadedLibraries.back().get();
  }
  // Definitions merged later are appended: each pass starts where the last one ended,
  // or failed (that definition is tried again).
  CbMap<std::string, std::pair<std::string, void*>> libraryMakers(8);
  std::size_t& next = state->value.processed;
  for (; next < library.beans.size(); ++next) {
    const SBeanDefinition& bean = library.beans[next];
    // A name defined more than once gets the configuration of the definition in the
    // library processed first (within a library, the first in reading order).
    if (m_configs.Lookup(bean.name) == nullptr) {
      ProcessBean(bean, *state->value.loaded, library, libraryMakers);
    }
  }
}

void CDefinitionStore::ProcessBean(const SBeanDefinition& definition, ILibrary& library,
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
  void* maker = FindWrapperMaker(cached->value.second, cached->value.first);
  if (maker == nullptr) {
    OSTREL_THROW_AT(RecordFunction::kProcessBean, NoWrapperMakerMessage(definition.className),
                    definition.place, Internal::PlaceContext(definition.name));
  }
  auto config = std::make_unique<CBeanConfig>(
      definition, reinterpret_cast<WrapperMaker>(maker), &record);
  m_configs.GetOrInsert(definition.name)->value = std::move(config);
}

}  // namespace Ostrel
