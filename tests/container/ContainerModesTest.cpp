// How containers find their factory: integration into the default factory, stand-alone
// factories, copies and moves, and the typed accessors on top of the factory.
#include "ContainerFixture.h"

namespace ContainerTest {
namespace {

class Unrelated : public CbReferenceCounted {};

using ContainerModesTest = ContainerFixture;

TEST_F(ContainerModesTest, DefaultAndEmptyConstructorsLogAndChooseTheirFactory) {
  {
    CContainer first;
    CContainer second;
    CContainer empty(nullptr);
    EXPECT_EQ(first.GetFactory(), second.GetFactory());
    EXPECT_NE(empty.GetFactory(), first.GetFactory());
    EXPECT_EQ(InfoMessages(kConstructor),
              (std::vector<std::wstring>{L"Attaching configuration to default factory",
                                         L"Attaching configuration to default factory",
                                         L"Creating empty configuration"}));
  }
  // With no default factory alive an empty container still does not become it.
  CContainer empty(nullptr);
  CContainer attached;
  CContainer loaded(kBasket.c_str(), true);
  EXPECT_TRUE(attached.Exists("basket"));
  EXPECT_FALSE(empty.Exists("basket"));
}

TEST_F(ContainerModesTest, IntegratedContainersShareOneConfiguration) {
  {
    CContainer baskets(kBasket.c_str(), true);
    CContainer orders(kOrder.c_str(), true);
    EXPECT_EQ(baskets.GetFactory(), orders.GetFactory());
    EXPECT_EQ(CallsOf(orders.GetBean<CRecordedBean>("basket")), Calls{"CBasket()"});
    EXPECT_EQ(CallsOf(baskets.GetBean<CRecordedBean>("order")), Calls{"COrder()"});
    CContainer attached;
    EXPECT_TRUE(attached.Exists("basket"));
    EXPECT_TRUE(attached.Exists("order"));
  }
  // All integrated containers are gone: the next one starts from nothing, so the same
  // names load again without override.
  CContainer again(kBasket.c_str(), true);
  EXPECT_TRUE(again.Exists("basket"));
  EXPECT_FALSE(again.Exists("order"));
}

TEST_F(ContainerModesTest, StandAloneContainersAndTheirCopiesAreIsolated) {
  CContainer integrated(kOrder.c_str(), true);
  CContainer alone(kBasket.c_str(), false);
  CContainer copy(alone);
  // The same name in another stand-alone container or in the default factory is no
  // override either.
  CContainer other(kBasket.c_str(), false);
  CContainer sameName(Document(Bean("basket", "shop::COrder")).c_str(), true);

  EXPECT_EQ(copy.GetFactory(), alone.GetFactory());
  EXPECT_FALSE(copy.Exists("order"));
  EXPECT_EQ(CallsOf(integrated.GetBean<CRecordedBean>("basket")), Calls{"COrder()"});
  EXPECT_EQ(CallsOf(copy.GetBean<CRecordedBean>("basket")), Calls{"CBasket()"});

  copy.Reset();  // empties the original, nothing else
  EXPECT_FALSE(alone.Exists("basket"));
  EXPECT_TRUE(integrated.Exists("basket"));
  EXPECT_TRUE(other.Exists("basket"));
}

TEST_F(ContainerModesTest, CopiesShareAndMovedFromContainersThrow) {
  CContainer original(kBasket.c_str(), false);
  CContainer assigned(nullptr);
  assigned = original;
  EXPECT_EQ(assigned.GetFactory(), original.GetFactory());

  CContainer moved(std::move(original));
  EXPECT_EQ(moved.GetFactory(), assigned.GetFactory());
  EXPECT_EQ(original.GetFactory(), nullptr);
  EXPECT_THROW(original.Exists("basket"), Ostrel::CException);
  EXPECT_THROW(original.GetBean<CRecordedBean>("basket"), Ostrel::CException);
  EXPECT_THROW(original.GetServiceCount("id"), Ostrel::CException);
  EXPECT_THROW(original.Reset(), Ostrel::CException);
  EXPECT_THROW(original.Reset(kBasket.c_str()), Ostrel::CException);
  EXPECT_THROW(original.Reset(L"/nonexistent.xml"), Ostrel::CException);
  EXPECT_THROW(original.ReleaseInstance(nullptr), Ostrel::CException);

  CContainer target(nullptr);
  target = std::move(moved);
  EXPECT_EQ(moved.GetFactory(), nullptr);
  EXPECT_TRUE(target.Exists("basket"));
  original = target;  // a moved-from container takes a factory again
  EXPECT_TRUE(original.Exists("basket"));
}

TEST_F(ContainerModesTest, TypedAccessorsAndRegisteredInstances) {
  Ostrel::GetLocalLibrary().RegisterTypeID("shop::IOrders", "{container-test-orders}");
  const char* kOrders = "{container-test-orders}";
  const char* kOwn = "{container-test-own}";
  CContainer container(
      Document(Bean("order", "shop::COrder", "singleton=\"true\"",
                    "<provides><interface>shop::IOrders</interface></provides>") +
               Bean("basket", "CBasket", "",
                    "<properties><property name=\"SetLimit\"><value type=\"int\">7</value>"
                    "</property></properties>"))
          .c_str(),
      false);
  EXPECT_EQ(CallsOf(container.GetBean<CRecordedBean>("basket")),
            (Calls{"CBasket()", "SetLimit(int:7)"}));
  EXPECT_FALSE(container.GetBean<Unrelated>("basket"));
  EXPECT_FALSE(container.GetBean<CRecordedBean>("missing"));

  ASSERT_EQ(container.GetServiceCount(kOrders), 1u);
  EXPECT_EQ(container.GetService<CRecordedBean>(kOrders).Get(),
            container.GetBean<CRecordedBean>("order").Get());
  EXPECT_FALSE(container.GetService<CRecordedBean>(kOrders, 1));
  EXPECT_FALSE(container.GetService<Unrelated>(kOrders));

  CbSmartPointer<IReferenceCounted> instance(new Unrelated);
  EXPECT_THROW(container.ReleaseInstance(instance), IException);
  container.GetFactory()->RegisterInstance(kOwn, false, instance, nullptr);
  EXPECT_EQ(container.GetService<Unrelated>(kOwn).Get(), instance.Get());
  container.ReleaseInstance(instance);
  EXPECT_EQ(container.GetServiceCount(kOwn), 0u);
  EXPECT_THROW(container.ReleaseInstance(instance), IException);
  EXPECT_EQ(container.GetServiceCount(kOrders), 1u);
}

// "::name" names a bean of the default factory, whatever factory resolves the reference.
TEST_F(ContainerModesTest, DefaultFactoryReferenceFromStandAloneContainer) {
  const std::string basket = Document(Bean("basket", "CBasket", "", OrderProperty("::order")));
  {
    CContainer integrated(kOrder.c_str(), true);
    CContainer alone(basket.c_str(), false);
    EXPECT_EQ(CallsOf(alone.GetBean<CRecordedBean>("basket")),
              (Calls{"CBasket()", "SetOrder(bean:shop::COrder)"}));
  }
  // No default factory alive: the argument is empty, the bean is made all the same; a
  // stand-alone "order" does not answer the reference either.
  CContainer alone(basket.c_str(), false);
  EXPECT_EQ(CallsOf(alone.GetBean<CRecordedBean>("basket")),
            (Calls{"CBasket()", "SetOrder(bean:null)"}));
  CContainer both((Document(Bean("order", "shop::COrder") +
                            Bean("basket", "CBasket", "", OrderProperty("::order"))))
                      .c_str(),
                  false);
  EXPECT_EQ(CallsOf(both.GetBean<CRecordedBean>("basket")),
            (Calls{"CBasket()", "SetOrder(bean:null)"}));
}

}  // namespace
}  // namespace ContainerTest
