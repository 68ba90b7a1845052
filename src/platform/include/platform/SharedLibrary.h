// The operating system's dynamic loader. Libraries are never unloaded.
// Thread-safe: loads are serialised by a lock of their own, so each failure's reason
// reaches the thread whose load failed.
#pragma once

#include <string>

namespace Platform {

// Loads `path` (UTF-8) with every symbol resolved now; null on failure, with the loader's
// reason in *error when error is not null.
void* OpenLibrary(const char* path, std::string* error);

// The same for a wide path (LoadLibraryW on Windows; UTF-8 for dlopen elsewhere).
void* OpenLibrary(const wchar_t* path, std::string* error);

// The file name of the logging back end: libNLogC.so, or NLogC.dll on Windows.
extern const wchar_t* const kLogBackendFile;

// The address exported as `name`, or null.
void* FindSymbol(void* module, const char* name);

// The path of `fileName` in the folder of the shared object that contains `address`;
// empty when that folder cannot be found.
std::string SiblingPath(const void* address, const char* fileName);

}  // namespace Platform
