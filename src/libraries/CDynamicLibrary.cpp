#include "libraries/CDynamicLibrary.h"

#include <cstdlib>
#include <string_view>

#include <ostrel/Logger.h>

#include "platform/SharedLibrary.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kFunction = "Ostrel::CDynamicLibrary::CDynamicLibrary";

#if defined(_WIN32)
constexpr char kListSeparator = ';';
#else
constexpr char kListSeparator = ':';
#endif

bool IsRelative(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
#if defined(_WIN32)
  if (name.size() > 1 && name[1] == ':') return false;  // a drive letter
#endif
  return true;
}

// The folders a relative name is looked for in: the given ones, then OSTREL_PLUGIN_PATH's,
// read per load so that a program may set it before it loads a configuration.
std::vector<std::string> SearchFolders(const std::vector<std::string>& folders) {
  std::vector<std::string> all = folders;
  const char* list = std::getenv("OSTREL_PLUGIN_PATH");
  for (std::string_view rest = list != nullptr ? list : ""; !rest.empty();) {
    std::size_t end = rest.find(kListSeparator);
    std::string_view folder = rest.substr(0, end);
    if (!folder.empty()) all.emplace_back(folder);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return all;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  const char last = folder.empty() ? '/' : folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + '/' + name;
}

void* Load(const std::string& name, const std::vector<std::string>& folders) {
  // Each failed attempt's reason, in the order of the attempts.
  std::string reasons = "empty library name";
  void* module = nullptr;
  // An empty name would give the main program's own handle.
  if (!name.empty()) {
    reasons.clear();
    auto attempt = [&](const std::string& path) {
      std::string reason;
      module = Platform::OpenLibrary(path.c_str(), &reason);
      if (module == nullptr) {
        // Every attempt names the path it tried; the system's reason may not.
        if (reason.compare(0, path.size(), path) != 0) reason = path + ": " + reason;
        reasons += (reasons.empty() ? "" : "; ") + reason;
      }
      return module != nullptr;
    };
    bool found = false;
    if (IsRelative(name)) {
      for (const std::string& folder : SearchFolders(folders)) {
        if ((found = attempt(InFolder(folder, name)))) break;
      }
    }
    if (!found && !attempt(name) && name.find('/') == std::string::npos) {
      // A bare name is also looked for beside libostrel.so, as its search path says;
      // some loaders (sanitizer runtimes) leave that path out.
      std::string sibling = Platform::SiblingPath(reinterpret_cast<const void*>(&Load), name.c_str());
      std::string ignored;
      if (!sibling.empty()) module = Platform::OpenLibrary(sibling.c_str(), &ignored);
    }
  }
  if (module == nullptr) {
    s_logger.Error(__FILE__, __LINE__, kFunction, L"Loading library '%s' failed: %s",
                   Platform::Utf8ToWide(name).c_str(), Platform::Utf8ToWide(reasons).c_str());
    OSTREL_THROW(kFunction, "Could not load library '" + name + "'");
  }
  if (s_logger.IsDebugEnabled()) {
    s_logger.Debug(__FILE__, __LINE__, kFunction, L"Loaded library '%s'",
                   Platform::Utf8ToWide(name).c_str());
  }
  return module;
}

}  // namespace

CDynamicLibrary::CDynamicLibrary(const char* name, const std::vector<std::string>& folders)
    : m_module(nullptr), m_name(name != nullptr ? name : "") {
  m_module = Load(m_name, folders);
}

CDynamicLibrary::~CDynamicLibrary() = default;

void* CDynamicLibrary::GetFunction(const char* name) const {
  return Platform::FindSymbol(m_module, name);
}

}  // namespace Ostrel
