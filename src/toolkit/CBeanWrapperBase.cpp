#include <ostrel/BeanWrapperBase.h>

#include <cstring>
#include <string_view>

#include <ostrel/Logger.h>
#include <ostrel/WrapperArguments.h>

#include "platform/TextConversion.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr std::ptrdiff_t kUnknownOffset = PTRDIFF_MIN;

std::wstring Wide(const std::string& text) { return Platform::Utf8ToWide(text); }

std::string_view NameOf(const char* method) { return method != nullptr ? method : ""; }

}  // namespace

CBeanWrapperBase::CBeanWrapperBase(std::string className, const std::type_info& made,
                                   void* (*toClass)(IReferenceCounted*))
    : m_className(std::move(className)), m_made(made), m_toClass(toClass),
      m_madeOffset(kUnknownOffset) {}

CBeanWrapperBase::~CBeanWrapperBase() = default;

const char* CBeanWrapperBase::GetClassName() const { return m_className.c_str(); }

CbSmartPointer<IReferenceCounted> CBeanWrapperBase::Create(const char* method, std::size_t count,
                                                           const ArgumentVector* arguments,
                                                           std::shared_ptr<const IBeanWrapper> self,
                                                           const char* exitMethod,
                                                           const DependencyList&) const {
  const std::string_view name = NameOf(method);
  const SEntry* creator = Find(m_creators, method, count);
  if (creator == nullptr) {
    return Fail("Create", "has no creation method '" + std::string(name) + "' with " +
                              std::to_string(count) + " arguments");
  }
  SExit exit;
  const std::string_view exitName = NameOf(exitMethod);
  if (!exitName.empty()) {
    exit.method = Find(m_methods, exitMethod, 0);
    if (exit.method == nullptr || !creator->bindsExit) {
      return Fail("Create", exit.method == nullptr
                                ? "has no exit method '" + std::string(exitName) + "'"
                                : "cannot bind exit method '" + std::string(exitName) +
                                      "' to creation method '" + std::string(name) + "'");
    }
    // The exit method's entry lives in this wrapper, which the instance keeps alive.
    exit.wrapper = std::move(self);
  }
  std::string error;
  CbSmartPointer<IReferenceCounted> instance = creator->create(*creator, arguments, exit, error);
  if (!instance) {
    return Fail("Create", "could not create '" + std::string(name) + "': " +
                              (error.empty() ? "no instance" : error));
  }
  return instance;
}

bool CBeanWrapperBase::Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
                              const ArgumentVector* arguments) const {
  const std::string_view name = NameOf(method);
  void* object = Cast(instance);
  if (object == nullptr) {
    Fail("Invoke", "was asked to call '" + std::string(name) + "' on an object of another class");
    return false;
  }
  const SEntry* entry = Find(m_methods, method, count);
  if (entry == nullptr) {
    Fail("Invoke", "has no method '" + std::string(name) + "' with " + std::to_string(count) +
                       " arguments");
    return false;
  }
  // The container's autoname call passes the address of a const char* and marks it
  // (see IBeanWrapper::Invoke); hand the method a string like every other text
  // argument. A configured "SetName" property converts like any property.
  std::string beanName;
  ArgumentVector nameArgument;
  if (count == 1 && arguments != nullptr && arguments->size() > count &&
      (*arguments)[count] == AutonameMarker() && (*arguments)[0] != nullptr) {
    beanName = *static_cast<const char* const*>((*arguments)[0]);
    nameArgument.push_back(&beanName);
    arguments = &nameArgument;
  }
  return CallOn(object, *entry, arguments);
}

const void* CBeanWrapperBase::FindMethod(const char* method, std::size_t count) const {
  return Find(m_methods, method, count);
}

bool CBeanWrapperBase::InvokeMethod(IReferenceCounted* instance, const void* entry, std::size_t,
                                    const ArgumentVector* arguments) const {
  const SEntry& method = *static_cast<const SEntry*>(entry);
  void* object = Cast(instance);
  if (object == nullptr) {
    Fail("Invoke", "was asked to call '" + method.name + "' on an object of another class");
    return false;
  }
  return CallOn(object, method, arguments);
}

int CBeanWrapperBase::DeclaresMethod(const char* method, std::size_t count) const {
  if (count == kRevisionQuery) return IBeanWrapper::DeclaresMethod(method, count);
  return Find(m_methods, method, count) != nullptr || Find(m_creators, method, count) != nullptr;
}

void CBeanWrapperBase::GetArgumentTypes(const char* method, std::size_t count,
                                        std::vector<std::string>& types) {
  const SEntry* entry = Find(m_methods, method, count);
  if (entry == nullptr) entry = Find(m_creators, method, count);
  types.reserve(types.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    types.push_back(entry != nullptr && i < entry->types.size() ? entry->types[i] : std::string());
  }
}

void CBeanWrapperBase::EndInstance(SReferenceCounter& counter, ReferenceDeleter madeWith,
                                   const SEntry& method, void* object) noexcept {
  if (counter.deleter == madeWith) return;
  // The count is 0 by now. Hold it at 1 while the exit method runs, so that a reference
  // the method takes and drops again (handing the bean on to unregister it, say) does
  // not end the bean a second time.
  counter.count.fetch_add(1, std::memory_order_relaxed);
  try {
    if (s_logger.IsDebugEnabled()) {
      s_logger.Debug(__FILE__, __LINE__, "Ostrel::CBeanWrapper::~CBoundBean",
                     L"Calling exit method '%s'", Wide(method.name).c_str());
    }
    std::string ignored;
    method.call(method, object, nullptr, ignored);
  } catch (...) {
    s_logger.Warn(__FILE__, __LINE__, "Ostrel::CBeanWrapper::~CBoundBean",
                  L"The exit method of a bean threw an exception");
  }
  counter.count.fetch_sub(1, std::memory_order_relaxed);
}

void CBeanWrapperBase::AddCreator(std::string name, const char* const* types, std::size_t count,
                                  bool bindsExit, CreateFunction create, const void* target,
                                  std::size_t size) {
  // Built aside and copied in: push_back of an lvalue returns nothing, so no vector member
  // named after an entry joins the library's exported symbols in an unoptimised build.
  SEntry entry;
  entry.name = std::move(name);
  entry.types.assign(types, types + count);
  entry.create = create;
  entry.bindsExit = bindsExit;
  if (size != 0) std::memcpy(entry.target, target, size);
  m_creators.push_back(entry);
}

void CBeanWrapperBase::AddMethod(std::string name, const char* const* types, std::size_t count,
                                 CallFunction call, const void* target, std::size_t size) {
  SEntry entry;
  entry.name = std::move(name);
  entry.types.assign(types, types + count);
  entry.call = call;
  std::memcpy(entry.target, target, size);
  m_methods.push_back(entry);
}

// The last registration with this name and argument count.
const CBeanWrapperBase::SEntry* CBeanWrapperBase::Find(const std::vector<SEntry>& entries,
                                                       const char* method,
                                                       std::size_t count) const {
  const std::string_view name = NameOf(method);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    // Length and last letter first: setters often share their first letters.
    const std::string& candidate = it->name;
    if (candidate.size() == name.size() && it->types.size() == count &&
        (name.empty() || candidate.back() == name.back()) && candidate == name) {
      return &*it;
    }
  }
  return nullptr;
}

// `instance` as the wrapper's class, or null. The instances this wrapper makes are all
// of one class, so the distance from their counted base to that class is worked out
// once and reused.
void* CBeanWrapperBase::Cast(IReferenceCounted* instance) const {
  if (instance == nullptr || typeid(*instance) != m_made) {
    return m_toClass(instance);
  }
  std::ptrdiff_t offset = m_madeOffset.load(std::memory_order_relaxed);
  if (offset == kUnknownOffset) {
    void* object = m_toClass(instance);
    if (object == nullptr) return nullptr;
    offset = static_cast<char*>(object) - reinterpret_cast<char*>(instance);
    m_madeOffset.store(offset, std::memory_order_relaxed);
  }
  return reinterpret_cast<char*>(instance) + offset;
}

bool CBeanWrapperBase::CallOn(void* object, const SEntry& method,
                              const ArgumentVector* arguments) const {
  std::string error;
  if (!method.call(method, object, arguments, error)) {
    const std::size_t count = method.types.size();
    const bool reported = arguments != nullptr && arguments->size() > count &&
                          (*arguments)[count] == NullsReportedMarker() &&
                          error.find(WrapperDetail::kResolvedToNothing) != std::string::npos;
    if (!reported) Fail("Invoke", "could not call '" + method.name + "': " + error);
    return false;
  }
  return true;
}

CbSmartPointer<IReferenceCounted> CBeanWrapperBase::Fail(const char* operation,
                                                         const std::string& why) const {
  const std::string function = std::string("Ostrel::CBeanWrapper::") + operation;
  s_logger.Warn(__FILE__, __LINE__, function.c_str(), L"Wrapper of class '%s' %s",
                Wide(m_className).c_str(), Wide(why).c_str());
  return nullptr;
}

}  // namespace Ostrel
