// Service registrations: fixed instances, creators, singletons and releasers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <ostrel/Ostrel.h>

#include "Thrown.h"
#include "beans/CServiceConfig.h"

namespace {

using Ostrel::CServiceConfig;
using Pointer = CbSmartPointer<IReferenceCounted>;

struct CService : CbReferenceCounted {
  explicit CService(std::atomic<int>* destroyed) : destroyed(destroyed) {}
  ~CService() override { ++*destroyed; }
  std::atomic<int>* destroyed;
};

std::size_t WarnCount() {
  std::size_t count = 0;
  for (const auto& record : CaptureLog::Records()) count += record.level == Logging::Warn;
  return count;
}

class ServiceConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CaptureLog::Clear();
    pending = CServiceConfig::GetPendingReleaserCount();
  }

  // Counts its calls; the instances count their destruction.
  Ostrel::ServiceCreator Creator(int sleepMilliseconds = 0) {
    return [this, sleepMilliseconds] {
      ++created;
      std::this_thread::sleep_for(std::chrono::milliseconds(sleepMilliseconds));
      return Pointer(new CService(&destroyed));
    };
  }

  std::atomic<int> created{0};
  std::atomic<int> destroyed{0};
  std::size_t pending = 0;
};

TEST_F(ServiceConfigTest, NeitherInstanceNorCreator) {
  CServiceConfig config{Pointer()};
  TestSupport::ExpectThrown([&] { config.GetInstance(); }, "Ostrel::CServiceConfig::GetInstance",
                          "No constructor for service type registered");
}

TEST_F(ServiceConfigTest, CreatorMakesAnInstancePerRequestUnlessSingleton) {
  CServiceConfig config(Creator());
  EXPECT_NE(config.GetInstance(), config.GetInstance());
  EXPECT_EQ(created, 2);
  EXPECT_FALSE(config.GetReleaser());

  CServiceConfig single(Creator());
  Ostrel::ITypeRegistration& chained =
      single.SetSingleton().SetReleaser([](const IReferenceCounted* instance) { delete instance; });
  EXPECT_EQ(&chained, &single);
  EXPECT_TRUE(single.IsSingleton());
  EXPECT_TRUE(single.GetReleaser());
  Pointer first = single.GetInstance();
  EXPECT_EQ(single.GetInstance(), first);
  EXPECT_TRUE(single.Holds(first.Get()));
  EXPECT_EQ(created, 3);
}

TEST_F(ServiceConfigTest, ReleaserReplacesDeletionOfInstancesMadeAfterIt) {
  std::vector<const IReferenceCounted*> released;
  CServiceConfig config(Creator());
  Pointer before = config.GetInstance();
  config.SetReleaser(
      [&released](const IReferenceCounted* instance) { released.push_back(instance); });
  Pointer instance = config.GetInstance();
  IReferenceCounted* address = instance.Get();
  EXPECT_EQ(CServiceConfig::GetPendingReleaserCount(), pending + 1);

  Pointer copy = instance;
  instance.Reset();
  EXPECT_TRUE(released.empty());
  copy.Reset();
  EXPECT_EQ(released, std::vector<const IReferenceCounted*>{address});
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(CServiceConfig::GetPendingReleaserCount(), pending);
  delete address;

  before.Reset();  // made before the releaser: deleted as usual
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(released.size(), 1u);
  EXPECT_EQ(WarnCount(), 0u);
}

TEST_F(ServiceConfigTest, ReleaseHookNeverThrows) {
  int calls = 0;
  CServiceConfig config(Creator());
  config.SetReleaser([&calls](const IReferenceCounted* instance) {
    ++calls;
    delete instance;
    throw std::runtime_error("releaser failed");
  });
  // An instance carrying the hook without a recorded releaser is deleted as usual.
  Pointer created = config.GetInstance();
  Pointer other(new CService(&destroyed));
  other->GetReferenceCounter()->deleter = created->GetReferenceCounter()->deleter;
  EXPECT_NO_THROW(other.Reset());
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(WarnCount(), 1u);

  EXPECT_NO_THROW(created.Reset());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(WarnCount(), 2u);
  EXPECT_EQ(CServiceConfig::GetPendingReleaserCount(), pending);
}

TEST_F(ServiceConfigTest, ConcurrentFirstRequestsOfASingletonShareOneInstance) {
  CServiceConfig config(Creator(50));
  config.SetSingleton();
  Pointer seen[2];
  std::thread first([&] { seen[0] = config.GetInstance(); });
  std::thread second([&] { seen[1] = config.GetInstance(); });
  first.join();
  second.join();
  EXPECT_EQ(created, 1);
  ASSERT_TRUE(seen[0]);
  EXPECT_EQ(seen[0], seen[1]);
}

}  // namespace
