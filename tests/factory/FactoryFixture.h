// Shared pieces of the factory tests: in-process wrapper classes with counters and an
// event log, a fixture that loads configurations into a fresh factory, and readers of
// the Warn records that bean resolution leaves.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "factory/CBeanFactoryImpl.h"
#include "loader/CXMLResource.h"
#include "CaptureLog.h"
#include "RecordingWrapper.h"
#include "beans/SLibrary.h"

namespace FactoryTest {

// Paths of the two test plug-ins; both export makers for fac::CPlug and fac::CHollow.
extern const char* const kLibA;
extern const char* const kLibB;

// In-process classes (makers registered with the local library):
//   t::CWidget   every method the tests need (see FactoryFixture.cpp)
//   t::CMaker    creation methods "CMaker" and "Build(int)", nothing else
//   t::CPlain    creation method only (no SetName)
//   t::CNoWrapper  its maker answers null
//   t::CTracked  "Track(char*)" makes a bean that logs "destroy <label>" when it goes
struct SClassCounters {
  std::atomic<int> makers{0};
  std::atomic<int> creates{0};
  std::atomic<int> destroyed{0};
};
SClassCounters& Counters(const std::string& className);

// The process-wide event log: "create <class>.<method>" (t::CTracked adds
// "(<label>)"), "invoke <class>.<method>", "destroy <label>", "wrapper <class> gone".
void Event(const std::string& text);
std::vector<std::string> Events();
std::vector<std::string> EventsStartingWith(const std::string& prefix);
void ClearEvents();

// Registers the in-process makers and interface type ids "t::I0".."t::I3" ("{t-I0}"...),
// "t::IConc" ("{t-conc}") and "t::IService" ("{t-service}"). Idempotent.
void RegisterMakers();

// Maker calls counted by the plug-in at `path` for `className`; 0 while it is not loaded.
int PluginMakerCalls(const char* path, const char* className);

// The recorded bean behind a result, or null.
TestPlugin::CRecordedBean* Recorded(const CbSmartPointer<IReferenceCounted>& instance);

// Messages of the Warn records of Ostrel::CBeanFactoryImpl::GetBeanWrapper since the
// last CaptureLog::Clear, oldest first.
std::vector<std::wstring> ResolveWarnings();

// `libraries` inside an <ostrel> element, with LIB_A and LIB_B replaced by the paths.
std::string Document(const std::string& libraries);

class FactoryFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Loads a document (see Document) into the factory and runs the start-up pass.
  void Load(const std::string& libraries);
  CbSmartPointer<IReferenceCounted> Get(const char* name, const Ostrel::SLibrary* requester = nullptr) {
    return factory->GetBean(name, requester);
  }

  std::shared_ptr<Ostrel::CBeanFactoryImpl> factory;
  Ostrel::SLibrary libA;
  Ostrel::SLibrary libB;
};

}  // namespace FactoryTest
