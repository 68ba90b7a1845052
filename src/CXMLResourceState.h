// The private state of a CXMLResource, shared by its two source files.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CBeanConfig.h"
#include "CXMLResource.h"
#include "ILibrary.h"
#include "SLibrary.h"
#include "support/CbList.h"
#include "support/CbMap.h"

namespace Ostrel {

using RegistrationList = CbList<std::shared_ptr<ITypeRegistration>>;

struct CXMLResource::SState {
  explicit SState(IBeanFactory& f) : factory(&f) {}

  IBeanFactory* factory;
  std::wstring path;
  std::vector<std::string> eagerNames;
  std::vector<std::unique_ptr<SLibrary>> libraries;
  std::vector<std::unique_ptr<ILibrary>> loadedLibraries;
  CbMap<std::string, std::unique_ptr<CBeanConfig>> definitions{128};
  CbMap<std::string, RegistrationList> services{128};
  // Look-up aids: the library of the first definition of each name in reading order,
  // and the record of each library path.
  CbMap<std::string, SLibrary*> names{128};
  bool namesStale = false;  // definitions were read since `names` was last built
  CbMap<std::string, SLibrary*> libraryPaths{128};

  ~SState() {
    // Services, then definitions, then the loaded libraries, then the records.
    services.RemoveAll();
    definitions.RemoveAll();
    loadedLibraries.clear();
    libraries.clear();
  }
};

}  // namespace Ostrel
