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

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include <ostrel/BeanWrapperBase.h>
#include <ostrel/IBeanWrapper.h>
#include <ostrel/LocalLibrary.h>
#include <ostrel/WrapperArguments.h>

namespace Ostrel {

namespace WrapperDetail {

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
    if (m_exit != nullptr) {
      CBeanWrapperBase::EndInstance(*this->GetReferenceCounter(), m_madeWith, *m_exit,
                                    static_cast<T*>(this));
    }
  }
  const CBeanWrapperBase::SEntry* m_exit = nullptr;
  std::shared_ptr<const void> m_keep;  // the wrapper that holds m_exit
  const ReferenceDeleter m_madeWith;
};

// Reads all arguments into a tuple of stored parameter values, stopping at the first
// that does not convert.
template <class... P, std::size_t... I>
bool ReadAll([[maybe_unused]] const ArgumentVector& arguments,
             [[maybe_unused]] std::tuple<Stored<P>...>& values, std::string& error,
             std::index_sequence<I...>) {
  std::size_t index = 0;
  const bool ok =
      ((index = I, SArgument<Stored<P>>::Read(arguments[I], std::get<I>(values), error)) && ...);
  if (!ok) NumberArgumentError(index, error);
  return ok;
}

template <class... P>
bool Read(const ArgumentVector* arguments, std::tuple<Stored<P>...>& values, std::string& error) {
  if constexpr (sizeof...(P) == 0) {
    return true;
  } else {
    return HasArguments(arguments, sizeof...(P), error) &&
           ReadAll<P...>(*arguments, values, error, std::index_sequence_for<P...>{});
  }
}

// The configuration's type names of parameters P..., followed by a null.
template <class... P>
const char* const* Names() {
  static constexpr const char* names[] = {SArgument<Stored<P>>::Name()..., nullptr};
  return names;
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

template <class F>
F TargetOf(const CBeanWrapperBase::SEntry& entry) {
  F target;
  std::memcpy(&target, entry.target, sizeof target);
  return target;
}

template <class F, class V, std::size_t... I>
decltype(auto) CallWith(F function, [[maybe_unused]] V& values, std::index_sequence<I...>) {
  return function(std::get<I>(values)...);
}

// A creation method served by a function: shared by every wrapper whose function has
// this signature.
template <class R, class... P>
CbSmartPointer<IReferenceCounted> CallCreator(const CBeanWrapperBase::SEntry& entry,
                                              const ArgumentVector* arguments,
                                              CBeanWrapperBase::SExit&, std::string& error) {
  std::tuple<Stored<P>...> values;
  if (!Read<P...>(arguments, values, error)) return nullptr;
  return AsInstance(
      CallWith(TargetOf<R (*)(P...)>(entry), values, std::index_sequence_for<P...>{}));
}

}  // namespace WrapperDetail

template <class T>
class CBeanWrapper : public CBeanWrapperBase {
  static_assert(std::is_base_of<IReferenceCounted, T>::value,
                "bean classes derive from IReferenceCounted (e.g. CbReferenceCounted)");
  using Made = std::conditional_t<std::is_final<T>::value, T, WrapperDetail::CBoundBean<T>>;

public:
  /// A wrapper for the class that configurations call `className`; a derived wrapper's
  /// constructor then declares its creation methods and methods.
  explicit CBeanWrapper(std::string className)
      : CBeanWrapperBase(std::move(className), typeid(Made), &ToClass) {}

protected:
  /// Declares a creation method `name` that constructs T from parameters P...; exit
  /// methods bind to instances made this way (unless T is final). Returns the wrapper,
  /// so declarations can be chained.
  template <class... P>
  CBeanWrapper& Constructor(std::string name) {
    AddCreator(std::move(name), WrapperDetail::Names<P...>(), sizeof...(P),
               !std::is_final<T>::value, &Construct<P...>, nullptr, 0);
    return *this;
  }

  /// Declares a creation method `name` served by `function` (a static member or free
  /// function) taking P... and returning a pointer or CbSmartPointer to a counted object;
  /// used for factory beans, whose creation methods make objects of other classes. No
  /// exit method binds to what it makes.
  template <class R, class... P>
  CBeanWrapper& Creator(std::string name, R (*function)(P...)) {
    AddCreator(std::move(name), WrapperDetail::Names<P...>(), sizeof...(P), false,
               &WrapperDetail::CallCreator<R, P...>, &function, sizeof function);
    return *this;
  }

  /// Declares a method `name` of T (a property setter, an init or exit method, ...) by
  /// member pointer; its result is ignored. A later declaration with the same name and
  /// argument count replaces an earlier one.
  template <class R, class C, class... P>
  CBeanWrapper& Method(std::string name, R (C::*method)(P...)) {
    return AddMember<R (C::*)(P...), P...>(std::move(name), method);
  }
  /// The same for a const member function.
  template <class R, class C, class... P>
  CBeanWrapper& Method(std::string name, R (C::*method)(P...) const) {
    return AddMember<R (C::*)(P...) const, P...>(std::move(name), method);
  }

private:
  static void* ToClass(IReferenceCounted* instance) { return dynamic_cast<T*>(instance); }

  template <class... P>
  static CbSmartPointer<IReferenceCounted> Construct(const SEntry&, const ArgumentVector* arguments,
                                                     SExit& exit, std::string& error) {
    std::tuple<WrapperDetail::Stored<P>...> values;
    if (!WrapperDetail::Read<P...>(arguments, values, error)) return nullptr;
    return Make(values, exit, std::index_sequence_for<P...>{});
  }

  template <class V, std::size_t... I>
  static CbSmartPointer<IReferenceCounted> Make([[maybe_unused]] V& values, SExit& exit,
                                                std::index_sequence<I...>) {
    if constexpr (std::is_final<T>::value) {
      (void)exit;
      return CbSmartPointer<IReferenceCounted>(new T(std::get<I>(values)...));
    } else {
      auto* bean = new WrapperDetail::CBoundBean<T>(std::get<I>(values)...);
      if (exit.method != nullptr) {
        bean->m_exit = exit.method;
        bean->m_keep = std::move(exit.wrapper);
      }
      return CbSmartPointer<IReferenceCounted>(bean);
    }
  }

  template <class M, class... P>
  CBeanWrapper& AddMember(std::string name, M method) {
    static_assert(sizeof(M) <= kTargetSize, "member function pointer too large");
    AddMethod(std::move(name), WrapperDetail::Names<P...>(), sizeof...(P), &CallMember<M, P...>,
              &method, sizeof method);
    return *this;
  }

  template <class M, class... P>
  static bool CallMember(const SEntry& entry, void* object, const ArgumentVector* arguments,
                         std::string& error) {
    std::tuple<WrapperDetail::Stored<P>...> values;
    if (!WrapperDetail::Read<P...>(arguments, values, error)) return false;
    Apply(*static_cast<T*>(object), WrapperDetail::TargetOf<M>(entry), values,
          std::index_sequence_for<P...>{});
    return true;
  }

  template <class M, class V, std::size_t... I>
  static void Apply(T& object, M method, [[maybe_unused]] V& values, std::index_sequence<I...>) {
    (object.*method)(std::get<I>(values)...);
  }
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
