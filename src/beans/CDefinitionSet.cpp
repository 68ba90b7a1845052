#include "beans/CDefinitionSet.h"

#include <algorithm>
#include <utility>

#include "beans/SPlace.h"
#include "support/RecordFunctions.h"
#include "support/Throw.h"

namespace Ostrel {

CDefinitionSet::CDefinitionSet() = default;
CDefinitionSet::~CDefinitionSet() = default;

SLibrary& CDefinitionSet::GetOrAddLibrary(const std::string& path) {
  m_namesStale = true;  // the caller may add definitions
  bool inserted = false;
  auto* entry = m_libraryPaths.GetOrInsert(path, &inserted);
  if (inserted) {
    m_libraries.push_back(std::make_unique<SLibrary>());
    m_libraries.back()->path = path;
    entry->value = m_libraries.size() - 1;
  }
  return *m_libraries[entry->value];
}

std::pmr::memory_resource* CDefinitionSet::GetMemory() {
  if (m_memory == nullptr) m_memory = std::make_unique<CDefinitionArena>();
  return m_memory.get();
}

SBeanDefinition& CDefinitionSet::AddDefinition(SLibrary& library, SBeanDefinition&& definition) {
  GetMemory();
  SBeanDefinition* added = m_memory->Add(std::move(definition));
  library.beans.Append(added);
  m_namesStale = true;
  return *added;
}

void CDefinitionSet::IndexNames() const {
  // The first definition of a name in library order, then reading order, is the one
  // that gets a configuration. Built when first needed: a set that is only merged
  // into another never needs it.
  if (!m_namesStale) return;
  m_namesStale = false;
  m_names.RemoveAll();
  for (const auto& library : m_libraries) {
    IndexNames(*library, 0);
  }
}

void CDefinitionSet::IndexNames(SLibrary& library, std::size_t from) const {
  for (std::size_t i = from; i < library.beans.size(); ++i) {
    bool inserted = false;
    auto* entry = m_names.GetOrInsert(library.beans[i].name, &inserted);
    if (inserted) entry->value = &library;
  }
}

SLibrary* CDefinitionSet::FindOwner(std::string_view name) const {
  IndexNames();
  auto* entry = m_names.Lookup(name);
  return entry != nullptr ? entry->value : nullptr;
}

const SBeanDefinition* CDefinitionSet::FindDefinition(std::string_view name) const {
  const SLibrary* library = FindOwner(name);
  if (library == nullptr) return nullptr;
  for (const SBeanDefinition& bean : library->beans) {
    if (bean.name == name) return &bean;
  }
  return nullptr;
}

void CDefinitionSet::CheckMerge(const CDefinitionSet& loaded) const {
  IndexNames();
  for (const auto& library : loaded.m_libraries) {
    for (const SBeanDefinition& bean : library->beans) {
      if (m_names.Lookup(bean.name) != nullptr) {
        OSTREL_THROW_AT(RecordFunction::kIntegrate, "Overriding bean '" + bean.name + "'",
                        bean.place, Internal::PlaceContext(bean.name));
      }
    }
  }
}

void CDefinitionSet::Merge(CDefinitionSet& loaded) {
  CheckMerge(loaded);
  Append(loaded);
}

void CDefinitionSet::Append(CDefinitionSet& loaded) {
  IndexNames();
  m_eagerNames.insert(m_eagerNames.end(), loaded.m_eagerNames.begin(), loaded.m_eagerNames.end());
  // The memory first: the records taken below refer to it.
  if (loaded.m_memory != nullptr) m_appendedMemory.push_back(std::move(loaded.m_memory));
  for (auto& memory : loaded.m_appendedMemory) m_appendedMemory.push_back(std::move(memory));
  loaded.m_appendedMemory.clear();
  // Each record that receives definitions, with where they begin in it. Every name among
  // them is new here, so indexing just these, in library order, keeps "first in library
  // order, then reading order" without looking at the definitions held before.
  std::vector<std::pair<std::size_t, std::size_t>> appended;
  appended.reserve(loaded.m_libraries.size());
  for (auto& library : loaded.m_libraries) {
    bool inserted = false;
    auto* entry = m_libraryPaths.GetOrInsert(library->path, &inserted);
    if (inserted) {
      entry->value = m_libraries.size();
      m_libraries.push_back(std::move(library));
      appended.emplace_back(entry->value, 0);
      continue;
    }
    SLibrary& target = *m_libraries[entry->value];
    appended.emplace_back(entry->value, target.beans.size());
    for (const std::string& folder : library->searchFolders) AddSearchFolder(target, folder);
    target.beans.TakeTail(library->beans);
  }
  loaded.m_libraries.clear();
  loaded.m_libraryPaths.RemoveAll();
  loaded.m_names.RemoveAll();
  loaded.m_namesStale = false;
  loaded.m_eagerNames.clear();
  std::sort(appended.begin(), appended.end());
  for (const auto& [index, from] : appended) {
    IndexNames(*m_libraries[index], from);
  }
}

CDefinitionSet::SMark CDefinitionSet::Mark() const {
  SMark mark;
  mark.libraries = m_libraries.size();
  mark.records.reserve(m_libraries.size());
  for (const auto& library : m_libraries) {
    mark.records.emplace_back(library->beans.size(), library->searchFolders.size());
  }
  mark.eager = m_eagerNames.size();
  return mark;
}

std::vector<std::unique_ptr<SLibrary>> CDefinitionSet::TakeBackTo(const SMark& mark) {
  std::vector<std::unique_ptr<SLibrary>> taken;
  for (std::size_t i = mark.libraries; i < m_libraries.size(); ++i) {
    m_libraryPaths.Remove(m_libraries[i]->path);
    taken.push_back(std::move(m_libraries[i]));
  }
  m_libraries.resize(std::min(mark.libraries, m_libraries.size()));
  for (std::size_t i = 0; i < m_libraries.size() && i < mark.records.size(); ++i) {
    SLibrary& library = *m_libraries[i];
    const auto [beans, folders] = mark.records[i];
    if (library.searchFolders.size() > folders) library.searchFolders.resize(folders);
    if (library.beans.size() <= beans) continue;
    auto tail = std::make_unique<SLibrary>();
    tail->path = library.path;
    tail->beans.TakeTail(library.beans, beans);
    taken.push_back(std::move(tail));
  }
  if (m_eagerNames.size() > mark.eager) m_eagerNames.resize(mark.eager);
  m_namesStale = true;
  return taken;
}

}  // namespace Ostrel
