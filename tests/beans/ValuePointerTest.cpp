// Value pointers of references ("bean", "service") and of literals, and the resolved
// slot of configured arguments.
#include <gtest/gtest.h>

#include "BeansTestSupport.h"
#include "CLocalLibrary.h"
#include "CValuePointer.h"
#include "ObjectType.h"
#include "SLibrary.h"

namespace {

struct CTarget : CbReferenceCounted {};

std::uint32_t Count(const IReferenceCounted* object) {
  return object->GetReferenceCounter()->count.load();
}

// The instance a reference value pointer hands to the wrapper.
IReferenceCounted* Referenced(const std::shared_ptr<Ostrel::IValuePointer>& pointer) {
  return static_cast<CbSmartPointer<IReferenceCounted>*>(pointer->GetValue())->Get();
}

class ObjectTypeTest : public ::testing::Test {
 protected:
  BeansTest::CFakeBeanFactory factory;
  Ostrel::ObjectType type{nullptr};
  Ostrel::SLibrary library{"libshop.so", {}};
};

TEST_F(ObjectTypeTest, BeanIsAskedForByNarrowNameOnBehalfOfTheLibrary) {
  CbSmartPointer<IReferenceCounted> target(new CTarget);
  factory.beans["caf\xC3\xA9"] = target;
  auto pointer = type.CreateValuePointer(factory, "bean", L"caf\u00e9", &library);
  ASSERT_NE(pointer, nullptr);
  EXPECT_EQ(Referenced(pointer), target.Get());
  EXPECT_EQ(factory.beanRequests, std::vector<std::string>{"caf\xC3\xA9"});
  EXPECT_EQ(factory.requesters, std::vector<const Ostrel::SLibrary*>{&library});
  EXPECT_TRUE(factory.serviceRequests.empty());
  EXPECT_EQ(Count(target.Get()), 3u);
  pointer.reset();
  EXPECT_EQ(Count(target.Get()), 2u);
}

TEST_F(ObjectTypeTest, ServiceIsAskedForByTheInterfaceTypeId) {
  Ostrel::GetLocalLibrary().RegisterTypeID("beans::IClock", "{beans-clock}");
  CbSmartPointer<IReferenceCounted> clock(new CTarget);
  factory.services["{beans-clock}"] = clock;
  auto pointer = type.CreateValuePointer(factory, "service", L"beans::IClock", &library);
  ASSERT_NE(pointer, nullptr);
  EXPECT_EQ(Referenced(pointer), clock.Get());
  EXPECT_EQ(factory.serviceRequests, std::vector<std::string>{"{beans-clock}"});
  EXPECT_TRUE(factory.beanRequests.empty());

  BeansTest::ExpectThrown(
      [&] { type.CreateValuePointer(factory, "service", L"beans::INowhere", nullptr); },
      "Ostrel::CLocalLibrary::GetTypeID", L"No type id for class 'beans::INowhere' registered");
  EXPECT_EQ(factory.Requests(), 1u);
}

TEST_F(ObjectTypeTest, NothingToReferToGivesAnEmptyPointer) {
  Ostrel::GetLocalLibrary().RegisterTypeID("beans::IUnused", "{beans-unused}");
  EXPECT_EQ(type.CreateValuePointer(factory, "bean", L"missing", nullptr), nullptr);
  EXPECT_EQ(type.CreateValuePointer(factory, "service", L"beans::IUnused", nullptr), nullptr);
  EXPECT_EQ(factory.Requests(), 2u);

  factory.beans["x"] = new CTarget;
  for (const char* other : {"int", "Bean", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(type.CreateValuePointer(factory, other, L"x", nullptr), nullptr);
  }
  EXPECT_EQ(factory.Requests(), 2u);
}

TEST(ArgumentTest, CopiesLeaveTheResolvedValueBehindMovesTakeIt) {
  Ostrel::SArgument original("int", L"7");
  auto resolved = std::make_shared<Ostrel::CValuePointer<int>>(7);
  original.resolved = resolved;

  Ostrel::SArgument copy(original);
  EXPECT_EQ(copy.resolved, nullptr);
  Ostrel::SArgument assigned("char*", L"x");
  assigned.resolved = std::make_shared<Ostrel::CValuePointer<int>>(1);
  assigned = original;
  EXPECT_EQ(assigned.resolved, nullptr);
  EXPECT_EQ(assigned.type, "int");
  EXPECT_EQ(original.resolved, resolved);

  Ostrel::SArgument moved(std::move(original));
  Ostrel::SArgument target;
  target = std::move(moved);
  EXPECT_EQ(target.resolved, resolved);
}

}  // namespace
