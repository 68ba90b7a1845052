#include "libraries/WrapperMakerLookup.h"

#include "libraries/CLocalLibrary.h"

namespace Ostrel {

void* FindWrapperMaker(void* inLibrary, const std::string& makerName) {
  if (inLibrary != nullptr) return inLibrary;
  return CLocalLibrary::GetInstance().GetFunction(makerName.c_str());
}

std::string NoWrapperMakerMessage(const std::string& className) {
  return "Getting wrapper maker failed for class '" + className + "'";
}

}  // namespace Ostrel
