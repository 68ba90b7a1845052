// The factory suites' fixture: in-process classes whose wrappers count and log what
// they do, a fresh factory per test, and the Warn records that resolution leaves.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CaptureLog.h"
#include "RecordingWrapper.h"
#include "beans/SLibrary.h"
#include "factory/CBeanFactoryImpl.h"

namespace FactoryTest {

// Two loadable library paths: LIB_A and LIB_B in a loaded document.
extern const char* const kLibA;
extern const char* const kLibB;

// In-process classes, registered with the local library:
//   t::CWidget    every method the tests need (see FactoryFixture.cpp)
//   t::CMaker     creation methods "CMaker" and "Build(int)" only
//   t::CPlain     its creation method only (no SetName)
//   t::CNoWrapper its maker answers null
// and interface type ids "t::I0".."t::I3" ("{t-I0}"...) and "t::IService" ("{t-service}").
void RegisterMakers();

// The event log: "maker <class>", "create <class>.<creation call>" and, when that bean
// goes, "destroy <class>.<creation call>" (e.g. "t::CWidget.Track(char*:x)"), "invoke
// <class>.<method>", "wrapper <class> gone".
void Event(const std::string& text);
std::vector<std::string> Events(const std::string& prefix = "");
void ClearEvents();

TestPlugin::CRecordedBean* Recorded(const CbSmartPointer<IReferenceCounted>& instance);

// Messages of resolution's Warn records since the last CaptureLog::Clear, oldest first;
// the records naming places ("  at ...") only when asked for.
std::vector<std::wstring> ResolveWarnings(bool withPlaces = false);

class FactoryFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads `libraries` (LIB_A and LIB_B stand for the paths) and runs the start-up pass.
  void Load(const std::string& libraries);
  CbSmartPointer<IReferenceCounted> Get(const char* name,
                                        const Ostrel::SLibrary* requester = nullptr) {
    return factory->GetBean(name, requester);
  }

  std::shared_ptr<Ostrel::CBeanFactoryImpl> factory;
  Ostrel::SLibrary libA;
};

}  // namespace FactoryTest
