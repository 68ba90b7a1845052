#include "FactoryFixture.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include <ostrel/LocalLibrary.h>

namespace FactoryTest {

const char* const kLibA = FACTORY_LIB_A;
const char* const kLibB = FACTORY_LIB_B;

namespace {

std::mutex s_mutex;
std::vector<std::string> s_events;

class CTrackedBean : public TestPlugin::CRecordedBean {
public:
  explicit CTrackedBean(std::string label) : m_label(std::move(label)) {}
  ~CTrackedBean() override { Event("destroy " + m_label); }

private:
  std::string m_label;
};

// A recording wrapper that also counts creations and logs its calls.
class CTestWrapper : public TestPlugin::CRecordingWrapper {
public:
  CTestWrapper(const std::string& className, TestPlugin::MethodTypes methods)
      : CRecordingWrapper(className, std::move(methods)), m_counters(Counters(className)) {}
  ~CTestWrapper() override { Event("wrapper " + std::string(GetClassName()) + " gone"); }

  CbSmartPointer<IReferenceCounted> Create(const char* method, std::size_t count,
                                           const Ostrel::ArgumentVector* arguments,
                                           std::shared_ptr<const Ostrel::IBeanWrapper> self,
                                           const char* exitMethod,
                                           const Ostrel::DependencyList& dependencies) const override {
    ++m_counters.creates;
    const std::string name = method;
    CbSmartPointer<IReferenceCounted> result;
    if (name == "Track" && count == 1 && arguments != nullptr) {
      const std::string label = *static_cast<std::string*>((*arguments)[0]);
      Event("create " + std::string(GetClassName()) + ".Track(" + label + ")");
      CbSmartPointer<CTrackedBean> bean(new CTrackedBean(label));
      bean->className = GetClassName();
      bean->calls.push_back("Track(char*:" + label + ")");
      for (const auto& d : dependencies) bean->dependencies.push_back(static_cast<bool>(d));
      result = bean;
    } else {
      Event("create " + std::string(GetClassName()) + "." + name);
      result = CRecordingWrapper::Create(method, count, arguments, self, exitMethod, dependencies);
    }
    if (auto* bean = dynamic_cast<TestPlugin::CRecordedBean*>(result.Get())) {
      bean->destroyed = &m_counters.destroyed;
    }
    return result;
  }

  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const Ostrel::ArgumentVector* arguments) const override {
    Event("invoke " + std::string(GetClassName()) + "." + method);
    return CRecordingWrapper::Invoke(instance, method, count, arguments);
  }

private:
  SClassCounters& m_counters;
};

struct SClassSpec {
  const char* name;
  bool hasWrapper;
  TestPlugin::MethodTypes methods;
};

const std::vector<SClassSpec>& Specs() {
  static const std::vector<SClassSpec> specs = {
      {"t::CWidget", true,
       {{"CWidget", {}},
        {"Make", {"int", "char*", "bean"}},
        {"Keep", {"bean"}},
        {"FailCreate", {}},
        {"Init", {}},
        {"SetName", {"name"}},
        {"SetLimit", {"int"}},
        {"SetOwner", {"char*"}},
        {"SetPeer", {"bean"}},
        {"SetService", {"service"}},
        {"Fail", {"int"}},
        {"Throw", {"int"}}}},
      {"t::CMaker", true, {{"CMaker", {}}, {"Build", {"int"}}}},
      {"t::CPlain", true, {{"CPlain", {}}}},
      {"t::CNoWrapper", false, {}},
      {"t::CTracked", true, {{"Track", {"char*"}}, {"SetName", {"name"}}}},
  };
  return specs;
}

Ostrel::IBeanWrapper* MakeWrapper(std::size_t index) {
  const SClassSpec& spec = Specs()[index];
  ++Counters(spec.name).makers;
  return spec.hasWrapper ? new CTestWrapper(spec.name, spec.methods) : nullptr;
}

template <std::size_t N>
Ostrel::IBeanWrapper* Make() {
  return MakeWrapper(N);
}

}  // namespace

SClassCounters& Counters(const std::string& className) {
  static std::map<std::string, SClassCounters>* counters = new std::map<std::string, SClassCounters>;
  std::lock_guard<std::mutex> lock(s_mutex);
  return (*counters)[className];
}

void Event(const std::string& text) {
  std::lock_guard<std::mutex> lock(s_mutex);
  s_events.push_back(text);
}

std::vector<std::string> Events() {
  std::lock_guard<std::mutex> lock(s_mutex);
  return s_events;
}

std::vector<std::string> EventsStartingWith(const std::string& prefix) {
  std::vector<std::string> selected;
  for (const std::string& event : Events()) {
    if (event.compare(0, prefix.size(), prefix) == 0) selected.push_back(event);
  }
  return selected;
}

void ClearEvents() {
  std::lock_guard<std::mutex> lock(s_mutex);
  s_events.clear();
}

void RegisterMakers() {
  static const bool registered = [] {
    OSTREL_REGISTER_WRAPPER_MAKER(Specs()[0].name, &Make<0>);
    OSTREL_REGISTER_WRAPPER_MAKER(Specs()[1].name, &Make<1>);
    OSTREL_REGISTER_WRAPPER_MAKER(Specs()[2].name, &Make<2>);
    OSTREL_REGISTER_WRAPPER_MAKER(Specs()[3].name, &Make<3>);
    OSTREL_REGISTER_WRAPPER_MAKER(Specs()[4].name, &Make<4>);
    auto& local = Ostrel::GetLocalLibrary();
    for (int i = 0; i < 4; ++i) {
      local.RegisterTypeID(("t::I" + std::to_string(i)).c_str(), ("{t-I" + std::to_string(i) + "}").c_str());
    }
    local.RegisterTypeID("t::IConc", "{t-conc}");
    local.RegisterTypeID("t::IService", "{t-service}");
    return true;
  }();
  (void)registered;
}

int PluginMakerCalls(const char* path, const char* className) {
  void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return 0;
  auto* calls = reinterpret_cast<int (*)(const char*)>(dlsym(module, "factory_maker_calls"));
  int result = calls != nullptr ? calls(className) : -1;
  dlclose(module);
  return result;
}

TestPlugin::CRecordedBean* Recorded(const CbSmartPointer<IReferenceCounted>& instance) {
  return dynamic_cast<TestPlugin::CRecordedBean*>(instance.Get());
}

std::vector<std::wstring> ResolveWarnings() {
  std::vector<std::wstring> messages;
  for (const CaptureLog::SRecord& record : CaptureLog::Records()) {
    if (record.level == 3 && record.function == "Ostrel::CBeanFactoryImpl::GetBeanWrapper") {
      messages.push_back(record.message);
    }
  }
  return messages;
}

std::string Document(const std::string& libraries) {
  std::string text = "<ostrel>" + libraries + "</ostrel>";
  for (const auto& [marker, path] : {std::pair<std::string, std::string>{"LIB_A", kLibA},
                                     std::pair<std::string, std::string>{"LIB_B", kLibB}}) {
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
      text.replace(at, marker.size(), path);
      at += path.size();
    }
  }
  return text;
}

void FactoryFixture::SetUp() {
  RegisterMakers();
  factory = std::make_shared<Ostrel::CBeanFactoryImpl>();
  libA.path = kLibA;
  libB.path = kLibB;
  CaptureLog::Clear();
  ClearEvents();
}

void FactoryFixture::TearDown() {
  factory.reset();
  CaptureLog::Clear();
}

void FactoryFixture::Load(const std::string& libraries) {
  Ostrel::CXMLResource loaded(Document(libraries).c_str());
  factory->Integrate(loaded.GetDefinitions());
  factory->CreateEagerBeans();
}

}  // namespace FactoryTest
