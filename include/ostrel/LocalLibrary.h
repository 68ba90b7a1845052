/// @class Ostrel::ILibraryConfiguration
/// The local library: wrapper makers and interface type ids registered from inside the
/// process. A bean class whose library exports no maker is looked up here by maker
/// name; service interfaces are turned into type ids here. Registration is thread-safe.
#pragma once

#include <ostrel/BeanTypes.h>
#include <ostrel/Export.h>
#include <ostrel/MakerName.h>

namespace Ostrel {

class ILibraryConfiguration {
public:
  /// Sets the maker registered under `makerName` (see MakeMakerName), replacing an
  /// earlier one; `maker` is a WrapperMaker.
  virtual void RegisterWrapperMaker(const char* makerName, void* maker) = 0;
  /// Removes the maker registered under `makerName`; false when there was none.
  virtual bool UnregisterWrapperMaker(const char* makerName) = 0;
  /// Sets the type id text of the interface class `className` (as configurations write
  /// it), replacing an earlier one.
  virtual void RegisterTypeID(const char* className, const char* typeId) = 0;

protected:
  ~ILibraryConfiguration() = default;  // never deleted through this interface
};

/// @file
/// ILibraryConfiguration, the local library that holds it and the macros that register
/// wrapper makers.

/// The process-wide local library, created on first use and destroyed at process exit.
OSTREL_API ILibraryConfiguration& GetLocalLibrary();

}  // namespace Ostrel

/// Exports the wrapper maker of a class from a plug-in library, with C linkage. `Maker`
/// is the class name with "::" written as "_" (shop_CBasket for shop::CBasket), so the
/// function is named create_shop_CBasket_Wrapper; `WrapperType` is default-constructed.
#define OSTREL_EXPORT_WRAPPER_MAKER(Maker, WrapperType)                                  \
  extern "C" __attribute__((visibility("default"))) ::Ostrel::IBeanWrapper*              \
      create_##Maker##_Wrapper() {                                                       \
    return new WrapperType();                                                            \
  }

/// Registers a wrapper maker for class `className` (a string such as "shop::CBasket")
/// with the local library; `makerFunction` is a function returning a new wrapper.
#define OSTREL_REGISTER_WRAPPER_MAKER(className, makerFunction)                          \
  ::Ostrel::GetLocalLibrary().RegisterWrapperMaker(                                       \
      ::Ostrel::MakeMakerName(className).c_str(),                                         \
      reinterpret_cast<void*>(static_cast<::Ostrel::WrapperMaker>(makerFunction)))
