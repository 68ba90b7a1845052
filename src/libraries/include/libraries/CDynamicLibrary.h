// CDynamicLibrary: a client library loaded by path at run time. The module is never
// unloaded, so wrappers and beans made from it stay valid after the configuration
// that loaded it is gone.
// Immutable once loaded: look-ups may run on several threads at once.
#pragma once

#include <string>
#include <vector>

#include "libraries/ILibrary.h"

namespace Ostrel {

class CDynamicLibrary final : public ILibrary {
public:
  // Loads `name` with every symbol resolved. A relative name is looked for in each of
  // `folders` in turn, then in each folder the environment variable OSTREL_PLUGIN_PATH
  // lists (separated by ':', by ';' on Windows), and is then given to the system's
  // loader as written. On failure logs every attempt with the loader's reason at Error
  // level and throws CException "Could not load library '<name>'".
  explicit CDynamicLibrary(const char* name, const std::vector<std::string>& folders = {});
  ~CDynamicLibrary() override;

  const char* GetName() const override { return m_name.c_str(); }
  void* GetFunction(const char* name) const override;
  void* GetModule() const { return m_module; }

private:
  void* m_module;
  std::string m_name;
};

}  // namespace Ostrel
