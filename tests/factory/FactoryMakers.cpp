// Wrapper makers of the factory tests' plug-ins. fac::CPlug gets a recording wrapper,
// fac::CHollow gets none (its maker answers null). Each plug-in counts the calls of its
// own makers; the tests read the counts through factory_maker_calls.
#include <atomic>
#include <cstring>

#include "RecordingWrapper.h"

namespace {

std::atomic<int> s_plugCalls{0};
std::atomic<int> s_hollowCalls{0};

struct CPlugWrapper : TestPlugin::CRecordingWrapper {
  CPlugWrapper()
      : CRecordingWrapper("fac::CPlug", {{"CPlug", {}},
                                         {"Init", {}},
                                         {"SetName", {"name"}},
                                         {"SetLimit", {"int"}}}) {}
};

}  // namespace

extern "C" __attribute__((visibility("default"))) Ostrel::IBeanWrapper* create_fac_CPlug_Wrapper() {
  ++s_plugCalls;
  return new CPlugWrapper;
}

extern "C" __attribute__((visibility("default"))) Ostrel::IBeanWrapper* create_fac_CHollow_Wrapper() {
  ++s_hollowCalls;
  return nullptr;
}

// Maker calls so far for "fac::CPlug" or "fac::CHollow"; -1 for any other class.
extern "C" __attribute__((visibility("default"))) int factory_maker_calls(const char* className) {
  if (className != nullptr && std::strcmp(className, "fac::CPlug") == 0) return s_plugCalls.load();
  if (className != nullptr && std::strcmp(className, "fac::CHollow") == 0) return s_hollowCalls.load();
  return -1;
}
