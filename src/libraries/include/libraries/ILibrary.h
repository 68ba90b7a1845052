// ILibrary: a source of wrapper makers, either a library loaded at run time
// (CDynamicLibrary) or the process itself (CLocalLibrary).
// Implementations answer look-ups from any thread at once (CLocalLibrary under a lock of
// its own).
#pragma once

namespace Ostrel {

class ILibrary {
public:
  virtual ~ILibrary() = default;
  // The library's name (its path as configured), or null for a library without name.
  virtual const char* GetName() const = 0;
  // The address exported under `name`, or null.
  virtual void* GetFunction(const char* name) const = 0;
};

}  // namespace Ostrel
