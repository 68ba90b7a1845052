// Circular references within one request chain: through depends-on, bean references in
// constructor arguments and in properties, and service creators that request beans.
// The request that closes a cycle fails with one Warn record; the rest of the chain is
// made.
#include "FactoryFixture.h"

namespace FactoryTest {
namespace {

using Messages = std::vector<std::wstring>;

enum class EEdge { DependsOn, ConstructorReference, PropertyReference, ServiceCreator };

struct SCycle {
  EEdge edge;
  int length;
};

std::string EdgeName(EEdge edge) {
  switch (edge) {
    case EEdge::DependsOn: return "DependsOn";
    case EEdge::ConstructorReference: return "ConstructorReference";
    case EEdge::PropertyReference: return "PropertyReference";
    case EEdge::ServiceCreator: return "ServiceCreator";
  }
  return "?";
}

// Bean c<i> points at c<(i + 1) % length> through `edge`.
std::string CycleBeans(const SCycle& cycle) {
  std::string beans;
  for (int i = 0; i < cycle.length; ++i) {
    const std::string self = std::to_string(i);
    const std::string next = std::to_string((i + 1) % cycle.length);
    switch (cycle.edge) {
      case EEdge::DependsOn:
        beans += "<bean name=\"c" + self + "\" class=\"t::CWidget\"><depends-on><bean-name>c" + next +
                 "</bean-name></depends-on></bean>";
        break;
      case EEdge::ConstructorReference:
        beans += "<bean name=\"c" + self + "\" class=\"t::CWidget\" factory-method=\"Keep\">"
                 "<constructor-arg><argument><ref bean=\"c" + next +
                 "\"/></argument></constructor-arg></bean>";
        break;
      case EEdge::PropertyReference:
        beans += "<bean name=\"c" + self + "\" class=\"t::CWidget\"><properties><property name=\"Keep\">"
                 "<ref bean=\"c" + next + "\"/></property></properties></bean>";
        break;
      case EEdge::ServiceCreator:
        beans += "<bean name=\"c" + self + "\" class=\"t::CWidget\"><provides><interface>t::I" + self +
                 "</interface></provides><properties><property name=\"Keep\"><ref service=\"t::I" +
                 next + "\"/></property></properties></bean>";
        break;
    }
  }
  return "<library path=\"LIB_A\"><beans>" + beans + "</beans></library>";
}

class CycleTest : public FactoryFixture, public ::testing::WithParamInterface<SCycle> {
protected:
  std::wstring Expected() const {
    std::wstring chain = L"Circular reference: ";
    for (int i = 0; i < GetParam().length; ++i) chain += L"c" + std::to_wstring(i) + L" -> ";
    return chain + L"c0";
  }
};

TEST_P(CycleTest, ClosingRequestFailsAndTheChainIsMade) {
  const SCycle cycle = GetParam();
  Load(CycleBeans(cycle));
  for (int round = 0; round < 2; ++round) {  // the second round finds a clean chain again
    CaptureLog::Clear();
    CbSmartPointer<IReferenceCounted> head = Get("c0");
    ASSERT_TRUE(head);
    EXPECT_EQ(ResolveWarnings(), Messages{Expected()});

    if (cycle.edge == EEdge::DependsOn) {
      EXPECT_EQ(Recorded(head)->dependencies, std::vector<bool>{cycle.length > 1});
      continue;
    }
    // Follow the kept references down the chain; the last link got a null address.
    TestPlugin::CRecordedBean* bean = Recorded(head);
    for (int i = 1; i < cycle.length; ++i) {
      ASSERT_EQ(bean->kept.size(), 1u) << "link " << i;
      bean = Recorded(bean->kept[0]);
      ASSERT_NE(bean, nullptr);
    }
    EXPECT_TRUE(bean->kept.empty());
    EXPECT_EQ(bean->calls.back(), "Keep(bean:null)");
  }
}

std::vector<SCycle> AllCycles() {
  std::vector<SCycle> cycles;
  for (EEdge edge : {EEdge::DependsOn, EEdge::ConstructorReference, EEdge::PropertyReference,
                     EEdge::ServiceCreator}) {
    for (int length = 1; length <= 3; ++length) cycles.push_back({edge, length});
  }
  return cycles;
}

INSTANTIATE_TEST_SUITE_P(Edges, CycleTest, ::testing::ValuesIn(AllCycles()),
                         [](const ::testing::TestParamInfo<SCycle>& info) {
                           return EdgeName(info.param.edge) + std::to_string(info.param.length);
                         });

class CycleShapeTest : public FactoryFixture {};

TEST_F(CycleShapeTest, SharedBeansAreNoCycle) {
  // A diamond, and one bean referenced twice by the same bean.
  Load(R"(<library path="LIB_A"><beans>
    <bean name="top" class="t::CWidget" factory-method="Keep">
      <constructor-arg><argument><ref bean="bottom"/></argument></constructor-arg>
      <properties><property name="Keep"><ref bean="bottom"/></property></properties>
      <depends-on><bean-name>left</bean-name><bean-name>right</bean-name></depends-on>
    </bean>
    <bean name="left" class="t::CWidget"><depends-on><bean-name>bottom</bean-name></depends-on></bean>
    <bean name="right" class="t::CWidget"><depends-on><bean-name>bottom</bean-name></depends-on></bean>
    <bean name="bottom" class="t::CWidget"/>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> top = Get("top");
  ASSERT_TRUE(top);
  EXPECT_EQ(Recorded(top)->kept.size(), 2u);
  EXPECT_EQ(Recorded(top)->dependencies, (std::vector<bool>{true, true}));
  EXPECT_TRUE(ResolveWarnings().empty());
}

TEST_F(CycleShapeTest, SingletonCycleIsReportedOnceAndTheInnerBeanStaysCached) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="a" class="t::CWidget" singleton="true"><depends-on><bean-name>b</bean-name></depends-on></bean>
    <bean name="b" class="t::CWidget" singleton="true"><depends-on><bean-name>a</bean-name></depends-on></bean>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> a = Get("a");
  ASSERT_TRUE(a);
  EXPECT_EQ(Recorded(a)->dependencies, std::vector<bool>{true});
  CbSmartPointer<IReferenceCounted> b = Get("b");
  ASSERT_TRUE(b);
  EXPECT_EQ(Recorded(b)->dependencies, std::vector<bool>{false});
  EXPECT_EQ(Get("a"), a);
  EXPECT_EQ(ResolveWarnings(), Messages{L"Circular reference: a -> b -> a"});
}

TEST_F(CycleShapeTest, ChainDeeperThanTheLimitFailsAtItsEndInsteadOfExhaustingTheStack) {
  std::string beans;
  for (int i = 0; i <= 1000; ++i) {
    beans += "<bean name=\"d" + std::to_string(i) + "\" class=\"t::CWidget\"><properties>"
             "<property name=\"SetPeer\"><ref bean=\"d" + std::to_string(i + 1) + "\"/></property>"
             "</properties></bean>";
  }
  Load("<library path=\"LIB_A\"><beans>" + beans + "</beans></library>");
  EXPECT_TRUE(Get("d0"));
  EXPECT_EQ(ResolveWarnings(),
            Messages{L"Could not resolve bean 'd1000': references nest deeper than 1000 levels"});
}

}  // namespace
}  // namespace FactoryTest
