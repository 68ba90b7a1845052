// IBeanWrapper: implemented by client code, one wrapper class per bean class. The
// container creates instances and calls methods by name through it, passing untyped
// argument addresses (see ArgumentVector). The slot order is fixed: clients and the
// container agree on it across shared objects.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <ostrel/BeanTypes.h>
#include <ostrel/Export.h>

namespace Ostrel {

class OSTREL_API IBeanWrapper {
public:
  virtual ~IBeanWrapper() = default;

  // The class name; used in log messages.
  virtual const char* GetClassName() const = 0;

  // Creates an instance through creation method `method` with `count` arguments
  // (`arguments` is null when there are none). `self` is the creating wrapper itself;
  // `exitMethod` ("" when none) is for the wrapper to bind to the instance's end. The
  // instance's counter record must be writable: the container replaces its deleter once
  // the bean's creation completed (properties set, init method run). An instance that
  // dies with the deleter it had when made was dropped half-way; its exit method must
  // not run. Returns an empty pointer when the instance cannot be made.
  virtual CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                                   const ArgumentVector* arguments,
                                                   std::shared_ptr<const IBeanWrapper> self,
                                                   const char* exitMethod,
                                                   const DependencyList& dependencies) const = 0;

  // Calls `method` on `instance`; true when the method exists, accepts the arguments
  // and was called. The container names a bean (autoname) by calling "SetName" with
  // count 1 and two entries: the address of the name as a const char*, then
  // AutonameMarker(). A configured "SetName" property passes no such entry, so a
  // wrapper that looks past `count` can tell the two apart.
  virtual bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
                      const ArgumentVector* arguments) const = 0;

  // Whether the wrapper has a method or creation method `method` taking `count`
  // arguments: 1 yes, 0 no, -1 cannot tell (the default). Only CheckConfiguration asks,
  // for methods without arguments, which GetArgumentTypes cannot describe; a container
  // never calls it.
  virtual int DeclaresMethod(const char* method, std::size_t count) const {
    (void)method;
    (void)count;
    return -1;
  }

  // Fills `types` with the type names of `method`'s `count` arguments, in order ("int",
  // "char*", "bean", ...). A configuration whose argument has another type (aliases
  // such as "int32_t" for "int" count as the same) is rejected. For a property an empty
  // entry rejects the configuration too; for a creation method it means "not declared".
  virtual void GetArgumentTypes(const char* method, std::size_t count,
                                std::vector<std::string>& types) = 0;
};

// The last entry of the argument vector of the container's autoname call (see Invoke).
OSTREL_API const void* AutonameMarker();

}  // namespace Ostrel
