// SLoadOptions: how one configuration load behaves. A plain value; the default value
// gives the lenient load that logs what it cannot use and carries on.
// A value used by one thread at a time; a load copies what it needs.
#pragma once

#include <string>
#include <vector>

namespace Ostrel {

/// Options of one configuration load, given to a CContainer constructor, FromFile,
/// Reset or ResetFromFile.
struct SLoadOptions {
  /// When true, the load first checks what it has read, merged with what the factory
  /// already holds (libraries are loaded to ask their wrappers), and fails with a
  /// CException placed at the first error, leaving the factory as it was; a bean created
  /// at load time that fails also fails the load. The environment variable
  /// OSTREL_STRICT=1 turns this on for every load of the process.
  bool strict = false;

  /// Folders in which a library whose path is relative is looked for, in this order,
  /// after the folder of the configuration file that names it (when the configuration
  /// was read from a file) and before the folders of the environment variable
  /// OSTREL_PLUGIN_PATH; the path as written goes to the system's loader last. Empty
  /// folders are skipped.
  std::vector<std::string> pluginPath{};
};

}  // namespace Ostrel
