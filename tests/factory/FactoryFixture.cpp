#include "FactoryFixture.h"

#include <mutex>
#include <thread>

#include <ostrel/LocalLibrary.h>

#include "TestDocument.h"
#include "loader/CXMLResource.h"

namespace FactoryTest {

const char* const kLibA = PLUGIN_TWO;
const char* const kLibB = PLUGIN_NONE;

namespace {

std::mutex s_mutex;
std::vector<std::string> s_events;

// The recording wrapper, logging creations, calls, destruction and its own end.
class CTestWrapper : public TestPlugin::CRecordingWrapper {
 public:
  CTestWrapper(const std::string& className, TestPlugin::MethodTypes methods)
      : CRecordingWrapper(className, std::move(methods)) {}
  ~CTestWrapper() override { Event("wrapper " + std::string(GetClassName()) + " gone"); }

  CbSmartPointer<IReferenceCounted> Create(
      const char* method, std::size_t count, const Ostrel::ArgumentVector* arguments,
      std::shared_ptr<const Ostrel::IBeanWrapper> self, const char* exitMethod,
      const Ostrel::DependencyList& dependencies) const override {
    // "Wait" waits a bounded number of rounds for a "Signal" from another thread, which a
    // factory that serialised creation would keep out until the rounds ran out.
    static std::atomic<bool> waiting{false}, signalled{false};
    if (std::string(method) == "Wait") {
      waiting = true;
      for (int round = 0; round < 1000000 && !signalled; ++round) std::this_thread::yield();
      if (signalled.exchange(false)) Event("signalled");
      waiting = false;
    } else if (std::string(method) == "Signal") {
      for (int round = 0; round < 1000000 && !waiting; ++round) std::this_thread::yield();
      if (waiting) signalled = true;
    }
    if (std::string(method) == "Slow") {
      // Waits a bounded number of rounds for a second caller, which the factory's lock
      // keeps out while this one creates.
      static std::atomic<int> inside{0};
      ++inside;
      for (int round = 0; round < 100000 && inside.load() < 2; ++round) std::this_thread::yield();
      --inside;
    }
    CbSmartPointer<IReferenceCounted> result =
        CRecordingWrapper::Create(method, count, arguments, self, exitMethod, dependencies);
    if (auto* bean = Recorded(result)) {
      const std::string creation = GetClassName() + ("." + bean->calls.front());
      Event("create " + creation);
      bean->onDestroy = [creation] { Event("destroy " + creation); };
    }
    return result;
  }

  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const Ostrel::ArgumentVector* arguments) const override {
    Event("invoke " + std::string(GetClassName()) + "." + method);
    return CRecordingWrapper::Invoke(instance, method, count, arguments);
  }
};

struct SClassSpec {
  const char* name;
  bool hasWrapper;
  TestPlugin::MethodTypes methods;
};

// clang-format off
const SClassSpec kSpecs[] = {
    {"t::CWidget", true, {{"CWidget", {}}, {"Slow", {}}, {"Make", {"int", "char*", "bean"}},
                          {"Keep", {"bean"}}, {"FailCreate", {}}, {"Init", {}}, {"SetName", {"name"}},
                          {"SetLimit", {"int"}}, {"SetOwner", {"char*"}}, {"SetPeer", {"bean"}},
                          {"SetService", {"service"}}, {"Fail", {"int"}}, {"Throw", {"int"}},
                          {"Track", {"char*"}}, {"Scribble", {"char*"}}, {"Wait", {}}, {"Signal", {}}}},
    {"t::CMaker", true, {{"CMaker", {}}, {"Build", {"int"}}}},
    {"t::CPlain", true, {{"CPlain", {}}}},
    {"t::CNoWrapper", false, {}}};
// clang-format on

template <std::size_t N>
Ostrel::IBeanWrapper* Make() {
  Event(std::string("maker ") + kSpecs[N].name);
  return kSpecs[N].hasWrapper ? new CTestWrapper(kSpecs[N].name, kSpecs[N].methods) : nullptr;
}

}  // namespace

void Event(const std::string& text) {
  std::lock_guard<std::mutex> lock(s_mutex);
  s_events.push_back(text);
}

std::vector<std::string> Events(const std::string& prefix) {
  std::lock_guard<std::mutex> lock(s_mutex);
  std::vector<std::string> selected;
  for (const std::string& event : s_events) {
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
    OSTREL_REGISTER_WRAPPER_MAKER(kSpecs[0].name, &Make<0>);
    OSTREL_REGISTER_WRAPPER_MAKER(kSpecs[1].name, &Make<1>);
    OSTREL_REGISTER_WRAPPER_MAKER(kSpecs[2].name, &Make<2>);
    OSTREL_REGISTER_WRAPPER_MAKER(kSpecs[3].name, &Make<3>);
    auto& local = Ostrel::GetLocalLibrary();
    for (const char* i : {"0", "1", "2", "3"}) {
      local.RegisterTypeID((std::string("t::I") + i).c_str(),
                           (std::string("{t-I") + i + "}").c_str());
    }
    local.RegisterTypeID("t::IService", "{t-service}");
    return true;
  }();
  (void)registered;
}

TestPlugin::CRecordedBean* Recorded(const CbSmartPointer<IReferenceCounted>& instance) {
  return dynamic_cast<TestPlugin::CRecordedBean*>(instance.Get());
}

std::vector<std::wstring> ResolveWarnings(bool withPlaces) {
  std::vector<std::wstring> messages;
  for (const CaptureLog::SRecord& record : CaptureLog::Records()) {
    if (record.level == 3 && record.function == "Ostrel::CBeanFactoryImpl::GetBeanWrapper" &&
        (withPlaces || record.message.compare(0, 5, L"  at ") != 0)) {
      messages.push_back(record.message);
    }
  }
  return messages;
}

void FactoryFixture::SetUp() {
  RegisterMakers();
  factory = std::make_shared<Ostrel::CBeanFactoryImpl>();
  libA.path = kLibA;
  CaptureLog::Clear();
  ClearEvents();
}

void FactoryFixture::TearDown() {
  factory.reset();
  CaptureLog::Clear();
}

void FactoryFixture::Load(const std::string& libraries) {
  using TestSupport::Replaced;
  const std::string text =
      Replaced(Replaced(TestSupport::Document(libraries), "LIB_A", kLibA), "LIB_B", kLibB);
  Ostrel::CXMLResource loaded(text.c_str());
  factory->Integrate(loaded.GetDefinitions());
  factory->CreateEagerBeans();
}

}  // namespace FactoryTest
