// Shared pieces of the loader suites: a bean factory that answers GetBean with one
// recorded instance per name, and a helper that runs a call expected to throw and
// returns the one exception record it logged.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"
#include "RecordingWrapper.h"
#include "platform/TextConversion.h"

namespace LoaderTest {

class CFakeFactory : public Ostrel::IBeanFactory {
public:
  using Pointer = CbSmartPointer<IReferenceCounted>;
  std::map<std::string, Pointer> made;
  std::vector<std::string> requests;

  Pointer GetBean(const char* name, const Ostrel::SLibrary* requester) override {
    requests.push_back(std::string(name) + (requester == nullptr ? "" : "+requester"));
    Pointer& bean = made[name];
    if (!bean) {
      auto* recorded = new TestPlugin::CRecordedBean;
      recorded->className = name;
      bean = recorded;
    }
    return bean;
  }
  std::string NameOf(const Pointer& p) const {
    auto* recorded = dynamic_cast<TestPlugin::CRecordedBean*>(p.Get());
    return recorded != nullptr ? recorded->className : "<none>";
  }

  // Not used by the loader.
  bool Exists(const char*) override { return false; }
  Pointer GetServiceInstance(const char*, std::uint32_t) override { return nullptr; }
  Pointer GetServiceInstance(const char*) override { return nullptr; }
  std::shared_ptr<Ostrel::ITypeRegistration> RegisterFactory(
      const char*, bool, const Ostrel::ServiceCreator&,
      std::shared_ptr<Ostrel::ITypeRegistration>) override { return nullptr; }
  std::shared_ptr<Ostrel::ITypeRegistration> RegisterInstance(
      const char*, bool, Pointer, std::shared_ptr<Ostrel::ITypeRegistration>) override {
    return nullptr;
  }
  void ReleaseInstance(const Pointer&) override {}
  std::uint32_t GetServiceCount(const char*) override { return 0; }
};

struct SThrown {
  std::string function;  // as logged; the exception carries the same
  std::string message;   // without the "Ostrel-Exception" frame
};

// Runs `call`, which must throw CException after logging exactly one exception record.
template <class F>
SThrown Thrown(F&& call) {
  CaptureLog::Clear();
  std::string thrownBy = "<nothing thrown>";
  try {
    call();
  } catch (const Ostrel::CException& e) {
    thrownBy = e.GetFunctionName();
  }
  std::vector<SThrown> found;
  const std::wstring prefix = L"Ostrel-Exception: \"";
  for (const CaptureLog::SRecord& r : CaptureLog::Records()) {
    if (r.message.compare(0, prefix.size(), prefix) == 0) {
      EXPECT_EQ(r.level, Logging::Error);
      std::wstring text = r.message.substr(prefix.size(), r.message.size() - prefix.size() - 1);
      found.push_back({r.function, Platform::WideToUtf8(text)});
    }
  }
  if (found.size() != 1) {
    ADD_FAILURE() << found.size() << " exception records; thrown by " << thrownBy;
    return {thrownBy, found.empty() ? "" : found.back().message};
  }
  EXPECT_EQ(found[0].function, thrownBy);
  return found[0];
}

// The message of the exception that `call` throws.
template <class F>
std::string Message(F&& call) {
  return Thrown(std::forward<F>(call)).message;
}

}  // namespace LoaderTest
