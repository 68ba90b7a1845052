// CXMLResource: the configuration loader and, at the same time, the configuration
// store of a bean factory. A resource built from an XML text or file holds the
// libraries and bean definitions it read; the factory's store receives such resources
// through Integrate, builds bean configurations library by library when a bean is first
// needed, and holds the service registrations by type id. No lock of its own: the
// owning factory serialises access.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <ostrel/IBeanFactory.h>

#include "CBeanConfig.h"
#include "LoaderHelpers.h"
#include "SLibrary.h"
#include "support/CbMap.h"

namespace Ostrel {

class ILibrary;

class CXMLResource {
public:
  // An empty resource (the store of a factory).
  explicit CXMLResource(IBeanFactory& factory);
  // Loads a configuration given as UTF-8 text; an empty text gives an empty resource.
  // "include" elements are not honoured. Throws CException on any error.
  CXMLResource(IBeanFactory& factory, const char* xml);
  // Loads a configuration file and, recursively, the files it includes (relative to its
  // own folder). Throws CException on any error, including an include cycle.
  CXMLResource(IBeanFactory& factory, const wchar_t* file);
  ~CXMLResource();
  CXMLResource(const CXMLResource&) = delete;
  CXMLResource& operator=(const CXMLResource&) = delete;

  // Merges a freshly loaded resource into this one. Throws "Overriding bean '<name>'"
  // and changes nothing when a bean name of `loaded` is already defined here.
  void Integrate(CXMLResource& loaded);

  // The beans to create at load time, in reading order, with their library records.
  std::vector<std::pair<std::string, SLibrary*>> GetEagerBeans() const;

  // The configuration of a bean, built on demand (which loads its library); null when
  // no library defines the name. Throws what loading and building throw.
  CBeanConfig* FindBeanConfig(const char* name);

  std::shared_ptr<ITypeRegistration> RegisterInstance(const char* typeId, bool atFront,
                                                      CbSmartPointer<IReferenceCounted> instance,
                                                      std::shared_ptr<ITypeRegistration> registration);
  std::shared_ptr<ITypeRegistration> RegisterFactory(const char* typeId, bool atFront,
                                                     ServiceCreator creator,
                                                     std::shared_ptr<ITypeRegistration> registration);
  void ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance);
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId);
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId, std::uint32_t index);
  std::uint32_t GetServiceCount(const char* typeId) const;

  // Read access for diagnostics and tests.
  const std::vector<std::unique_ptr<SLibrary>>& GetLibraries() const;
  const std::vector<std::string>& GetEagerNames() const;
  std::size_t GetLoadedLibraryCount() const;
  std::uint32_t GetConfigCount() const;

private:
  struct SState;

  CXMLResource(IBeanFactory& factory, const std::wstring& file,
               std::vector<std::string>& includeChain);
  void LoadFile(const std::wstring& file, std::vector<std::string>& includeChain);

  void parseLibrary(const XMLNode& root);
  SLibrary* GetOrAddLibrary(const char* path);
  void processLibrary(SLibrary& library);
  // Brings the name index up to date (it only caches what the libraries hold).
  void IndexNames() const;
  void IndexNames(SLibrary& library, std::size_t from) const;

  void AddDefinition(SLibrary& owner, SBeanDefinition&& definition);
  void parseBeans(const XMLNode& node, SLibrary* library, const Internal::SubstitutionMap& variables);
  SLibrary* parseBean(const XMLNode& node, SBeanDefinition& definition,
                      const Internal::SubstitutionMap& variables, SLibrary* library,
                      const char* inlineName);
  void parseConstructorArguments(const XMLNode& node, SBeanDefinition& definition,
                                 const Internal::SubstitutionMap& variables, SLibrary* library);
  void parseProperties(const XMLNode& node, SBeanDefinition& definition,
                       const Internal::SubstitutionMap& variables, SLibrary* library);
  void parseProperty(const XMLNode& node, SBeanDefinition& definition,
                     const Internal::SubstitutionMap& variables, SLibrary* library);
  void parseArgument(const XMLNode& node, SArgument& argument, const SBeanDefinition& definition,
                     const Internal::SubstitutionMap& variables, SLibrary* library);
  void parseInterfaces(const XMLNode& node, SBeanDefinition& definition,
                       const Internal::SubstitutionMap& variables);
  // `libraryMakers` caches what `library` exports, by class name, for one pass.
  void processBean(const SBeanDefinition& definition, ILibrary& library, SLibrary& record,
                   CbMap<std::string, std::pair<std::string, void*>>& libraryMakers);

  std::unique_ptr<SState> m_state;
};

}  // namespace Ostrel
