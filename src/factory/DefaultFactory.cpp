#include "factory/DefaultFactory.h"

#include <mutex>

#include "factory/CBeanFactoryImpl.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
namespace {

// The default factory, held weakly, with a lock of its own so that integrated
// containers may come and go on several threads.
std::mutex s_defaultMutex;
std::weak_ptr<IBeanFactory> s_defaultFactory;

}  // namespace

std::shared_ptr<IBeanFactory> CreateFactory(bool integrate) {
  std::shared_ptr<IBeanFactory> factory;
  if (integrate) {
    std::lock_guard<std::mutex> lock(s_defaultMutex);
    factory = s_defaultFactory.lock();
    if (!factory) {
      factory = std::make_shared<CBeanFactoryImpl>();
      s_defaultFactory = factory;
    }
  } else {
    factory = std::make_shared<CBeanFactoryImpl>();
  }
  if (!factory) {
    OSTREL_THROW("Ostrel::Internal::CreateFactory", "Could not create bean factory");
  }
  return factory;
}

std::shared_ptr<IBeanFactory> GetDefaultFactory() {
  std::lock_guard<std::mutex> lock(s_defaultMutex);
  return s_defaultFactory.lock();
}

}  // namespace Internal
}  // namespace Ostrel
