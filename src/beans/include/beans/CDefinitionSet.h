// CDefinitionSet: the bean definitions of a configuration, library by library, as the
// loader reads them and the factory's store keeps them: plain records, no classes
// loaded. Knows which library holds the first definition of each name and which beans
// are to be made at load time. Not thread-safe: its owner serialises access.
#pragma once

#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "beans/CDefinitionArena.h"
#include "beans/SLibrary.h"
#include "support/CbMap.h"

namespace Ostrel {

class CDefinitionSet {
public:
  CDefinitionSet();
  ~CDefinitionSet();
  CDefinitionSet(const CDefinitionSet&) = delete;
  CDefinitionSet& operator=(const CDefinitionSet&) = delete;

  // The record of the library at `path`, added at the end when there is none yet.
  SLibrary& GetOrAddLibrary(const std::string& path);
  // Moves `definition` into this set's memory, at the end of the definitions of
  // `library` (a record of this set); returns it where it stays.
  SBeanDefinition& AddDefinition(SLibrary& library, SBeanDefinition&& definition);
  // Where a definition being read for this set keeps its arguments and properties
  // (SBeanDefinition's constructor): the memory of the set's own definitions.
  std::pmr::memory_resource* GetMemory();
  // Marks a bean to be made at load time (in the order of the calls).
  void AddEager(const std::string& name) { m_eagerNames.push_back(name); }

  // Throws CException "Overriding bean '<name>'" when a bean name of `loaded` is
  // already defined here.
  void CheckMerge(const CDefinitionSet& loaded) const;
  // Moves every definition of `loaded` here (into the record of the same path, else
  // into a new record at the end), with the memory they live in, and appends its
  // load-time beans; `loaded` is left empty. Checks first, as CheckMerge, and changes nothing when that throws.
  void Merge(CDefinitionSet& loaded);
  // The same without the check, for a caller that has just made it.
  void Append(CDefinitionSet& loaded);

  // Where the set ends, for taking back what is appended after it: the number of
  // records, of definitions and search folders in each, and of load-time beans.
  struct SMark {
    std::size_t libraries = 0;
    std::vector<std::pair<std::size_t, std::size_t>> records;  // definitions, folders
    std::size_t eager = 0;
  };
  SMark Mark() const;
  // Takes out everything added since `mark`, which must describe this set before
  // appends only. Returns the definitions taken out, in records of their own (in place:
  // their memory stays with this set), so that what refers to them may be released
  // before them.
  std::vector<std::unique_ptr<SLibrary>> TakeBackTo(const SMark& mark);

  // The library of the first definition of `name` in library order, then reading
  // order; null when no library defines it.
  SLibrary* FindOwner(std::string_view name) const;
  // The first definition of `name` in that order (the one a factory serves); null when
  // none exists.
  const SBeanDefinition* FindDefinition(std::string_view name) const;

  const std::vector<std::unique_ptr<SLibrary>>& GetLibraries() const { return m_libraries; }
  const std::vector<std::string>& GetEagerNames() const { return m_eagerNames; }

private:
  // Brings the name index up to date (it only caches what the records hold).
  void IndexNames() const;
  void IndexNames(SLibrary& library, std::size_t from) const;

  // The memory of the definitions: the set's own, and that of the sets appended to it.
  // Declared before the records, whose lists destroy the definitions: it goes after them.
  std::unique_ptr<CDefinitionArena> m_memory;
  std::vector<std::unique_ptr<CDefinitionArena>> m_appendedMemory;
  std::vector<std::unique_ptr<SLibrary>> m_libraries;
  std::vector<std::string> m_eagerNames;
  CbMap<std::string, std::size_t> m_libraryPaths{8};  // index in m_libraries; grows
  mutable CbMap<std::string, SLibrary*> m_names{128};
  // Records were handed out for writing since m_names was last built.
  mutable bool m_namesStale = false;
};

}  // namespace Ostrel
