#include "SelectLogDispatcher.h"

#include "CNLogLogger.h"
#include "CVoidLogger.h"
#include "platform/SharedLibrary.h"
#include "platform/TextConversion.h"

namespace Logging {
namespace {

// Constant-initialised, so it is usable before any dynamic initialiser has run.
CVoidLogger s_voidLogger;

struct SNLogEntryPoints {
  void* module = nullptr;
  NLogLogVFunction logV = nullptr;
  NLogWriteLogFunction writeLog = nullptr;
  NLogIsLogEnabledFunction isLogEnabled = nullptr;
  NLogSetGlobalDiagnosticsContextFunction setGlobalDiagnosticsContext = nullptr;
  NLogFlushFunction flush = nullptr;

  bool Complete() const {
    return logV != nullptr && writeLog != nullptr && isLogEnabled != nullptr &&
           setGlobalDiagnosticsContext != nullptr && flush != nullptr;
  }
};

template <class F>
F Lookup(void* module, const char* name) {
  return reinterpret_cast<F>(Platform::FindSymbol(module, name));
}

const SNLogEntryPoints& EntryPoints() {
  static const SNLogEntryPoints points = [] {
    SNLogEntryPoints p;
    std::string error;
    // Loaded once per process and never unloaded: by plain name first (a back end the
    // process already loaded, or the loader's search path), then from this library's
    // own folder, which some loaders (sanitizer runtimes) leave out of the search.
    p.module = Platform::OpenLibrary(Platform::kLogBackendFile, &error);
    if (p.module == nullptr) {
      std::string sibling = Platform::SiblingPath(reinterpret_cast<const void*>(&SelectLogDispatcher),
                                                  Platform::WideToUtf8(Platform::kLogBackendFile).c_str());
      if (!sibling.empty()) {
        p.module = Platform::OpenLibrary(sibling.c_str(), &error);
      }
    }
    if (p.module != nullptr) {
      p.logV = Lookup<NLogLogVFunction>(p.module, "NLog_CSLogVW");
      p.writeLog = Lookup<NLogWriteLogFunction>(p.module, "NLog_CSWriteLogW");
      p.isLogEnabled = Lookup<NLogIsLogEnabledFunction>(p.module, "NLog_IsLogEnabledW");
      p.setGlobalDiagnosticsContext = Lookup<NLogSetGlobalDiagnosticsContextFunction>(
          p.module, "NLog_SetGlobalDiagnosticsContextW");
      p.flush = Lookup<NLogFlushFunction>(p.module, "NLog_Flush");
    }
    return p;
  }();
  return points;
}

}  // namespace

ILogDispatcher& SelectLogDispatcher() {
  const SNLogEntryPoints& p = EntryPoints();
  if (!p.Complete()) {
    return s_voidLogger;
  }
  static CNLogLogger logger(p.logV, p.writeLog, p.isLogEnabled, p.setGlobalDiagnosticsContext,
                            p.flush);
  return logger;
}

}  // namespace Logging
