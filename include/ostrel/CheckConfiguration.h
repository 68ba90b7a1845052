// CheckConfiguration: reads a configuration file with its includes, loads the libraries
// it names and asks their wrappers about every bean, without creating any bean, and
// reports everything that would fail when the beans are made. For tests of an
// application's configuration and for the ostrel-check program. Thread-safe; loaded
// libraries stay loaded, as they do for a container.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ostrel/Export.h>

namespace Ostrel {

/// How bad a finding is.
enum class ESeverity {
  eError,   ///< Making the beans would fail.
  eWarning  ///< Allowed, but probably not what was meant.
};

/// One problem, at the element it is about.
struct SFinding {
  std::string file;         ///< As the configuration names it; "" for no file.
  std::uint32_t line = 0;   ///< Of the element's start tag, from 1; 0 when not known.
  std::uint32_t column = 0; ///< Of the element's start tag, from 1; 0 when not known.
  ESeverity severity = ESeverity::eError;  ///< Whether the beans could not be made.
  std::string message;      ///< What is wrong, in the words a container would use.
  std::string bean;         ///< The bean concerned; "" for none.
};

/// A use of another bean or of a service by a bean.
struct SBeanLink {
  /// What the bean uses the target for.
  enum EKind {
    eReference,   ///< A bean passed as an argument or a property value.
    eService,     ///< A service looked up by interface, passed as an argument or property.
    eDependsOn,   ///< A bean made first, named by depends-on.
    eFactoryBean  ///< The bean whose method makes this one.
  };
  EKind kind = eReference;  ///< What the link is.
  std::string target;  ///< A bean name, or an interface name for eService.
  std::string via;     ///< The property passing it; "" for the constructor and other kinds.
};

/// A bean as configured.
struct SCheckedBean {
  std::string name;                     ///< The bean's name (generated when unnamed).
  std::string className;                ///< The class name its wrapper is found under.
  std::string library;                  ///< Library path as configured.
  bool singleton = false;               ///< Made once and shared.
  bool lazy = true;                     ///< Made on first use, not when the container starts.
  bool exported = true;                 ///< Beans of other libraries may use it.
  std::vector<std::string> interfaces;  ///< Provided interface names.
  std::vector<SBeanLink> links;         ///< In the order of the definition.
  std::string file;                     ///< Configuration file defining it; "" for none.
  std::uint32_t line = 0;               ///< Line of the bean element, from 1; 0 when not known.
  std::uint32_t column = 0;             ///< Column of the bean element, from 1; 0 when not known.
};

/// What CheckConfiguration may assume about the process that will load the configuration.
struct SCheckOptions {
  /// Interface names that count as registered besides those registered in the process.
  std::vector<std::string> interfaces;
  /// Libraries loaded before the configuration, such as one that registers interfaces
  /// when it is loaded.
  std::vector<std::string> preload;
};

/// The outcome of CheckConfiguration.
struct SCheckResult {
  std::vector<SFinding> findings;   ///< Ordered by file, line and column.
  std::vector<SCheckedBean> beans;  ///< By library, then reading order; none when loading failed.

  /// Whether any finding is an error (warnings alone do not count).
  bool HasErrors() const {
    for (const SFinding& finding : findings) {
      if (finding.severity == ESeverity::eError) return true;
    }
    return false;
  }
};

/// Checks the configuration `file` (UTF-8) and the files it includes. A configuration that
/// cannot be read gives one error at the place the loader names. Never throws for a
/// problem of the configuration or of its libraries: each becomes a finding.
OSTREL_API SCheckResult CheckConfiguration(const std::string& file,
                                           const SCheckOptions& options = SCheckOptions());
/// The same for a file name in the form containers take.
OSTREL_API SCheckResult CheckConfiguration(const wchar_t* file,
                                           const SCheckOptions& options = SCheckOptions());

}  // namespace Ostrel
