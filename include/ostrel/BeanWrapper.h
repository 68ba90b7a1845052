/// @class Ostrel::CBeanWrapper
/// The wrapper toolkit: declare a bean class's wrapper in a few lines instead of
/// writing IBeanWrapper by hand.
///
/// @code
///   class CBasketWrapper : public Ostrel::CBeanWrapper<shop::CBasket> {
///   public:
///     CBasketWrapper() : CBeanWrapper("shop::CBasket") {
///       Constructor<>("CBasket");
///       Constructor<int, std::string>("CBasket");
///       Method("SetCustomer", &shop::CBasket::SetCustomer);
///       Method("Open", &shop::CBasket::Open);
///       Method("Close", &shop::CBasket::Close);
///     }
///   };
///   OSTREL_EXPORT_WRAPPER_MAKER(shop_CBasket, CBasketWrapper)
/// @endcode
///
/// Creation methods and methods are found by name and argument count, so overloads by
/// count work. Arguments are converted to the parameter types (see
/// WrapperArguments.h); a bean reference to an object of another class, or a missing
/// value, makes Create or Invoke fail and log why. An exit method named in the
/// configuration runs once, when an instance whose creation the container completed is
/// destroyed: instances made by Constructor are of a class derived from T whose
/// destructor calls it. Wrappers are immutable after construction and may be used from
/// any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include <ostrel/IBeanWrapper.h>
#include <ostrel/LocalLibrary.h>
#include <ostrel/Logger.h>
#include <ostrel/WrapperArguments.h>

namespace Ostrel {

namespace WrapperDetail {

inline const Logging::CLogger& Logger() {
  static const Logging::CLogger logger(L"Ostrel");
  return logger;
}

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// An instance of T whose destructor first runs the exit method bound to it, but only
// when the container completed the bean's creation. The container signals that by
// replacing the deleter of the counter record (see IBeanWrapper::Create): an instance
// it dropped half-way, after a failed property or init method, still has the deleter
// it was made with. This needs no call of its own, so hand-written wrappers can use the
// same sign.
template <class T>
class CBoundBean final : public T {
public:
  template <class... A>
  explicit CBoundBean(A&&... arguments)
      : T(std::forward<A>(arguments)...), m_madeWith(this->GetReferenceCounter()->deleter) {}
  ~CBoundBean() override {
    if (m_exit && this->GetReferenceCounter()->deleter != m_madeWith) {
      // The count is 0 by now. Hold it at 1 while the exit method runs, so that a
      // reference the method takes and drops again (handing the bean on to unregister
      // it, say) does not end the bean a second time.
      auto& count = this->GetReferenceCounter()->count;
      count.fetch_add(1, std::memory_order_relaxed);
      try {
        m_exit(static_cast<T&>(*this));
      } catch (...) {
        Logger().Warn(__FILE__, __LINE__, "Ostrel::CBeanWrapper::~CBoundBean",
                      L"The exit method of a bean threw an exception");
      }
      count.fetch_sub(1, std::memory_order_relaxed);
    }
  }
  std::function<void(T&)> m_exit;
  std::shared_ptr<const void> m_keep;  // what m_exit needs, kept alive with the instance
  const ReferenceDeleter m_madeWith;
};

// Reads all arguments into a tuple of stored parameter values, stopping at the first
// that does not convert.
template <class... P, std::size_t... I>
bool ReadAll([[maybe_unused]] const ArgumentVector& arguments,
             [[maybe_unused]] std::tuple<Stored<P>...>& values, std::string& error,
             std::index_sequence<I...>) {
  std::size_t index = 0;
  bool ok = ((index = I, SArgument<Stored<P>>::Read(arguments[I], std::get<I>(values), error)) && ...);
  if (!ok) {
    error = "argument " + std::to_string(index + 1) + " " + error;
  }
  return ok;
}

template <class... P>
bool Read(const ArgumentVector* arguments, std::tuple<Stored<P>...>& values, std::string& error) {
  if constexpr (sizeof...(P) == 0) {
    return true;
  } else {
    if (arguments == nullptr || arguments->size() < sizeof...(P)) {
      error = "received too few arguments";
      return false;
    }
    return ReadAll<P...>(*arguments, values, error, std::index_sequence_for<P...>{});
  }
}

template <class... P>
std::vector<std::string> Names() {
  return {SArgument<Stored<P>>::Name()...};
}

template <class R>
CbSmartPointer<IReferenceCounted> AsInstance(R&& result) {
  using D = std::decay_t<R>;
  if constexpr (std::is_pointer<D>::value) {
    return CbSmartPointer<IReferenceCounted>(result);
  } else {
    return CbSmartPointer<IReferenceCounted>(result.Get());
  }
}

}  // namespace WrapperDetail

template <class T>
class CBeanWrapper : public IBeanWrapper {
  static_assert(std::is_base_of<IReferenceCounted, T>::value,
                "bean classes derive from IReferenceCounted (e.g. CbReferenceCounted)");

public:
  /// A wrapper for the class that configurations call `className`; a derived wrapper's
  /// constructor then declares its creation methods and methods.
  explicit CBeanWrapper(std::string className) : m_className(std::move(className)) {}

  /// @copydoc IBeanWrapper::GetClassName
  const char* GetClassName() const override { return m_className.c_str(); }

  /// @copydoc IBeanWrapper::Create

  CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                           const ArgumentVector* arguments,
                                           std::shared_ptr<const IBeanWrapper> self,
                                           const char* exitMethod,
                                           const DependencyList&) const override {
    const std::string_view name = method != nullptr ? method : "";
    const SCreator* creator = Find(m_creators, name, count);
    if (creator == nullptr) {
      return Fail("Create", "has no creation method '" + std::string(name) + "' with " +
                                std::to_string(count) + " arguments");
    }
    const SMethod* exit = nullptr;
    const std::string_view exitName = exitMethod != nullptr ? exitMethod : "";
    if (!exitName.empty()) {
      exit = Find(m_methods, exitName, 0);
      if (exit == nullptr || !creator->bindsExit) {
        return Fail("Create", exit == nullptr
                                  ? "has no exit method '" + std::string(exitName) + "'"
                                  : "cannot bind exit method '" + std::string(exitName) +
                                        "' to creation method '" + std::string(name) + "'");
      }
    }
    std::string error;
    // The exit method's entry lives in this wrapper, which the instance keeps alive.
    CbSmartPointer<IReferenceCounted> instance =
        creator->create(arguments, exit != nullptr ? SExit{exit, std::move(self)} : SExit(), error);
    if (!instance) {
      return Fail("Create", "could not create '" + std::string(name) + "': " +
                                (error.empty() ? "no instance" : error));
    }
    return instance;
  }

  /// @copydoc IBeanWrapper::Invoke
  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const ArgumentVector* arguments) const override {
    const std::string_view name = method != nullptr ? method : "";
    T* object = Cast(instance);
    if (object == nullptr) {
      Fail("Invoke", "was asked to call '" + std::string(name) + "' on an object of another class");
      return false;
    }
    const SMethod* entry = Find(m_methods, name, count);
    if (entry == nullptr) {
      Fail("Invoke", "has no method '" + std::string(name) + "' with " + std::to_string(count) +
                         " arguments");
      return false;
    }
    // The container's autoname call passes the address of a const char* and marks it
    // (see IBeanWrapper::Invoke); hand the method a string like every other text
    // argument. A configured "SetName" property converts like any property.
    std::string beanName;
    ArgumentVector nameArgument;
    if (count == 1 && arguments != nullptr && arguments->size() > count &&
        (*arguments)[count] == AutonameMarker() && (*arguments)[0] != nullptr) {
      beanName = *static_cast<const char* const*>((*arguments)[0]);
      nameArgument.push_back(&beanName);
      arguments = &nameArgument;
    }
    return Call(*object, *entry, arguments);
  }

  /// @copydoc IBeanWrapper::FindMethod
  const void* FindMethod(const char* method, std::size_t count) const override {
    return Find(m_methods, method != nullptr ? method : "", count);
  }

  /// @copydoc IBeanWrapper::InvokeMethod
  bool InvokeMethod(IReferenceCounted* instance, const void* entry, std::size_t,
                    const ArgumentVector* arguments) const override {
    const SMethod& method = *static_cast<const SMethod*>(entry);
    T* object = Cast(instance);
    if (object == nullptr) {
      Fail("Invoke", "was asked to call '" + method.name + "' on an object of another class");
      return false;
    }
    return Call(*object, method, arguments);
  }

  /// @copydoc IBeanWrapper::DeclaresMethod
  int DeclaresMethod(const char* method, std::size_t count) const override {
    if (count == kRevisionQuery) return IBeanWrapper::DeclaresMethod(method, count);
    const std::string_view name = method != nullptr ? method : "";
    return Find(m_methods, name, count) != nullptr || Find(m_creators, name, count) != nullptr;
  }

  /// @copydoc IBeanWrapper::GetArgumentTypes
  void GetArgumentTypes(const char* method, std::size_t count,
                        std::vector<std::string>& types) override {
    const std::string_view name = method != nullptr ? method : "";
    const SMethod* entry = Find(m_methods, name, count);
    const SCreator* creator = entry == nullptr ? Find(m_creators, name, count) : nullptr;
    const std::vector<std::string>* names =
        entry != nullptr ? &entry->types : creator != nullptr ? &creator->types : nullptr;
    for (std::size_t i = 0; i < count; ++i) {
      types.push_back(names != nullptr && i < names->size() ? (*names)[i] : std::string());
    }
  }

protected:
  /// Declares a creation method `name` that constructs T from parameters P...; exit
  /// methods bind to instances made this way (unless T is final). Returns the wrapper,
  /// so declarations can be chained.
  template <class... P>
  CBeanWrapper& Constructor(std::string name) {
    SCreator creator;
    creator.name = std::move(name);
    creator.types = WrapperDetail::Names<P...>();
    creator.bindsExit = !std::is_final<T>::value;
    creator.create = [](const ArgumentVector* arguments, SExit exit,
                        std::string& error) -> CbSmartPointer<IReferenceCounted> {
      std::tuple<WrapperDetail::Stored<P>...> values;
      if (!WrapperDetail::Read<P...>(arguments, values, error)) {
        return nullptr;
      }
      return std::apply(
          [&exit](auto&... v) -> CbSmartPointer<IReferenceCounted> {
            if constexpr (std::is_final<T>::value) {
              return CbSmartPointer<IReferenceCounted>(new T(v...));
            } else {
              auto* bean = new WrapperDetail::CBoundBean<T>(v...);
              if (exit.method != nullptr) {
                bean->m_exit = [method = exit.method](T& instance) { RunExit(*method, instance); };
                bean->m_keep = std::move(exit.wrapper);
              }
              return CbSmartPointer<IReferenceCounted>(bean);
            }
          },
          values);
    };
    m_creators.push_back(std::move(creator));
    return *this;
  }

  /// Declares a creation method `name` served by `function` (a static member or free
  /// function) taking P... and returning a pointer or CbSmartPointer to a counted object;
  /// used for factory beans, whose creation methods make objects of other classes. No
  /// exit method binds to what it makes.
  template <class R, class... P>
  CBeanWrapper& Creator(std::string name, R (*function)(P...)) {
    SCreator creator;
    creator.name = std::move(name);
    creator.types = WrapperDetail::Names<P...>();
    creator.bindsExit = false;
    creator.create = [function](const ArgumentVector* arguments, SExit,
                                std::string& error) -> CbSmartPointer<IReferenceCounted> {
      std::tuple<WrapperDetail::Stored<P>...> values;
      if (!WrapperDetail::Read<P...>(arguments, values, error)) {
        return nullptr;
      }
      return WrapperDetail::AsInstance(
          std::apply([function](auto&... v) { return function(v...); }, values));
    };
    m_creators.push_back(std::move(creator));
    return *this;
  }

  /// Declares a method `name` of T (a property setter, an init or exit method, ...) by
  /// member pointer; its result is ignored. A later declaration with the same name and
  /// argument count replaces an earlier one.
  template <class R, class C, class... P>
  CBeanWrapper& Method(std::string name, R (C::*method)(P...)) {
    return AddMethod<P...>(std::move(name), [method](T& object, auto&... v) { (object.*method)(v...); });
  }
  /// The same for a const member function.
  template <class R, class C, class... P>
  CBeanWrapper& Method(std::string name, R (C::*method)(P...) const) {
    return AddMethod<P...>(std::move(name), [method](T& object, auto&... v) { (object.*method)(v...); });
  }

private:
  struct SMethod {
    std::string name;
    std::vector<std::string> types;
    std::function<bool(T&, const ArgumentVector*, std::string&)> call;
  };
  // The exit method bound to an instance, and the wrapper that holds its entry.
  struct SExit {
    const SMethod* method = nullptr;
    std::shared_ptr<const IBeanWrapper> wrapper;
  };
  struct SCreator {
    std::string name;
    std::vector<std::string> types;
    bool bindsExit = false;
    std::function<CbSmartPointer<IReferenceCounted>(const ArgumentVector*, SExit, std::string&)>
        create;
  };

  bool Call(T& object, const SMethod& method, const ArgumentVector* arguments) const {
    std::string error;
    if (!method.call(object, arguments, error)) {
      const std::size_t count = method.types.size();
      const bool reported = arguments != nullptr && arguments->size() > count &&
                            (*arguments)[count] == NullsReportedMarker() &&
                            error.find(WrapperDetail::kResolvedToNothing) != std::string::npos;
      if (!reported) Fail("Invoke", "could not call '" + method.name + "': " + error);
      return false;
    }
    return true;
  }

  // Runs the exit method bound to an instance.
  static void RunExit(const SMethod& method, T& instance) {
    const Logging::CLogger& logger = WrapperDetail::Logger();
    if (logger.IsDebugEnabled()) {
      logger.Debug(__FILE__, __LINE__, "Ostrel::CBeanWrapper::~CBoundBean",
                   L"Calling exit method '%s'", WrapperDetail::Wide(method.name).c_str());
    }
    std::string ignored;
    method.call(instance, nullptr, ignored);
  }

  template <class... P, class F>
  CBeanWrapper& AddMethod(std::string name, F invoke) {
    SMethod entry;
    entry.name = std::move(name);
    entry.types = WrapperDetail::Names<P...>();
    entry.call = [invoke](T& object, const ArgumentVector* arguments, std::string& error) {
      std::tuple<WrapperDetail::Stored<P>...> values;
      if (!WrapperDetail::Read<P...>(arguments, values, error)) {
        return false;
      }
      std::apply([&](auto&... v) { invoke(object, v...); }, values);
      return true;
    };
    m_methods.push_back(std::move(entry));
    return *this;
  }

  // The last registration with this name and argument count.
  template <class E>
  static const E* Find(const std::vector<E>& entries, std::string_view name, std::size_t count) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      // Length and last letter first: setters often share their first letters.
      const std::string& candidate = it->name;
      if (candidate.size() == name.size() && it->types.size() == count &&
          (name.empty() || candidate.back() == name.back()) && candidate == name) {
        return &*it;
      }
    }
    return nullptr;
  }

  // `instance` as a T, or null. The instances this wrapper makes are all of one class, so
  // the distance from their counted base to T is worked out once and reused.
  T* Cast(IReferenceCounted* instance) const {
    using Made = std::conditional_t<std::is_final<T>::value, T, WrapperDetail::CBoundBean<T>>;
    if (instance == nullptr || typeid(*instance) != typeid(Made)) {
      return dynamic_cast<T*>(instance);
    }
    std::ptrdiff_t offset = m_madeOffset.load(std::memory_order_relaxed);
    if (offset == kUnknownOffset) {
      T* object = dynamic_cast<T*>(instance);
      if (object == nullptr) return nullptr;
      offset = reinterpret_cast<char*>(object) - reinterpret_cast<char*>(instance);
      m_madeOffset.store(offset, std::memory_order_relaxed);
    }
    return reinterpret_cast<T*>(reinterpret_cast<char*>(instance) + offset);
  }

  CbSmartPointer<IReferenceCounted> Fail(const char* operation, const std::string& why) const {
    std::string function = std::string("Ostrel::CBeanWrapper::") + operation;
    WrapperDetail::Logger().Warn(__FILE__, __LINE__, function.c_str(), L"Wrapper of class '%s' %s",
                                 WrapperDetail::Wide(m_className).c_str(),
                                 WrapperDetail::Wide(why).c_str());
    return nullptr;
  }

  static constexpr std::ptrdiff_t kUnknownOffset = PTRDIFF_MIN;

  std::string m_className;
  std::vector<SCreator> m_creators;
  std::vector<SMethod> m_methods;
  mutable std::atomic<std::ptrdiff_t> m_madeOffset{kUnknownOffset};
};

/// @file
/// CBeanWrapper and the helpers that register wrappers and interfaces.

/// Creates a new W; use as a wrapper maker (the caller owns the result).
template <class W>
IBeanWrapper* MakeWrapper() {
  return new W();
}

/// Registers W as the wrapper of `className` with the local library of this process.
template <class W>
void RegisterBeanClass(const char* className) {
  GetLocalLibrary().RegisterWrapperMaker(MakeMakerName(className).c_str(),
                                         reinterpret_cast<void*>(&MakeWrapper<W>));
}

/// The type id text of interface I: the same in every shared object of the process.
template <class I>
const char* TypeIdOf() {
  return typeid(I).name();
}

/// Registers the type id of interface I for the name `className` that configurations
/// write in "provides" and service references.
template <class I>
void RegisterInterface(const char* className) {
  GetLocalLibrary().RegisterTypeID(className, TypeIdOf<I>());
}

}  // namespace Ostrel

#define OSTREL_INTERFACE_JOIN_(a, b) a##b
#define OSTREL_INTERFACE_NAME_(line) OSTREL_INTERFACE_JOIN_(ostrelInterfaceRegistered_, line)

/// Registers interface `Interface` under `className`, the name configurations write in
/// "provides" and service references, when the library or program holding the line is
/// loaded. Written at namespace scope, once per interface, in a plug-in's source:
/// `OSTREL_REGISTER_INTERFACE(shop::ICatalog, "shop::ICatalog")`. A strict load and the
/// configuration check load a configuration's libraries before they look interfaces up.
#define OSTREL_REGISTER_INTERFACE(Interface, className)                                  \
  static const bool OSTREL_INTERFACE_NAME_(__LINE__) =                                   \
      (::Ostrel::RegisterInterface<Interface>(className), true)
