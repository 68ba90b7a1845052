// CBeanFactoryImpl: the factory behind every container. It owns the configuration store,
// the type manager, one wrapper per class and the created singletons, and resolves
// beans on request (GetBeanWrapper), which never throws: failures are logged at Warn
// level and answered with an empty result. Every operation takes the factory's
// recursive lock, so any of them may be called from any thread, and wrappers may call
// back into the factory from the resolving thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <ostrel/IBeanFactory.h>
#include <tamarack/CbCriticalSection.h>

#include "CBeanConfig.h"
#include "CTypeManager.h"
#include "CXMLResource.h"
#include "support/CbMap.h"

namespace Ostrel {

class CBeanProperty;

namespace Internal {
// The hash of the singleton index: eight bytes per step (a short tail in one or two
// overlapping loads), so that long bean names cost little more than short ones.
struct CNameHash {
  static std::uint64_t Hash(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t h = (n + 1) * kMultiplier;
    if (n >= 8) {
      std::size_t i = 0;
      for (; i + 8 <= n; i += 8) h = Mix(h, Load<std::uint64_t>(p + i));
      if (i < n) h = Mix(h, Load<std::uint64_t>(p + n - 8));
    } else if (n >= 4) {
      h = Mix(h, (std::uint64_t{Load<std::uint32_t>(p)} << 32) | Load<std::uint32_t>(p + n - 4));
    } else if (n > 0) {
      h = Mix(h, (std::uint64_t{Byte(p[0])} << 16) | (std::uint64_t{Byte(p[n / 2])} << 8) | Byte(p[n - 1]));
    }
    return h ^ (h >> 29);
  }

private:
  static constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  template <class T>
  static T Load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  static unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
  static std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * kMultiplier;
    return h ^ (h >> 32);
  }
};
}  // namespace Internal

class CBeanFactoryImpl final : public IBeanFactory {
public:
  CBeanFactoryImpl();
  // An empty factory whose store refers to `owner` (used by Reset).
  explicit CBeanFactoryImpl(CBeanFactoryImpl& owner);
  ~CBeanFactoryImpl() override;
  CBeanFactoryImpl(const CBeanFactoryImpl&) = delete;
  CBeanFactoryImpl& operator=(const CBeanFactoryImpl&) = delete;
  // Takes over the tables of `other` into this empty factory; throws CException
  // "Internal error" when this factory is not empty.
  CBeanFactoryImpl& operator=(CBeanFactoryImpl&& other);

  bool Exists(const char* name) override;
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId, std::uint32_t index) override;
  CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId) override;
  CbSmartPointer<IReferenceCounted> GetBean(const char* name, const SLibrary* requester) override;
  std::shared_ptr<ITypeRegistration> RegisterFactory(const char* typeId, bool atFront,
                                                     const ServiceCreator& creator,
                                                     std::shared_ptr<ITypeRegistration> registration) override;
  std::shared_ptr<ITypeRegistration> RegisterInstance(const char* typeId, bool atFront,
                                                      CbSmartPointer<IReferenceCounted> instance,
                                                      std::shared_ptr<ITypeRegistration> registration) override;
  void ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) override;
  std::uint32_t GetServiceCount(const char* typeId) override;

  // Empties the factory in place: singletons are released in the cache's order, each
  // before the wrapper of its class; every reference to the factory stays valid.
  void Reset();
  // Merges a loaded configuration into the store.
  void Integrate(CXMLResource& loaded);
  // Resolves every non-lazy bean of the store, in reading order; results are dropped.
  void CreateEagerBeans();
  // The shared wrapper of the definition's class (cached, also when empty).
  std::shared_ptr<const IBeanWrapper> GetWrapper(const CBeanConfig& config);
  // Bean resolution; never throws.
  BeanResult GetBeanWrapper(const char* name, const SLibrary* requester);

  // For diagnostics and tests.
  std::uint32_t GetSingletonCount() const;
  std::uint32_t GetWrapperCount() const;
  CXMLResource* GetStore() const { return m_store.get(); }
  CbCriticalSection& GetLock() const { return m_lock; }

private:
  // A cached singleton as the look-up before resolution sees it: the entry of the
  // singleton cache and the configuration whose export rule applies.
  struct SCachedSingleton {
    const BeanResult* result = nullptr;
    const CBeanConfig* config = nullptr;
  };
  // Argument values and addresses of one wrapper call, kept for reuse. Resolution nests
  // (a reference resolves another bean), so there is one pair per nesting depth.
  struct SArgumentBuffers {
    std::vector<std::shared_ptr<IValuePointer>> values;
    ArgumentVector addresses;
  };
  class CArgumentLease;

  // GetBeanWrapper after the singleton look-up, under the lock.
  BeanResult ResolveLocked(const char* name, const SLibrary* requester);
  BeanResult Resolve(const char* name, const SLibrary* requester);
  std::shared_ptr<const IBeanWrapper> GetWrapperLocked(const CBeanConfig& config);
  // The cached singleton `name` when `requester` may have it, else null.
  const BeanResult* FindAllowedSingleton(const char* name, const SLibrary* requester) const;
  bool SetProperty(const CBeanProperty& property, IReferenceCounted* instance,
                   const IBeanWrapper& wrapper, const SLibrary* library);
  // Resolves `arguments` in order into `buffers`; the addresses stay valid while the
  // buffers are leased.
  void ResolveArguments(const std::vector<SArgument>& arguments, const SLibrary* library,
                        SArgumentBuffers& buffers);
  std::shared_ptr<IValuePointer> ResolveArgument(const SArgument& argument, const SLibrary* library);
  void ClearCaches();

  mutable CbCriticalSection m_lock;
  std::unique_ptr<CXMLResource> m_store;
  std::unique_ptr<CTypeManager> m_types;
  CbMap<std::string, std::shared_ptr<const IBeanWrapper>> m_wrappers{128};
  CbMap<std::string, BeanResult> m_singletons{128};
  // Every entry of m_singletons, found with one cheap hash; never owns anything.
  CbMap<std::string, SCachedSingleton, Internal::CNameHash> m_singletonIndex{128};
  std::vector<std::unique_ptr<SArgumentBuffers>> m_argumentBuffers;
  std::size_t m_argumentDepth = 0;
};

}  // namespace Ostrel
