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
    // No reservation to the exact size: many small merges into one record stay linear.
    for (SBeanDefinition& bean : library->beans) {
      target.beans.push_back(std::move(bean));
    }
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

}  // namespace Ostrel
