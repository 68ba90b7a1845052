#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/TextConversion.h"

namespace Platform {
namespace {
// dlerror() keeps one message per thread, but reading it right after the failing call
// under one lock keeps reports from several loaders apart.
std::mutex s_loaderMutex;
}  // namespace

const wchar_t* const kLogBackendFile = L"libNLogC.so";

void* OpenLibrary(const char* path, std::string* error) {
  std::lock_guard<std::mutex> lock(s_loaderMutex);
  dlerror();
  void* module = dlopen(path, RTLD_NOW);
  if (module == nullptr && error != nullptr) {
    const char* reason = dlerror();
    *error = reason != nullptr ? reason : "unknown error";
  }
  return module;
}

void* OpenLibrary(const wchar_t* path, std::string* error) {
  return OpenLibrary(WideToUtf8(path).c_str(), error);
}

void* FindSymbol(void* module, const char* name) {
  if (module == nullptr || name == nullptr) {
    return nullptr;
  }
  return dlsym(module, name);
}

std::string SiblingPath(const void* address, const char* fileName) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
    return std::string();
  }
  std::string path = info.dli_fname;
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return std::string();
  }
  return path.substr(0, slash + 1) + fileName;
}

}  // namespace Platform
