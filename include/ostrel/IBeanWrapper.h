/// @class Ostrel::IBeanWrapper
/// IBeanWrapper: implemented by client code, one wrapper class per bean class. The
/// container creates instances and calls methods by name through it, passing untyped
/// argument addresses (see ArgumentVector). The slot order is fixed: clients and the
/// container agree on it across shared objects. Slots added later come after the
/// existing ones, with defaults, and the container calls them only on wrappers that say
/// they were compiled with them (GetRevision), so wrappers built before keep working.
/// A factory keeps one wrapper per class and may call it from several threads at once
/// through its const slots: a wrapper keeps no state that those calls change.
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

  /// The class name; used in log messages.
  virtual const char* GetClassName() const = 0;

  /// Creates an instance through creation method `method` with `count` arguments
  /// (`arguments` is null when there are none). `self` is the creating wrapper itself;
  /// `exitMethod` ("" when none) is for the wrapper to bind to the instance's end. The
  /// instance's counter record must be writable: the container replaces its deleter once
  /// the bean's creation completed (properties set, init method run). An instance that
  /// dies with the deleter it had when made was dropped half-way; its exit method must
  /// not run. Returns an empty pointer when the instance cannot be made.
  virtual CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                                   const ArgumentVector* arguments,
                                                   std::shared_ptr<const IBeanWrapper> self,
                                                   const char* exitMethod,
                                                   const DependencyList& dependencies) const = 0;

  /// Calls `method` on `instance`; true when the method exists, accepts the arguments
  /// and was called. The container names a bean (autoname) by calling "SetName" with
  /// count 1 and two entries: the address of the name as a const char*, then
  /// AutonameMarker(). A configured "SetName" property passes no such entry, so a
  /// wrapper that looks past `count` can tell the two apart.
  virtual bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
                      const ArgumentVector* arguments) const = 0;

  /// The revision of this interface that the wrapper was compiled against.
  static constexpr int kRevision = 2;
  /// The `count` that asks DeclaresMethod, with an empty `method`, for the revision.
  static constexpr std::size_t kRevisionQuery = static_cast<std::size_t>(-1);

  /// Whether the wrapper has a method or creation method `method` taking `count`
  /// arguments: 1 yes, 0 no, -1 cannot tell (the default). CheckConfiguration asks, for
  /// methods without arguments, which GetArgumentTypes cannot describe. An empty method
  /// with kRevisionQuery asks for the revision instead (see GetRevision); a wrapper that
  /// overrides this passes that question on to IBeanWrapper::DeclaresMethod.
  virtual int DeclaresMethod(const char* method, std::size_t count) const {
    return count == kRevisionQuery && method != nullptr && *method == '\0' ? kRevision : -1;
  }

  /// The revision the wrapper was compiled against: below 2 for wrappers built before
  /// FindMethod and InvokeMethod, whose slots they lack.
  int GetRevision() const { return DeclaresMethod("", kRevisionQuery); }

  /// Fills `types` with the type names of `method`'s `count` arguments, in order ("int",
  /// "char*", "bean", ...). A configuration whose argument has another type (aliases
  /// such as "int32_t" for "int" count as the same) is rejected. For a property an empty
  /// entry rejects the configuration too; for a creation method it means "not declared".
  virtual void GetArgumentTypes(const char* method, std::size_t count,
                                std::vector<std::string>& types) = 0;

  // Revision 2.

  /// An entry for calling `method` with `count` arguments through InvokeMethod, found
  /// once: the container asks once per bean definition and wrapper and then calls by
  /// entry instead of by name. Null (the default) when the wrapper has none to give;
  /// the container then calls Invoke by name. The entry stays valid as long as the
  /// wrapper.
  virtual const void* FindMethod(const char* method, std::size_t count) const {
    (void)method;
    (void)count;
    return nullptr;
  }

  /// Invoke for a method found by FindMethod of this wrapper.
  virtual bool InvokeMethod(IReferenceCounted* instance, const void* entry, std::size_t count,
                            const ArgumentVector* arguments) const {
    (void)instance;
    (void)entry;
    (void)count;
    (void)arguments;
    return false;
  }
};

/// The last entry of the argument vector of the container's autoname call (see Invoke).
OSTREL_API const void* AutonameMarker();

/// The entry past `count` in the argument vector of the container's property calls: the
/// container itself reports a bean or service reference that resolved to nothing, by
/// name at the property, when the call fails; a wrapper that refuses such an argument
/// need not log it.
OSTREL_API const void* NullsReportedMarker();

}  // namespace Ostrel
