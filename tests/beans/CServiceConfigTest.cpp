// Service registrations: creators, singletons and releasers.
#include <gtest/gtest.h>

#include <stdexcept>

#include "RecordingWrapper.h"
#include "Thrown.h"
#include "beans/CServiceConfig.h"

namespace {

using Ostrel::CServiceConfig;
using Pointer = CbSmartPointer<IReferenceCounted>;

// A creator makes an instance per request, a singleton's only once (the count of
// destroyed instances at the end says that no others were made). The releaser runs
// instead of deletion for instances made after it was set. Neither one that throws nor
// an instance whose releaser is unknown lets a release throw.
TEST(ServiceConfigTest, CreatorsSingletonsAndReleasers) {
  std::atomic<int> destroyed{0};
  const auto creator = [&] {  // its instances count their destruction
    auto* bean = new TestPlugin::CRecordedBean;
    bean->destroyed = &destroyed;
    return Pointer(bean);
  };
  CServiceConfig config(creator), single(creator), empty{Pointer()};
  single.SetSingleton();
  Pointer before = config.GetInstance();  // made before the releaser: deleted as usual
  EXPECT_NE(before, config.GetInstance());
  EXPECT_EQ(single.GetInstance(), single.GetInstance());
  TestSupport::ExpectThrown([&] { empty.GetInstance(); }, "Ostrel::CServiceConfig::GetInstance",
                            "No constructor for service type registered");

  const std::size_t pending = CServiceConfig::GetPendingReleaserCount();
  std::vector<const IReferenceCounted*> released;
  config.SetReleaser([&released](const IReferenceCounted* instance) {
    released.push_back(instance);
    delete instance;
    throw std::runtime_error("releaser failed");
  });
  Pointer instance = config.GetInstance(), stranger = creator();
  const IReferenceCounted* address = instance.Get();
  stranger->GetReferenceCounter()->deleter = instance->GetReferenceCounter()->deleter;
  EXPECT_NO_THROW(instance.Reset());
  EXPECT_NO_THROW(stranger.Reset());
  EXPECT_EQ(released, std::vector<const IReferenceCounted*>{address});
  EXPECT_EQ(CServiceConfig::GetPendingReleaserCount(), pending);
  before.Reset();
  EXPECT_EQ(destroyed, 4);  // an earlier request, then these three
}

}  // namespace
