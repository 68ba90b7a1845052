// CXMLResource: the configuration loader. Reads an XML text, or a file with the files
// it includes, into definition records (CDefinitionSet): libraries, bean definitions
// with their arguments, properties, interfaces and dependencies, loops unrolled and
// variables substituted. Knows no factory and loads no library.
// One object per load, used by one thread at a time; separate loads may run on different
// threads at once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "beans/CDefinitionSet.h"
#include "loader/SNotice.h"
#include "support/CbMap.h"
#include "xml/XMLNode.h"

namespace Ostrel {

namespace Internal {
struct SLoadBudget;
using SubstitutionMap = CbMap<std::string, std::string>;  // as LoaderHelpers.h has it
}  // namespace Internal

struct SArgument;
struct SPropertyDefinition;

class CXMLResource {
public:
  // Whether the reader also keeps notices of what it passes over (GetNotices): unknown
  // elements and attributes, repeated parts, text that is not valid UTF-8.
  enum class ENotices { eIgnore, eKeep };
  // What a definition's provided interfaces hold: the type ids registered for the
  // interface names (an unregistered name fails the load), or the names as written, for
  // a reader that reports every unregistered name itself.
  enum class EInterfaces { eTypeIds, eNames };

  // Loads a configuration given as UTF-8 text; an empty text gives no definitions.
  // "include" elements are not honoured. Throws CException on any error.
  explicit CXMLResource(const char* xml, ENotices notices = ENotices::eIgnore,
                        EInterfaces interfaces = EInterfaces::eTypeIds);
  // Loads a configuration file and, recursively, the files it includes (relative to its
  // own folder). Throws CException on any error, including an include cycle.
  explicit CXMLResource(const wchar_t* file, EInterfaces interfaces = EInterfaces::eTypeIds,
                        ENotices notices = ENotices::eIgnore);
  ~CXMLResource();
  CXMLResource(const CXMLResource&) = delete;
  CXMLResource& operator=(const CXMLResource&) = delete;

  // What was read; a factory takes the records over by merging them.
  CDefinitionSet& GetDefinitions();
  const CDefinitionSet& GetDefinitions() const;
  // Shorthands for the records.
  const std::vector<std::unique_ptr<SLibrary>>& GetLibraries() const;
  const std::vector<std::string>& GetEagerNames() const;
  // What the reader passed over, document by document in reading order; empty unless
  // the resource was made with ENotices::eKeep.
  const std::vector<SNotice>& GetNotices() const;

  // One step of the walk over a "beans" element (defined with the walk).
  struct SFrame;

private:
  struct SState;

  // Reads a file and its includes, each include read completely before the including
  // file's own libraries. Includes are followed with a stack of their own, not by
  // recursion.
  void LoadFile(const std::wstring& file);
  // Throws "Overriding bean" for the first definition read since `includedStart` (the
  // record sizes when an included file began) whose name was defined between
  // `includerStart` and then.
  void RefuseRedefinition(const std::vector<std::size_t>& includerStart,
                          const std::vector<std::size_t>& includedStart) const;

  void parseLibrary(const XMLNode& root, Internal::SLoadBudget& budget);
  SLibrary* GetOrAddLibrary(const char* path);

  void AddDefinition(SLibrary& owner, SBeanDefinition&& definition);
  // Reads the bean definitions of a "beans" element, loops and inline beans included,
  // walking with a stack of its own so that no nesting depth can exhaust the thread's.
  void parseBeans(const XMLNode& node, SLibrary* library, const Internal::SubstitutionMap& variables,
                  Internal::SLoadBudget& budget);
  // The walk itself, one step per kind of frame (defined with the walk).
  struct SWalk;
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

  std::unique_ptr<SState> m_state;
};

}  // namespace Ostrel
