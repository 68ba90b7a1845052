// The private state of a CXMLResource, shared by its two source files.
#pragma once

#include <string>

#include "beans/CDefinitionSet.h"
#include "loader/CXMLResource.h"

namespace Ostrel {

struct CXMLResource::SState {
  std::wstring path;
  CDefinitionSet definitions;
};

}  // namespace Ostrel
