// SBeanSlot: what a factory keeps for one bean definition from its first request until
// the factory is emptied: the configuration, what resolution works out once (the
// wrappers, the wrapper's method entries, the statistics counts) and the singleton
// instance with the state of its creation.
// Members are guarded as marked below: the prepared part by the factory's lock until
// `prepared` is set, the singleton's creation by the factory's singleton mutex.
#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <ostrel/BeanTypes.h>

#include "beans/CBeanConfig.h"

namespace Ostrel {

namespace Internal {
struct SBeanCounters;
}

struct SBeanSlot {
  explicit SBeanSlot(CBeanConfig& c) : config(c), definition(c.GetDefinition()) {}

  CBeanConfig& config;
  const SBeanDefinition& definition;

  // Worked out at the first request under the factory's lock; read without it once
  // `prepared` is set.
  std::atomic<bool> prepared{false};
  std::shared_ptr<const IBeanWrapper> own;       // the class's wrapper
  std::shared_ptr<const IBeanWrapper> creating;  // own, or the factory bean's
  // The own wrapper's entries of the properties (in order) and of the init method, null
  // where it has none to give; calls with a null entry go by name.
  std::vector<const void*> propertyEntries;
  const void* initEntry = nullptr;
  Internal::SBeanCounters* counters = nullptr;

  // A singleton's creation, changed under the factory's singleton mutex. `ready` is set
  // after `instance` and read without any lock.
  bool underway = false;
  std::thread::id creator;
  std::atomic<bool> ready{false};
  BeanResult instance;
};

}  // namespace Ostrel
