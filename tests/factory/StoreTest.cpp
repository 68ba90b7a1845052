// What a factory keeps of its configuration: definition records merged library by
// library, configurations built on first need, and service registrations.
#include <memory>
#include <sstream>

#include "CDefinitionStore.h"
#include "CServiceRegistry.h"
#include "FactoryFixture.h"
#include "TestDocument.h"
#include "Thrown.h"
#include "beans/CDefinitionSet.h"
#include "loader/CXMLResource.h"

namespace FactoryTest {
namespace {

using Ostrel::CDefinitionSet;
using TestSupport::Layout;
using TestSupport::Message;
using TestSupport::Thrown;

// Records from "path:name,name* path:..." ("*" marks a bean made at load time), built
// without the loader.
std::unique_ptr<CDefinitionSet> Set(const std::string& layout) {
  auto set = std::make_unique<CDefinitionSet>();
  std::istringstream libraries(layout);
  for (std::string item; libraries >> item;) {
    const std::size_t colon = item.find(':');
    Ostrel::SLibrary& library = set->GetOrAddLibrary(item.substr(0, colon));
    std::istringstream names(item.substr(colon + 1));
    for (std::string name; std::getline(names, name, ',');) {
      const bool eager = name.back() == '*';
      if (eager) set->AddEager(name = name.substr(0, name.size() - 1));
      Ostrel::SBeanDefinition definition;
      definition.name = name;
      set->AddDefinition(library, std::move(definition));
    }
  }
  return set;
}

TEST(DefinitionSetTest, MergesByPathAndKeepsTheFirstDefinitionInLibraryOrder) {
  auto store = Set("L:a*");
  Ostrel::SLibrary* recordL = store->GetLibraries()[0].get();
  auto second = Set("M:c*,d L:b*,b,d");
  store->Merge(*second);
  EXPECT_EQ(Layout(*store), "L:[a,b,b,d] M:[c,d] eager:a,c,b,");
  EXPECT_EQ(Layout(*second), "eager:");
  // "d" is read first in M, but L comes first in the store's library order.
  EXPECT_EQ(store->FindOwner("d"), recordL);
  EXPECT_EQ(store->FindOwner("x"), nullptr);

  auto clash = Set("N:z* M:a");
  auto error = Thrown([&] { store->Merge(*clash); });
  EXPECT_EQ(error.message, "Overriding bean 'a'");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::Integrate");
  EXPECT_EQ(Layout(*store), "L:[a,b,b,d] M:[c,d] eager:a,c,b,");
  EXPECT_EQ(Layout(*clash), "N:[z] M:[a] eager:z,");
}

TEST_F(FactoryFixture, IntegrateRegistersProvidedInterfacesAtTheFrontAndOverridingChangesNothing) {
  factory->RegisterInstance("{t-I0}", true, new TestPlugin::CRecordedBean, nullptr);
  // "cash", read first, stands in a library of its own after the one of "card": in
  // library order it comes last and so answers first.
  Load(R"(<library path="LIB_A"><beans>
    <bean name="cash" class="t::CPlain@LIB_B"><provides><interface>t::I0</interface></provides></bean>
    <bean name="card" class="t::CWidget" singleton="true"><provides><interface>t::I0</interface>
      <interface>t::I1</interface></provides></bean>
  </beans></library>)");
  EXPECT_EQ(factory->GetServiceCount("{t-I0}"), 3u);
  EXPECT_EQ(Recorded(factory->GetServiceInstance("{t-I0}", 0))->className, "t::CPlain");
  EXPECT_EQ(Recorded(factory->GetServiceInstance("{t-I0}", 1)), Recorded(Get("card")));
  EXPECT_EQ(Recorded(factory->GetServiceInstance("{t-I1}")), Recorded(Get("card")));
  EXPECT_EQ(Recorded(factory->GetServiceInstance("{t-I0}", 2))->className, "");
  EXPECT_FALSE(factory->GetServiceInstance("{t-I0}", 3));

  EXPECT_EQ(Message([&] {
              Load(R"(<library path="LIB_A"><beans>
                <bean name="z" class="t::CWidget" lazy="false"><provides><interface>t::I2</interface></provides></bean>
                <bean name="card" class="t::CWidget"/></beans></library>)");
            }),
            "Overriding bean 'card'");
  factory->CreateEagerBeans();
  EXPECT_EQ(factory->GetServiceCount("{t-I2}"), 0u);
  EXPECT_FALSE(factory->Exists("z"));
}

TEST(ServiceRegistryTest, InstancesRegisterOncePerTypeIdAndReleaseEverywhere) {
  Ostrel::CServiceRegistry registry;
  CbSmartPointer<IReferenceCounted> instance(new TestPlugin::CRecordedBean);
  CbSmartPointer<IReferenceCounted> other(new TestPlugin::CRecordedBean);
  auto registration = registry.RegisterInstance("{a}", false, instance, nullptr);
  EXPECT_EQ(Message([&] { registry.RegisterInstance("{a}", true, instance, nullptr); }),
            "Service instance is already registered for interface '{a}'");
  registry.RegisterInstance("{b}", false, instance, registration);
  registry.RegisterInstance("{a}", false, other, nullptr);
  registry.ReleaseInstance(instance);
  EXPECT_EQ(registry.GetServiceCount("{a}") + registry.GetServiceCount("{b}"), 1u);
  EXPECT_EQ(Ostrel::CServiceRegistry::InstanceOf(registry.Find("{a}", 0)), other);
  EXPECT_EQ(Message([&] { registry.ReleaseInstance(instance); }),
            "Service instance was not registered");
}

// A library's configurations are all built at the first need of one of them; a failing
// one stops its library's pass and fails every later need.
TEST(StoreConfigTest, BuiltPerLibraryOnFirstNeed) {
  RegisterMakers();
  Ostrel::CDefinitionStore store;
  auto add = [&store](const std::string& path, const std::string& beans) {
    Ostrel::CXMLResource loaded(TestSupport::Document(TestSupport::Library(path, beans)).c_str());
    store.GetDefinitions().Merge(loaded.GetDefinitions());
  };
  add(PLUGIN_TWO,
      "<bean name='order' class='shop::COrder'/><bean name='twice' class='t::CPlain'/>"
      "<bean name='twice' class='CBasket'/>");
  add(PLUGIN_NONE, "<bean name='missing' class='CMissing'/><bean name='after' class='t::CPlain'/>");
  add("/nonexistent/libfar.so", "<bean name='far' class='CBasket'/>");
  EXPECT_EQ(store.GetConfigCount() + store.GetLoadedLibraryCount(), 0u);
  Ostrel::CBeanConfig* order = store.FindBeanConfig("order");
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(store.GetConfigCount(), 2u);
  EXPECT_STREQ(order->CreateWrapper()->GetClassName(), "shop::COrder");
  // Within one library the first definition in reading order wins.
  EXPECT_EQ(store.FindBeanConfig("twice")->GetDefinition().className, "t::CPlain");
  // Beans merged later into a loaded library are built on their first need.
  add(PLUGIN_TWO, "<bean name='late' class='CBasket'/>");
  ASSERT_NE(store.FindBeanConfig("late"), nullptr);
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto error = Thrown([&] { store.FindBeanConfig("missing"); });
    EXPECT_EQ(error.message, "Getting wrapper maker failed for class 'CMissing'");
    EXPECT_EQ(error.function, "Ostrel::CXMLResource::processBean");
    EXPECT_EQ(Message([&] { store.FindBeanConfig("after"); }), error.message);
    EXPECT_EQ(Message([&] { store.FindBeanConfig("far"); }),
              "Could not load library '/nonexistent/libfar.so'");
  }
  EXPECT_EQ(store.GetConfigCount(), 3u);  // none for the failing library or after it
}

}  // namespace
}  // namespace FactoryTest
