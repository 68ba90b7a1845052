// Eight threads load, copy, reset and destroy integrated and stand-alone containers
// while asking them, and one shared stand-alone container, for singletons, prototypes
// and services. Afterwards no bean is alive and nothing piled up between batches.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"

namespace {

using Ostrel::CContainer;

class IStress : public virtual IReferenceCounted {
public:
  virtual CbSmartPointer<IStress> Peer() const = 0;
};

// Counts constructed minus destroyed instances.
class CStressBean : public CbReferenceCounted, public IStress {
public:
  CStressBean() { ++live; }
  ~CStressBean() override { --live; }
  void SetPeer(CbSmartPointer<IStress> peer) { m_peer = peer; }
  CbSmartPointer<IStress> Peer() const override { return m_peer; }
  static inline std::atomic<long> live{0};

private:
  CbSmartPointer<IStress> m_peer;
};

class CStressWrapper : public Ostrel::CBeanWrapper<CStressBean> {
public:
  CStressWrapper() : CBeanWrapper("stress::CBean") {
    Constructor<>("CBean");
    Method("SetPeer", &CStressBean::SetPeer);
  }
};

// A singleton service made at load time and a prototype referring to a service.
std::string Document(const std::string& prefix) {
  return std::string("<ostrel><library path=\"") + PLUGIN_NONE + "\"><beans><bean name=\"" +
         prefix + "s\" class=\"stress::CBean\" singleton=\"true\" lazy=\"false\"><provides>"
         "<interface>stress::IStress</interface></provides></bean><bean name=\"" + prefix +
         "p\" class=\"stress::CBean\"><properties><property name=\"SetPeer\"><ref "
         "service=\"stress::IStress\"/></property></properties></bean></beans></library></ostrel>";
}

// Asks `container` for its beans; false when the singleton or prototype is missing.
bool Use(const CContainer& container, const std::string& prefix) {
  auto single = container.GetBean<IStress>((prefix + "s").c_str());
  auto proto = container.GetBean<IStress>((prefix + "p").c_str());
  auto service = container.GetService<IStress>();
  return single && single == container.GetBean<IStress>((prefix + "s").c_str()) && proto &&
         proto != single && proto->Peer() && service;
}

TEST(StressTest, ContainersOfBothKindsOnEightThreads) {
  constexpr int kThreads = 8, kBatches = 3, kRounds = 100;
  CaptureLog::SetThreshold(Logging::Error);  // keeps the log from growing with the rounds
  Ostrel::RegisterBeanClass<CStressWrapper>("stress::CBean");
  Ostrel::RegisterInterface<IStress>("stress::IStress");
  auto shared = std::make_unique<CContainer>(Document("stress.shared.").c_str(), false);
  std::atomic<int> failures{0};
  std::vector<long> liveAfterBatch;

  auto work = [&](int thread) {
    const std::string mine = "stress.i" + std::to_string(thread) + ".";
    for (int round = 0; round < kRounds; ++round) {
      try {
        // Integrated: own names, loaded unless an earlier round's are still there (the
        // default factory lives while any thread holds it; a second load would fail
        // with "Overriding bean"). Resetting it would empty the other threads' too.
        CContainer integrated;
        if (!integrated.Exists((mine + "s").c_str())) (void)CContainer(Document(mine).c_str(), true);
        CContainer integratedCopy(integrated);
        failures += Use(integratedCopy, mine) ? 0 : 1;

        CContainer alone(Document("stress.alone.").c_str(), false);
        CContainer aloneCopy = alone;
        failures += Use(aloneCopy, "stress.alone.") ? 0 : 1;
        aloneCopy.Reset();
        failures += alone.Exists("stress.alone.s") ? 1 : 0;
        alone.Reset(Document("stress.alone.").c_str());
        failures += Use(aloneCopy, "stress.alone.") ? 0 : 1;

        // The shared container is reset by thread 0 while the others use it, so its
        // answers are not checked, only asked for.
        CContainer sharedCopy(*shared);
        if (thread == 0 && round % 10 == 0) sharedCopy.Reset(Document("stress.shared.").c_str());
        (void)Use(sharedCopy, "stress.shared.");
      } catch (const IException&) {
        ++failures;
      }
    }
  };
  for (int batch = 0; batch < kBatches; ++batch) {
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back(work, i);
    for (auto& thread : threads) thread.join();
    liveAfterBatch.push_back(CStressBean::live);
  }

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(liveAfterBatch.front(), liveAfterBatch.back());
  EXPECT_EQ(CContainer().GetServiceCount(Ostrel::TypeIdOf<IStress>()), 0u);  // default gone
  shared.reset();
  EXPECT_EQ(CStressBean::live.load(), 0);
  for (const auto& entry : Ostrel::GetBeanStatistics()) {
    EXPECT_NE(entry.name.rfind("stress.", 0), 0u) << entry.name << " still has instances";
  }
}

}  // namespace
