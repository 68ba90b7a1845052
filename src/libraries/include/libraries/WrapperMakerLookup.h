// Where a class's wrapper maker is found, for the factory and the configuration check
// alike: in the library that declares the class first, then among the makers the
// program registered locally, so that a plug-in's own wrapper wins over a local one.
// Thread-safe: the local library guards its table with a lock of its own.
#pragma once

#include <string>

namespace Ostrel {

class ILibrary;

// The maker named `makerName`: `inLibrary` (the declaring library's answer, which a
// caller may have looked up once per class) unless it is null, else the local one.
// Null when neither has it.
void* FindWrapperMaker(void* inLibrary, const std::string& makerName);

// The message of a class without a maker in either place.
std::string NoWrapperMakerMessage(const std::string& className);

}  // namespace Ostrel
