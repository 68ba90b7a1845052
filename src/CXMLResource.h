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

  // Reads a file and its includes, each include loaded completely and merged before the
  // including file's own libraries are read. Includes are followed with a stack of their
  // own, not by recursion.
  void LoadFile(const std::wstring& file);

  void parseLibrary(const XMLNode& root, Internal::SLoadBudget& budget);
  SLibrary* GetOrAddLibrary(const char* path);
  void processLibrary(SLibrary& library);
  // Brings the name index up to date (it only caches what the libraries hold).
  void IndexNames() const;
  void IndexNames(SLibrary& library, std::size_t from) const;

  void AddDefinition(SLibrary& owner, SBeanDefinition&& definition);
  // Reads the bean definitions of a "beans" element, loops and inline beans included,
  // walking with a stack of its own so that no nesting depth can exhaust the thread's.
  void parseBeans(const XMLNode& node, SLibrary* library, const Internal::SubstitutionMap& variables,
                  Internal::SLoadBudget& budget);
  // A bean element's attributes; finds its parts (constructor-arg, properties, provides,
  // depends-on) for the walk. Returns the library the bean belongs to.
  SLibrary* parseBean(const XMLNode& node, SBeanDefinition& definition,
                      const Internal::SubstitutionMap& variables, SLibrary* library,
                      const char* inlineName, XMLNode (&parts)[4], Internal::SLoadBudget& budget);
  void parseConstructorArguments(const XMLNode& node, SBeanDefinition& definition);
  void parseProperty(const XMLNode& node, SPropertyDefinition& property, XMLNode& arguments,
                     const Internal::SubstitutionMap& variables, Internal::SLoadBudget& budget);
  // One value; for an inline bean, names it (`inlineName`) and returns its element for
  // the walk to read, else returns the empty node.
  XMLNode parseArgument(const XMLNode& node, SArgument& argument, const SBeanDefinition& definition,
                        const Internal::SubstitutionMap& variables, Internal::SLoadBudget& budget,
                        std::string& inlineName);
  void parseInterfaces(const XMLNode& node, SBeanDefinition& definition,
                       const Internal::SubstitutionMap& variables, Internal::SLoadBudget& budget);
  // `libraryMakers` caches what `library` exports, by class name, for one pass.
  void processBean(const SBeanDefinition& definition, ILibrary& library, SLibrary& record,
                   CbMap<std::string, std::pair<std::string, void*>>& libraryMakers);

  std::unique_ptr<SState> m_state;
};

}  // namespace Ostrel
