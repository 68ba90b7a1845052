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

#include <ostrel/BeanTypes.h>
#include <ostrel/Export.h>

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

#define OSTREL_WRAPPER_VALUE_ARGUMENT(Type, TypeName)            \
  template <>                                                    \
  struct SArgument<Type> : SValueArgument<Type> {                \
    static constexpr const char* Name() { return TypeName; }     \
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
  static constexpr const char* Name() { return "char*"; }
  static bool Read(void* address, const char*& out, std::string& error) {
    if (address == nullptr) {
      error = "has no value";
      return false;
    }
    out = static_cast<const std::string*>(address)->c_str();
    return true;
  }
};

// Library functions the argument readers share, whatever the parameter types.
// Whether `arguments` holds at least `count` entries; sets `error` when not.
OSTREL_API bool HasArguments(const ArgumentVector* arguments, std::size_t count,
                             std::string& error);
// Puts the argument's number (from 0 at `index`) in front of `error`.
OSTREL_API void NumberArgumentError(std::size_t index, std::string& error);
// The object a reference argument at `address` holds, as the class `type` names (found
// by `cast`, which gives null for an object of another class), in `object`: false with
// `error` set when it holds nothing (unless `optional`) or an object of another class.
// All objects of one class lie at one distance from their counted base, so the distance
// found for a class is kept per thread and reused.
OSTREL_API bool ReadCounted(void* address, const std::type_info& type,
                            void* (*cast)(IReferenceCounted*), bool optional, void*& object,
                            std::string& error);

template <class U>
void* CastTo(IReferenceCounted* source) {
  return dynamic_cast<U*>(source);
}

// Why a reference that resolved to nothing is refused.
constexpr const char* kResolvedToNothing =
    "resolved to nothing (declare the parameter Optional<U> to accept that)";

// Reads a reference; an object of another class is an error, and so is nothing at all
// unless the parameter is optional.
template <class U>
bool ReadReference(void* address, CbSmartPointer<U>& out, std::string& error,
                   bool optional = false) {
  void* object = nullptr;
  const bool ok = ReadCounted(address, typeid(U), &CastTo<U>, optional, object, error);
  out = CbSmartPointer<U>(static_cast<U*>(object));
  return ok;
}

template <class U>
struct SArgument<CbSmartPointer<U>> {
  static constexpr const char* Name() { return "bean"; }
  static bool Read(void* address, CbSmartPointer<U>& out, std::string& error) {
    return ReadReference(address, out, error);
  }
};

template <class U>
struct SArgument<U*, std::enable_if_t<std::is_base_of<IReferenceCounted, U>::value>> {
  static constexpr const char* Name() { return "bean"; }
  static bool Read(void* address, U*& out, std::string& error) {
    CbSmartPointer<U> pointer;
    bool ok = ReadReference(address, pointer, error);
    out = pointer.Get();  // the caller's value pointer keeps the object alive
    return ok;
  }
};

template <class U>
struct SArgument<Optional<U>> {
  static constexpr const char* Name() { return "bean"; }
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
