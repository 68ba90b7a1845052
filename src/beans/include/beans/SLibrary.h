// SLibrary: a library of a configuration: its path as written and the bean definitions
// read for it. Neither a record nor a definition moves once it is made (definitions are
// only appended), so bean configurations refer to them.
// Not synchronised: the owner of its definition set serialises access (a factory, under
// its lock); a definition is read without that lock through the references to it, which
// stay valid.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <ostrel/BeanTypes.h>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

struct SLibrary {
  std::string path;  // first member: requesting libraries are compared by it
  std::deque<SBeanDefinition> beans;
  // Where a relative path is looked for first, in order: the folder of the configuration
  // file that named the library, then the folders of the load's plug-in path.
  std::vector<std::string> searchFolders;
};

// Adds `folder` to the record's search folders unless it is there already.
inline void AddSearchFolder(SLibrary& library, const std::string& folder) {
  for (const std::string& known : library.searchFolders) {
    if (known == folder) return;
  }
  library.searchFolders.push_back(folder);
}

}  // namespace Ostrel
