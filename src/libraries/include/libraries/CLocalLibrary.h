// CLocalLibrary: the process-wide local library (see <ostrel/LocalLibrary.h>). Created
// on first use under the base library's singleton lock, destroyed at process exit. Its
// tables are guarded by a lock of their own, so registration and look-up may happen on
// any thread.
#pragma once

#include <mutex>
#include <string>

#include <ostrel/LocalLibrary.h>
#include <tamarack/Singleton.h>

#include "libraries/ILibrary.h"
#include "support/CbMap.h"

namespace Ostrel {

class CLocalLibrary final : public ILibrary,
                            public ILibraryConfiguration,
                            public CbSingleton<CLocalLibrary> {
public:
  static CLocalLibrary& GetInstance();

  const char* GetName() const override { return nullptr; }
  void* GetFunction(const char* name) const override;

  void RegisterWrapperMaker(const char* makerName, void* maker) override;
  bool UnregisterWrapperMaker(const char* makerName) override;
  void RegisterTypeID(const char* className, const char* typeId) override;

  // A copy of the type id registered for `className` (a copy, since another thread may
  // register the class again meanwhile). Throws CException "No type id for class
  // '<className>' registered" when there is none.
  std::string GetTypeID(const char* className) const;
  // Whether a type id is registered for `className`.
  bool HasTypeID(const char* className) const;

private:
  CLocalLibrary() = default;
  ~CLocalLibrary() override = default;
  static void Destroy();

  mutable std::mutex m_mutex;
  CbMap<std::string, void*> m_makers{128};
  CbMap<std::string, std::string> m_typeIds{128};
};

}  // namespace Ostrel
