/// @class Ostrel::ITypeRegistration
/// ITypeRegistration: one service registration, as clients see it. Slot order fixed.
/// Configure a registration (SetSingleton, SetReleaser) on one thread before other
/// threads ask its factory for the service; afterwards it may be read from any thread.
#pragma once

#include <ostrel/BeanTypes.h>
#include <ostrel/Export.h>

namespace Ostrel {

class OSTREL_API ITypeRegistration {
public:
  virtual ~ITypeRegistration() = default;
  /// From now on the next instance the creator makes is kept and answers every request.
  /// Returns this registration, so settings can be chained.
  virtual ITypeRegistration& SetSingleton() = 0;
  /// Whether SetSingleton was called.
  virtual bool IsSingleton() const = 0;
  /// Instances made after this call are handed to `releaser` instead of being deleted
  /// when their last reference goes. Returns this registration.
  virtual ITypeRegistration& SetReleaser(const ServiceReleaser& releaser) = 0;
  /// A copy of the releaser; empty when none is set.
  virtual ServiceReleaser GetReleaser() const = 0;
};

}  // namespace Ostrel
