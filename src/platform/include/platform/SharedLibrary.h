// The operating system's dynamic loader. Libraries are never unloaded.
#pragma once

#include <string>

namespace Platform {

// Loads `path` with every symbol resolved now; null on failure, with the loader's
// reason in *error when error is not null.
void* OpenLibrary(const char* path, std::string* error);

// The address exported as `name`, or null.
void* FindSymbol(void* module, const char* name);

// The path of `fileName` in the folder of the shared object that contains `address`;
// empty when that folder cannot be found.
std::string SiblingPath(const void* address, const char* fileName);

}  // namespace Platform
