#include "libraries/CDynamicLibrary.h"

#include <ostrel/Logger.h>

#include "platform/SharedLibrary.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kFunction = "Ostrel::CDynamicLibrary::CDynamicLibrary";

void* Load(const std::string& name) {
  std::string reason = "empty library name";
  // An empty name would give the main program's own handle.
  void* module = name.empty() ? nullptr : Platform::OpenLibrary(name.c_str(), &reason);
  if (module == nullptr && !name.empty() && name.find('/') == std::string::npos) {
    // A bare name is also looked for beside libostrel.so, as its search path says;
    // some loaders (sanitizer runtimes) leave that path out.
    std::string sibling = Platform::SiblingPath(reinterpret_cast<const void*>(&Load), name.c_str());
    std::string ignored;
    if (!sibling.empty()) module = Platform::OpenLibrary(sibling.c_str(), &ignored);
  }
  if (module == nullptr) {
    s_logger.Error(__FILE__, __LINE__, kFunction, L"Loading library '%s' failed: %s",
                   Platform::Utf8ToWide(name).c_str(), Platform::Utf8ToWide(reason).c_str());
    OSTREL_THROW(kFunction, "Could not load library '" + name + "'");
  }
  if (s_logger.IsDebugEnabled()) {
    s_logger.Debug(__FILE__, __LINE__, kFunction, L"Loaded library '%s'",
                   Platform::Utf8ToWide(name).c_str());
  }
  return module;
}

}  // namespace

CDynamicLibrary::CDynamicLibrary(const char* name)
    : m_module(nullptr), m_name(name != nullptr ? name : "") {
  m_module = Load(m_name);
}

CDynamicLibrary::~CDynamicLibrary() = default;

void* CDynamicLibrary::GetFunction(const char* name) const {
  return Platform::FindSymbol(m_module, name);
}

}  // namespace Ostrel
