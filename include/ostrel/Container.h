/// @class Ostrel::CContainer
/// CContainer: a handle on one bean factory. Containers made in integration mode share
/// the process-wide default factory (their configurations merge); stand-alone containers
/// hold a factory of their own, shared only with their copies. Copies share the
/// factory; a moved-from container holds none and its operations throw CException.
/// Containers may be constructed, copied, reset and destroyed from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <typeinfo>

#include <ostrel/CException.h>
#include <ostrel/Export.h>
#include <ostrel/IBeanFactory.h>
#include <ostrel/LoadOptions.h>
#include <ostrel/TypedCast.h>

namespace Ostrel {

class OSTREL_API CContainer {
public:
  /// Attaches to the default factory, creating it when none is alive; loads nothing.
  CContainer();
  /// An empty stand-alone configuration, never shared except with copies.
  CContainer(std::nullptr_t);
  /// Loads a configuration from UTF-8 XML text (an empty text loads nothing), into the
  /// default factory when `integrate` is true, else into a new one. Throws the loader's
  /// CException on any error; nothing is left behind then. `options` chooses a strict
  /// load (see SLoadOptions).
  CContainer(const char* xml, bool integrate, const SLoadOptions& options = SLoadOptions());
  /// Loads a configuration file and the files it includes.
  CContainer(const wchar_t* file, bool integrate, const SLoadOptions& options = SLoadOptions());
  /// The same for a path in the program's narrow form ("config/app.xml"): a narrow text
  /// given to the constructor is XML, never a file name.
  static CContainer FromFile(const std::filesystem::path& file, bool integrate,
                             const SLoadOptions& options = SLoadOptions());
  /// Shares `other`'s factory.
  CContainer(const CContainer& other);
  /// Takes over `other`'s factory; `other` holds none afterwards.
  CContainer(CContainer&& other) noexcept;
  /// Shares `other`'s factory, letting go of the one held before.
  CContainer& operator=(const CContainer& other);
  /// Takes over `other`'s factory, letting go of the one held before.
  CContainer& operator=(CContainer&& other) noexcept;
  /// Lets go of the factory; the last container sharing it destroys it.
  ~CContainer();

  /// True when the configuration defines a bean of this name (may load its library).
  bool Exists(const char* name) const;
  /// Removes every service registration of an instance the client registered; throws
  /// when it has none.
  void ReleaseInstance(CbSmartPointer<IReferenceCounted> instance);
  /// Empties the factory; every container sharing it sees the empty configuration.
  void Reset();
  /// Empties the factory, then loads XML text into it.
  void Reset(const char* xml, const SLoadOptions& options = SLoadOptions());
  /// Empties the factory, then loads a file into it.
  void Reset(const wchar_t* file, const SLoadOptions& options = SLoadOptions());
  /// Empties the factory, then loads a file named in the program's narrow form.
  void ResetFromFile(const std::filesystem::path& file,
                     const SLoadOptions& options = SLoadOptions());

  /// The factory; null for a moved-from container.
  IBeanFactory* GetFactory() const noexcept { return m_factory.get(); }

  /// The bean `name` as a T; empty (with a Warn record) when it cannot be made or is no T.
  template <class T>
  CbSmartPointer<T> GetBean(const char* name) const {
    constexpr const char* kFunction = "Ostrel::CContainer::GetBean";
    return Typed<T>(Factory(kFunction).GetBean(name, nullptr), kFunction, "Bean", name);
  }

  /// The service registered at `index` (0: the first) for `typeId`, as a T; empty when
  /// there is none or it is no T.
  template <class T>
  CbSmartPointer<T> GetService(const char* typeId, std::uint32_t index = 0) const {
    constexpr const char* kFunction = "Ostrel::CContainer::GetService";
    return Typed<T>(Factory(kFunction).GetServiceInstance(typeId, index), kFunction, "Service",
                    typeId);
  }

  /// The first service registered for interface I under its type id (see
  /// RegisterInterface in <ostrel/BeanWrapper.h>).
  template <class I>
  CbSmartPointer<I> GetService() const {
    return GetService<I>(typeid(I).name());
  }

  /// Number of services registered for `typeId`.
  std::uint32_t GetServiceCount(const char* typeId) const {
    return Factory("Ostrel::CContainer::GetServiceCount").GetServiceCount(typeId);
  }

private:
  /// `instance` as a T, handing its reference on; a Warn record names what it is not.
  template <class T>
  static CbSmartPointer<T> Typed(CbSmartPointer<IReferenceCounted>&& instance,
                                 const char* function, const char* kind, const char* name) {
    T* typed = Internal::CTypedCast<T>::Cast(instance.Get());
    if (typed == nullptr) {
      if (instance) WarnWrongType(function, kind, name, typeid(T).name());
      return nullptr;
    }
    instance.Detach();
    return CbSmartPointer<T>::Adopt(typed);
  }
  /// Warns "<kind> '<name>' is no '<type>'"; `type` as typeid names it.
  static void WarnWrongType(const char* function, const char* kind, const char* name,
                            const char* type);

  IBeanFactory& Factory(const char* function) const {
    if (!m_factory) {
      throw CException(__FILE__, __LINE__, function, "The container holds no factory (moved from)");
    }
    return *m_factory;
  }

  std::shared_ptr<IBeanFactory> m_factory;
};

}  // namespace Ostrel
