// The factory that integrated containers share, held only weakly.
// Thread-safe: the weak reference is guarded by a lock of its own.
#pragma once

#include <memory>

#include <ostrel/IBeanFactory.h>

namespace Ostrel {
namespace Internal {

// The factory a new container shall hold: the default factory (made when none is
// alive) when `integrate` is true, else a new one. Throws CException "Could not create
// bean factory".
std::shared_ptr<IBeanFactory> CreateFactory(bool integrate);

// The default factory when one is alive, else empty; never creates one.
std::shared_ptr<IBeanFactory> GetDefaultFactory();

}  // namespace Internal
}  // namespace Ostrel
