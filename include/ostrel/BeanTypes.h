// Types that travel between the container and client code: the argument vector, the
// dependency list, the bean result, service creators and releasers, the wrapper maker.
// Plain types with no state of their own: as safe to share between threads as the
// standard types they hold.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tamarack/CbSmartPointer.h>
#include <tamarack/IReferenceCounted.h>

namespace Ostrel {

class IBeanWrapper;

/// The loader's record of a library of a configuration. Its first member is the
/// library's path as the configuration writes it; a requesting library is compared by
/// that path. Null stands for a request made on behalf of no library.
struct SLibrary;

/// One untyped address per argument, in declaration order: a value of the argument's
/// type (std::string for "char*", std::wstring for "wchar_t*"), a
/// CbSmartPointer<IReferenceCounted> for "bean" and "service", or null when a reference
/// yielded no instance. Valid until the call returns. Each call gets values of its own,
/// which it may change without changing what a later call gets; copy what you keep.
using ArgumentVector = std::vector<void*>;

/// The instances of a bean's depends-on beans, in order; an entry is empty when that
/// bean could not be made.
using DependencyList = std::vector<CbSmartPointer<IReferenceCounted>>;

/// A created bean with the wrapper of its class; both empty when resolution failed.
using BeanResult = std::pair<std::shared_ptr<const IBeanWrapper>, CbSmartPointer<IReferenceCounted>>;

/// Makes a service instance on request.
using ServiceCreator = std::function<CbSmartPointer<IReferenceCounted>()>;

/// Called instead of deletion when the last reference to a service instance goes.
using ServiceReleaser = std::function<void(const IReferenceCounted*)>;

/// Creates a new wrapper for one class; the caller owns it. May return null.
using WrapperMaker = IBeanWrapper* (*)();

}  // namespace Ostrel
