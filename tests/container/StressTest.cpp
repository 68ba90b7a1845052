// Eight threads load, copy, reset and destroy integrated and stand-alone containers
// while asking them for prototypes and services; they all reset one shared stand-alone
// container too, which never fails: loading resets of one factory do not interleave,
// and a thread using it meanwhile finds the configuration before or after each reset.
// Afterwards no bean is alive and nothing piled up between batches.
#include <gtest/gtest.h>

#include <thread>

#include "CaptureLog.h"
#include "RecordingWrapper.h"  // brings <ostrel/Ostrel.h>
#include "TestDocument.h"

namespace {

using namespace TestSupport;
using Ostrel::CContainer;

// A lazy order singleton serving "shop::IOrders" ("<p>s"), made by the first request
// after a load or reset, and a basket prototype given it ("<p>p").
std::string Beans(const std::string& p) {
  const std::string service = "<provides><interface>shop::IOrders</interface></provides>";
  return Document(
      Library(PLUGIN_TWO, Bean(p + "s", "shop::COrder", "singleton=\"true\"", service) +
                              Bean(p + "p", "CBasket", "", RefProperty("SetOrder", p + "s"))));
}

// False when the container lacks the prototype, the singleton given it or the service.
bool Use(const CContainer& container, const std::string& p) {
  auto proto = container.GetBean<TestPlugin::CRecordedBean>((p + "p").c_str());
  return proto &&
         proto->calls == std::vector<std::string>{"CBasket()", "SetOrder(bean:shop::COrder)"} &&
         container.GetService<TestPlugin::CRecordedBean>("{stress-orders}");
}

// Instances alive, over all beans.
std::uint64_t Live() {
  std::uint64_t live = 0;
  for (const auto& entry : Ostrel::GetBeanStatistics()) live += entry.live;
  return live;
}

TEST(StressTest, ContainersOfBothKindsOnEightThreads) {
  CaptureLog::SetThreshold(Logging::Error);  // keeps the log from growing with the rounds
  Ostrel::GetLocalLibrary().RegisterTypeID("shop::IOrders", "{stress-orders}");
  const std::string alone = Beans("stress.alone."), shared = Beans("stress.shared.");
  auto sharedContainer = std::make_unique<CContainer>(shared.c_str(), false);
  auto work = [&](int thread) {
    const std::string mine = "stress.i" + std::to_string(thread) + ".";
    for (int round = 0; round < 100; ++round) {
      // Own names in the default factory, which lives while any thread holds it: loaded
      // unless an earlier round's load is still there. An exception ends the program.
      CContainer integrated;
      if (!integrated.Exists((mine + "s").c_str())) CContainer(Beans(mine).c_str(), true);
      CContainer standAlone(alone.c_str(), false), copy(standAlone), sharedCopy(*sharedContainer);
      copy.Reset();
      standAlone.Reset(alone.c_str());
      EXPECT_TRUE(Use(integrated, mine) && Use(copy, "stress.alone.")) << thread;
      if (round % 8 == thread) sharedCopy.Reset(shared.c_str());
      // Another thread's reset swaps the configuration: never an empty one in between.
      EXPECT_TRUE(Use(sharedCopy, "stress.shared.")) << thread << " round " << round;
    }
  };
  std::vector<std::uint64_t> liveAfterBatch;
  for (int batch = 0; batch < 3; ++batch) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) threads.emplace_back(work, i);
    for (auto& thread : threads) thread.join();
    liveAfterBatch.push_back(Live());
  }
  EXPECT_EQ(liveAfterBatch.front(), liveAfterBatch.back());
  sharedContainer.reset();
  EXPECT_EQ(Live(), 0u);
}

}  // namespace
