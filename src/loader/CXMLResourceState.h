// The private state of a CXMLResource, shared by its two source files.
// Belongs to its CXMLResource: one load, on one thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "beans/CDefinitionSet.h"
#include "loader/CXMLResource.h"

namespace Ostrel {

struct CXMLResource::SState {
  std::wstring path;
  std::string folder;  // of the file being read, where its libraries are looked for first
  std::shared_ptr<const std::string> file;  // as places name it: the path, or "<text>"
  CDefinitionSet definitions;
  EInterfaces interfaces = EInterfaces::eTypeIds;
  bool keepNotices = false;
  std::vector<SNotice> notices;
};

}  // namespace Ostrel
