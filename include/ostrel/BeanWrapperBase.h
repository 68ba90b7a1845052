// CBeanWrapperBase: what the wrapper toolkit's CBeanWrapper<T> does that does not depend
// on the bean class, compiled once into the library instead of into every wrapper:
// finding creation methods and methods by name and argument count, the autoname call,
// argument type names, the class check of instances, failure messages and the run of an
// exit method. CBeanWrapper<T> (BeanWrapper.h) adds one small function per creation
// method and method, and the cast to T. A wrapper is immutable once its constructor
// returned; its const slots may then be called from any thread.
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
  // The exit method bound to an instance, and the wrapper that holds its entry.
  struct SExit {
    const SEntry* method = nullptr;
    std::shared_ptr<const IBeanWrapper> wrapper;
  };
  // Reads the arguments and makes an instance (creation methods) ...
  using CreateFunction = CbSmartPointer<IReferenceCounted> (*)(const SEntry& entry,
                                                               const ArgumentVector* arguments,
                                                               SExit& exit, std::string& error);
  // ... or calls a method on `object`, a pointer to the wrapper's class (methods).
  using CallFunction = bool (*)(const SEntry& entry, void* object, const ArgumentVector* arguments,
                                std::string& error);
  static constexpr std::size_t kTargetSize = 4 * sizeof(void*);
  // One creation method or method. `target` holds what its function calls: a member
  // function pointer or a function pointer, copied in byte for byte.
  struct SEntry {
    std::string name;
    std::vector<std::string> types;
    CreateFunction create = nullptr;
    CallFunction call = nullptr;
    bool bindsExit = false;
    alignas(std::max_align_t) unsigned char target[kTargetSize] = {};
  };

  const char* GetClassName() const override;
  CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                           const ArgumentVector* arguments,
                                           std::shared_ptr<const IBeanWrapper> self,
                                           const char* exitMethod,
                                           const DependencyList& dependencies) const override;
  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const ArgumentVector* arguments) const override;
  int DeclaresMethod(const char* method, std::size_t count) const override;
  void GetArgumentTypes(const char* method, std::size_t count,
                        std::vector<std::string>& types) override;
  const void* FindMethod(const char* method, std::size_t count) const override;
  bool InvokeMethod(IReferenceCounted* instance, const void* entry, std::size_t count,
                    const ArgumentVector* arguments) const override;

  // Runs exit method `method` on `object` (a pointer to the wrapper's class) at the end
  // of an instance whose counter record is `counter`: only when the container completed
  // the instance's creation, that is when the record's deleter is no longer `madeWith`.
  static void EndInstance(SReferenceCounter& counter, ReferenceDeleter madeWith,
                          const SEntry& method, void* object) noexcept;

protected:
  // `made` is the class of the instances the wrapper makes; `toClass` casts any object
  // to the wrapper's class (null when it is none).
  CBeanWrapperBase(std::string className, const std::type_info& made,
                   void* (*toClass)(IReferenceCounted*));
  ~CBeanWrapperBase() override;

  // Adds a creation method or method; `types` holds `count` type names and `target`
  // `size` bytes (at most kTargetSize) for its function.
  void AddCreator(std::string name, const char* const* types, std::size_t count, bool bindsExit,
                  CreateFunction create, const void* target, std::size_t size);
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
