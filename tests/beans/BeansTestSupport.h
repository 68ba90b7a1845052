// Helpers of the bean tests: a bean factory that records bean and service requests and
// answers them from configured instances, and the check of a thrown CException.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"

namespace BeansTest {

class CFakeBeanFactory : public Ostrel::IBeanFactory {
 public:
  using Pointer = CbSmartPointer<IReferenceCounted>;
  std::map<std::string, Pointer> beans;     // by bean name
  std::map<std::string, Pointer> services;  // by type id
  std::vector<std::string> beanRequests;
  std::vector<const Ostrel::SLibrary*> requesters;
  std::vector<std::string> serviceRequests;

  Pointer GetBean(const char* name, const Ostrel::SLibrary* requester) override {
    beanRequests.push_back(name);
    requesters.push_back(requester);
    return beans.count(name) != 0 ? beans[name] : nullptr;
  }
  Pointer GetServiceInstance(const char* typeId) override {
    serviceRequests.push_back(typeId);
    return services.count(typeId) != 0 ? services[typeId] : nullptr;
  }
  std::size_t Requests() const { return beanRequests.size() + serviceRequests.size(); }

  // Not used by the code under test.
  using Registration = std::shared_ptr<Ostrel::ITypeRegistration>;
  bool Exists(const char*) override { return false; }
  Pointer GetServiceInstance(const char*, std::uint32_t) override { return nullptr; }
  Registration RegisterFactory(const char*, bool, const Ostrel::ServiceCreator&,
                               Registration) override {
    return nullptr;
  }
  Registration RegisterInstance(const char*, bool, Pointer, Registration) override {
    return nullptr;
  }
  void ReleaseInstance(const Pointer&) override {}
  std::uint32_t GetServiceCount(const char*) override { return 0; }
};

// Expects `call` to throw a CException from `function` that logs exactly `message`.
template <class F>
void ExpectThrown(F call, const char* function, const std::wstring& message) {
  CaptureLog::Clear();
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const Ostrel::CException& e) {
    EXPECT_STREQ(e.GetFunctionName(), function);
  }
  auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, Logging::Error);
  EXPECT_EQ(records[0].function, function);
  EXPECT_EQ(records[0].message, L"Ostrel-Exception: \"" + message + L"\"");
}

}  // namespace BeansTest
