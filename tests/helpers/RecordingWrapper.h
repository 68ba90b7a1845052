// A wrapper for tests that records every call. Each method it knows has a list of
// argument type names; arguments are decoded by those types and written into the
// instance's call list, e.g. "SetLimit(int:7)" or "CBasket(bean:null,char*:x)".
// Methods with a meaning of their own: "Fail" (Invoke answers false), "Throw" (Invoke
// throws), the creation method "FailCreate" (Create answers empty), "Keep" (the bean
// arguments are kept by the instance), "Scribble" (overwrites the text it was given).
// The type "name" reads a const char* (SetName).
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

namespace TestPlugin {

class CRecordedBean : public CbReferenceCounted {
 public:
  std::string className;
  std::vector<std::string> calls;  // creation first, then every Invoke
  std::vector<bool> dependencies;  // one entry per depends-on bean: present?
  std::vector<CbSmartPointer<IReferenceCounted>> kept;
  std::atomic<int>* destroyed = nullptr;  // counts destruction when set
  std::function<void()> onDestroy;        // called at destruction when set

  ~CRecordedBean() override {
    if (destroyed != nullptr) ++*destroyed;
    if (onDestroy) onDestroy();
  }
};

using MethodTypes = std::map<std::string, std::vector<std::string>>;

class CRecordingWrapper : public Ostrel::IBeanWrapper {
 public:
  CRecordingWrapper(std::string className, MethodTypes methods)
      : m_className(std::move(className)), m_methods(std::move(methods)) {}

  const char* GetClassName() const override { return m_className.c_str(); }

  CbSmartPointer<IReferenceCounted> Create(
      const char* method, std::size_t count, const Ostrel::ArgumentVector* arguments,
      std::shared_ptr<const Ostrel::IBeanWrapper> self, const char*,
      const Ostrel::DependencyList& dependencies) const override {
    std::string name = method != nullptr ? method : "";
    if (name == "FailCreate" || self.get() != this) {
      return nullptr;
    }
    CbSmartPointer<CRecordedBean> bean(new CRecordedBean);
    bean->className = m_className;
    for (const auto& d : dependencies) bean->dependencies.push_back(static_cast<bool>(d));
    bean->calls.push_back(Describe(name, count, arguments, bean.Get()));
    return bean;
  }

  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const Ostrel::ArgumentVector* arguments) const override {
    std::string name = method != nullptr ? method : "";
    if (name == "Throw") throw std::runtime_error("thrown by the bean");
    auto* bean = dynamic_cast<CRecordedBean*>(instance);
    if (bean == nullptr || name == "Fail" || m_methods.count(name) == 0) {
      return false;
    }
    bean->calls.push_back(Describe(name, count, arguments, bean));
    if (name == "Scribble" && count == 1 && (*arguments)[0] != nullptr) {
      static_cast<std::string*>((*arguments)[0])->assign("scribbled over");
    }
    return true;
  }

  void GetArgumentTypes(const char* method, std::size_t count,
                        std::vector<std::string>& types) override {
    auto it = m_methods.find(method != nullptr ? method : "");
    for (std::size_t i = 0; i < count; ++i) {
      types.push_back(it != m_methods.end() && i < it->second.size() ? it->second[i] : "");
    }
  }

 private:
  std::string Describe(const std::string& name, std::size_t count,
                       const Ostrel::ArgumentVector* arguments, CRecordedBean* bean) const {
    std::string text = name + "(";
    auto it = m_methods.find(name);
    for (std::size_t i = 0; i < count; ++i) {
      std::string type = it != m_methods.end() && i < it->second.size() ? it->second[i] : "?";
      void* p = arguments != nullptr && i < arguments->size() ? (*arguments)[i] : nullptr;
      if (i > 0) text += ",";
      text += type + ":" + Value(type, p, bean, name == "Keep");
    }
    return text + ")";
  }

  static std::string Value(const std::string& type, void* p, CRecordedBean* bean, bool keep) {
    if (p == nullptr) return "null";
    if (type == "int") return std::to_string(*static_cast<int*>(p));
    if (type == "char*") return *static_cast<std::string*>(p);
    if (type == "name") return *static_cast<const char**>(p);
    if (type == "bean" || type == "service") {
      auto& ref = *static_cast<CbSmartPointer<IReferenceCounted>*>(p);
      if (keep) bean->kept.push_back(ref);
      auto* other = dynamic_cast<CRecordedBean*>(ref.Get());
      return other != nullptr ? other->className : std::string("object");
    }
    return "?";
  }

  std::string m_className;
  MethodTypes m_methods;
};

}  // namespace TestPlugin
