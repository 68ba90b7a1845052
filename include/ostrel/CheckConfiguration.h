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

enum class ESeverity { eError, eWarning };

// One problem, at the element it is about.
struct SFinding {
  std::string file;         // as the configuration names it; "" for no file
  std::uint32_t line = 0;   // of the element's start tag, from 1; 0 when not known
  std::uint32_t column = 0;
  ESeverity severity = ESeverity::eError;
  std::string message;
  std::string bean;         // the bean concerned; "" for none
};

// A use of another bean or of a service by a bean.
struct SBeanLink {
  enum EKind { eReference, eService, eDependsOn, eFactoryBean };
  EKind kind = eReference;
  std::string target;  // a bean name, or an interface name for eService
  std::string via;     // the property passing it; "" for the constructor and other kinds
};

// A bean as configured.
struct SCheckedBean {
  std::string name;
  std::string className;
  std::string library;                  // path as configured
  bool singleton = false;
  bool lazy = true;
  bool exported = true;
  std::vector<std::string> interfaces;  // provided interface names
  std::vector<SBeanLink> links;         // in the order of the definition
  std::string file;
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct SCheckOptions {
  // Interface names that count as registered besides those registered in the process.
  std::vector<std::string> interfaces;
  // Libraries loaded before the configuration, such as one that registers interfaces
  // when it is loaded.
  std::vector<std::string> preload;
};

struct SCheckResult {
  std::vector<SFinding> findings;   // ordered by file, line and column
  std::vector<SCheckedBean> beans;  // by library, then reading order; none when loading failed

  bool HasErrors() const {
    for (const SFinding& finding : findings) {
      if (finding.severity == ESeverity::eError) return true;
    }
    return false;
  }
};

// Checks the configuration `file` (UTF-8) and the files it includes. A configuration that
// cannot be read gives one error at the place the loader names. Never throws for a
// problem of the configuration or of its libraries: each becomes a finding.
OSTREL_API SCheckResult CheckConfiguration(const std::string& file,
                                           const SCheckOptions& options = SCheckOptions());
// The same for a file name in the form containers take.
OSTREL_API SCheckResult CheckConfiguration(const wchar_t* file,
                                           const SCheckOptions& options = SCheckOptions());

}  // namespace Ostrel
