// CDefinitionStore: what a factory knows of its configuration: the definition records,
// the bean configurations built from them library by library when a bean is first
// needed, and the libraries loaded for that. No lock of its own: the owning factory
// serialises access.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "beans/CBeanConfig.h"
#include "beans/CDefinitionSet.h"
#include "support/CbMap.h"

namespace Ostrel {

class ILibrary;

class CDefinitionStore {
public:
  CDefinitionStore();
  ~CDefinitionStore();
  CDefinitionStore(const CDefinitionStore&) = delete;
  CDefinitionStore& operator=(const CDefinitionStore&) = delete;

  CDefinitionSet& GetDefinitions() { return m_definitions; }
  const CDefinitionSet& GetDefinitions() const { return m_definitions; }

  // The configuration of a bean, built on demand (which loads its library and asks it
  // for the makers of its classes); null when no library defines the name. Throws what
  // loading and building throw; the configurations built before stay.
  CBeanConfig* FindBeanConfig(const char* name);

  // Takes out what was merged since `mark` (see CDefinitionSet::TakeBackTo): the
  // definitions, into `definitions`, and their configurations, returned; the libraries'
  // processing goes back to the mark. Libraries loaded for them stay loaded: what they
  // made may still be alive. The caller releases the configurations before the
  // definitions, and whatever refers to the configurations before either.
  std::vector<std::unique_ptr<CBeanConfig>> TakeBackTo(
      const CDefinitionSet::SMark& mark, std::vector<std::unique_ptr<SLibrary>>& definitions);

  std::size_t GetLoadedLibraryCount() const { return m_loadedLibraries.size(); }
  std::uint32_t GetConfigCount() const { return m_configs.GetCount(); }

private:
  void ProcessLibrary(SLibrary& library);
  // `libraryMakers` caches what `library` exports, by class name, for one pass.
  void ProcessBean(const SBeanDefinition& definition, ILibrary& library, SLibrary& record,
                   CbMap<std::string, std::pair<std::string, void*>>& libraryMakers);

  // Destroyed from the bottom: configurations (and their wrappers), then the libraries
  // that made them, then the records.
  CDefinitionSet m_definitions;
  std::vector<std::unique_ptr<ILibrary>> m_loadedLibraries;
  // Per library record: the library loaded for it and how many of its definitions
  // have been processed.
  struct SLibraryState {
    ILibrary* loaded = nullptr;
    std::size_t processed = 0;
  };
  CbMap<const SLibrary*, SLibraryState> m_libraryStates{64};
  CbMap<std::string, std::unique_ptr<CBeanConfig>> m_configs{128};
};

}  // namespace Ostrel
