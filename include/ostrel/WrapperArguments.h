// How the wrapper toolkit reads one untyped argument address as a C++ parameter type,
// and which type name a configuration writes for it. Supported parameter types (by
// value or const reference): bool, char, signed/unsigned char, short, unsigned short,
// int, unsigned int, long, unsigned long, float, double, std::string ("char*"),
// const char* ("char*", valid during the call), std::wstring ("wchar_t*"), and bean or
// service references as CbSmartPointer<U> or U* ("bean"), which refuse a reference that
// resolved to nothing, or as Optional<U>, which accepts it.
// The readers keep no state: wrapper calls on different threads may convert their
// arguments at once.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>
#include <typeinfo>

#include <tamarack/CbSmartPointer.h>
#include <tamarack/IReferenceCounted.h>

#include <ostrel/Optional.h>

namespace Ostrel {
namespace WrapperDetail {

template <class V>
struct SValueArgument {
  static bool Read(void* address, V& out, std::string& error) {
    if (address == nullptr) {
      error = "has no value";
      return false;
    }
    out = *static_cast<const V*>(address);
    return true;
  }
};

template <class P, class Enable = void>
struct SArgument;  // unsupported parameter types fail to compile here

#define OSTREL_WRAPPER_VALUE_ARGUMENT(Type, TypeName)          \
  template <>                                                  \
  struct SArgument<Type> : SValueArgument<Type> {              \
    static const char* Name() { return TypeName; }             \
  };

OSTREL_WRAPPER_VALUE_ARGUMENT(bool, "bool")
OSTREL_WRAPPER_VALUE_ARGUMENT(char, "char")
OSTREL_WRAPPER_VALUE_ARGUMENT(signed char, "int8_t")
OSTREL_WRAPPER_VALUE_ARGUMENT(unsigned char, "unsigned char")
OSTREL_WRAPPER_VALUE_ARGUMENT(short, "short")
OSTREL_WRAPPER_VALUE_ARGUMENT(unsigned short, "unsigned short")
OSTREL_WRAPPER_VALUE_ARGUMENT(int, "int")
OSTREL_WRAPPER_VALUE_ARGUMENT(unsigned int, "unsigned int")
OSTREL_WRAPPER_VALUE_ARGUMENT(long, "long")
OSTREL_WRAPPER_VALUE_ARGUMENT(unsigned long, "unsigned long")
OSTREL_WRAPPER_VALUE_ARGUMENT(float, "float")
OSTREL_WRAPPER_VALUE_ARGUMENT(double, "double")
OSTREL_WRAPPER_VALUE_ARGUMENT(std::string, "char*")
OSTREL_WRAPPER_VALUE_ARGUMENT(std::wstring, "wchar_t*")

#undef OSTREL_WRAPPER_VALUE_ARGUMENT

template <>
struct SArgument<const char*> {
  static const char* Name() { return "char*"; }
  static bool Read(void* address, const char*& out, std::string& error) {
    if (address == nullptr) {
      error = "has no value";
      return false;
    }
    out = static_cast<const std::string*>(address)->c_str();
    return true;
  }
};

// `source` as a U, or null. All objects of one class lie at one distance from their
// counted base, so the distance found for the class last seen on this thread is reused.
template <class U>
U* CastReference(IReferenceCounted* source) {
  struct SLast {
    const std::type_info* type = nullptr;
    std::ptrdiff_t offset = 0;
  };
  static thread_local SLast last;
  if (source == nullptr) return nullptr;
  const std::type_info& type = typeid(*source);
  if (last.type == &type) {
    return reinterpret_cast<U*>(reinterpret_cast<char*>(source) + last.offset);
  }
  U* object = dynamic_cast<U*>(source);
  if (object != nullptr) {
    last = {&type, reinterpret_cast<char*>(object) - reinterpret_cast<char*>(source)};
  }
  return object;
}

// Why a reference that resolved to nothing is refused.
constexpr const char* kResolvedToNothing =
    "resolved to nothing (declare the parameter Optional<U> to accept that)";

// Reads a reference; an object of another class is an error, and so is nothing at all
// unless the parameter is optional.
template <class U>
bool ReadReference(void* address, CbSmartPointer<U>& out, std::string& error,
                   bool optional = false) {
  out = nullptr;
  const auto* source = static_cast<const CbSmartPointer<IReferenceCounted>*>(address);
  if (source == nullptr || !*source) {
    if (!optional) error = kResolvedToNothing;
    return optional;
  }
  out = CbSmartPointer<U>(CastReference<U>(source->Get()));
  if (!out) {
    error = "is an object of another class";
    return false;
  }
  return true;
}

template <class U>
struct SArgument<CbSmartPointer<U>> {
  static const char* Name() { return "bean"; }
  static bool Read(void* address, CbSmartPointer<U>& out, std::string& error) {
    return ReadReference(address, out, error);
  }
};

template <class U>
struct SArgument<U*, std::enable_if_t<std::is_base_of<IReferenceCounted, U>::value>> {
  static const char* Name() { return "bean"; }
  static bool Read(void* address, U*& out, std::string& error) {
    CbSmartPointer<U> pointer;
    bool ok = ReadReference(address, pointer, error);
    out = pointer.Get();  // the caller's value pointer keeps the object alive
    return ok;
  }
};

template <class U>
struct SArgument<Optional<U>> {
  static const char* Name() { return "bean"; }
  static bool Read(void* address, Optional<U>& out, std::string& error) {
    CbSmartPointer<U> pointer;
    const bool ok = ReadReference(address, pointer, error, true);
    out = Optional<U>(std::move(pointer));
    return ok;
  }
};

// The stored form of a parameter type: the decayed type.
template <class P>
using Stored = std::decay_t<P>;

}  // namespace WrapperDetail
}  // namespace Ostrel
