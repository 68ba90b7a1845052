/// @class Ostrel::IBeanFactory
/// IBeanFactory: the factory behind a container. Client code reaches it through
/// CContainer::GetFactory() and its typed accessors. Slot order fixed. Every operation
/// may be called from any thread.
#pragma once

#include <cstdint>
#include <memory>

#include <ostrel/BeanTypes.h>
#include <ostrel/Export.h>
#include <ostrel/ITypeRegistration.h>

namespace Ostrel {

class OSTREL_API IBeanFactory {
public:
  virtual ~IBeanFactory() = default;

  /// True when the configuration defines a bean of this name. May load the bean's
  /// library on first use and throws what that throws.
  virtual bool Exists(const char* name) = 0;

  /// The instance of the index-th registration (from 0) for `typeId`, or empty.
  virtual CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId,
                                                               std::uint32_t index) = 0;
  /// The instance of the first registration for `typeId`, or empty.
  virtual CbSmartPointer<IReferenceCounted> GetServiceInstance(const char* typeId) = 0;

  /// The bean of this name, made or taken from the singleton cache; empty (never an
  /// exception) when it cannot be made, with the reason in the log. `requester` is the
  /// library on whose behalf the bean is asked for (null: none).
  virtual CbSmartPointer<IReferenceCounted> GetBean(const char* name,
                                                    const SLibrary* requester = nullptr) = 0;

  /// Registers a service made on request by `creator`, at the front or the end of the
  /// type id's list. Pass the registration returned by an earlier call to register the
  /// same service under several type ids.
  virtual std::shared_ptr<ITypeRegistration> RegisterFactory(
      const char* typeId, bool atFront, const ServiceCreator& creator,
      std::shared_ptr<ITypeRegistration> registration = nullptr) = 0;

  /// Registers a fixed instance; registering one instance twice under one type id with
  /// new registrations throws.
  virtual std::shared_ptr<ITypeRegistration> RegisterInstance(
      const char* typeId, bool atFront, CbSmartPointer<IReferenceCounted> instance,
      std::shared_ptr<ITypeRegistration> registration = nullptr) = 0;

  /// Removes every registration that holds `instance`; throws when there is none.
  virtual void ReleaseInstance(const CbSmartPointer<IReferenceCounted>& instance) = 0;

  /// Number of registrations for `typeId`.
  virtual std::uint32_t GetServiceCount(const char* typeId) = 0;
};

}  // namespace Ostrel
