/// @class Ostrel::CBeanWrapperBase
/// CBeanWrapperBase: what the wrapper toolkit's CBeanWrapper<T> does that does not depend
/// on the bean class, compiled once into the library instead of into every wrapper:
/// finding creation methods and methods by name and argument count, the autoname call,
/// argument type names, the class check of instances, failure messages and the run of an
/// exit method. CBeanWrapper<T> (BeanWrapper.h) adds one small function per creation
/// method and method, and the cast to T. A wrapper is immutable once its constructor
/// returned; its const slots may then be called from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <ostrel/IBeanWrapper.h>

namespace Ostrel {

class OSTREL_API CBeanWrapperBase : public IBeanWrapper {
public:
  struct SEntry;
  /// The exit method bound to an instance, and the wrapper that holds its entry.
  struct SExit {
    const SEntry* method = nullptr;               ///< The exit method; null for none.
    std::shared_ptr<const IBeanWrapper> wrapper;  ///< Keeps `method` alive with the instance.
  };
  /// Reads the arguments and makes an instance (creation methods); an empty pointer, with
  /// the reason in `error`, when it cannot.
  using CreateFunction = CbSmartPointer<IReferenceCounted> (*)(const SEntry& entry,
                                                               const ArgumentVector* arguments,
                                                               SExit& exit, std::string& error);
  /// Reads the arguments and calls a method on `object`, a pointer to the wrapper's
  /// class (methods); false with the reason in `error` when it cannot.
  using CallFunction = bool (*)(const SEntry& entry, void* object, const ArgumentVector* arguments,
                                std::string& error);
  /// Room in an entry for the pointer its function calls (a member function pointer
  /// may take more than one word).
  static constexpr std::size_t kTargetSize = 4 * sizeof(void*);
  /// One creation method or method. `target` holds what its function calls: a member
  /// function pointer or a function pointer, copied in byte for byte.
  struct SEntry {
    std::string name;                 ///< As configurations write it.
    std::vector<std::string> types;   ///< Type names of the arguments, in order.
    CreateFunction create = nullptr;  ///< Set for a creation method.
    CallFunction call = nullptr;      ///< Set for a method.
    bool bindsExit = false;           ///< Whether an exit method can bind to what it makes.
    /// What `create` or `call` calls.
    alignas(std::max_align_t) unsigned char target[kTargetSize] = {};
  };

  /// @copydoc IBeanWrapper::GetClassName
  const char* GetClassName() const override;
  /// @copydoc IBeanWrapper::Create
  CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                           const ArgumentVector* arguments,
                                           std::shared_ptr<const IBeanWrapper> self,
                                           const char* exitMethod,
                                           const DependencyList& dependencies) const override;
  /// @copydoc IBeanWrapper::Invoke
  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const ArgumentVector* arguments) const override;
  /// @copydoc IBeanWrapper::DeclaresMethod
  int DeclaresMethod(const char* method, std::size_t count) const override;
  /// @copydoc IBeanWrapper::GetArgumentTypes
  void GetArgumentTypes(const char* method, std::size_t count,
                        std::vector<std::string>& types) override;
  /// @copydoc IBeanWrapper::FindMethod
  const void* FindMethod(const char* method, std::size_t count) const override;
  /// @copydoc IBeanWrapper::InvokeMethod
  bool InvokeMethod(IReferenceCounted* instance, const void* entry, std::size_t count,
                    const ArgumentVector* arguments) const override;

  /// Runs exit method `method` on `object` (a pointer to the wrapper's class) at the end
  /// of an instance whose counter record is `counter`: only when the container completed
  /// the instance's creation, that is when the record's deleter is no longer `madeWith`.
  static void EndInstance(SReferenceCounter& counter, ReferenceDeleter madeWith,
                          const SEntry& method, void* object) noexcept;

protected:
  /// `made` is the class of the instances the wrapper makes; `toClass` casts any object
  /// to the wrapper's class (null when it is none).
  CBeanWrapperBase(std::string className, const std::type_info& made,
                   void* (*toClass)(IReferenceCounted*));
  ~CBeanWrapperBase() override;

  /// Adds a creation method; `types` holds `count` type names and `target` `size` bytes
  /// (at most kTargetSize) for its function.
  void AddCreator(std::string name, const char* const* types, std::size_t count, bool bindsExit,
                  CreateFunction create, const void* target, std::size_t size);
  /// Adds a method, as AddCreator adds a creation method.
  void AddMethod(std::string name, const char* const* types, std::size_t count,
                 CallFunction call, const void* target, std::size_t size);

private:
  const SEntry* Find(const std::vector<SEntry>& entries, const char* name, std::size_t count) const;
  void* Cast(IReferenceCounted* instance) const;
  bool CallOn(void* object, const SEntry& method, const ArgumentVector* arguments) const;
  CbSmartPointer<IReferenceCounted> Fail(const char* operation, const std::string& why) const;

  std::string m_className;
  std::vector<SEntry> m_creators;
  std::vector<SEntry> m_methods;
  const std::type_info& m_made;
  void* (*m_toClass)(IReferenceCounted*);
  mutable std::atomic<std::ptrdiff_t> m_madeOffset;
};

}  // namespace Ostrel
