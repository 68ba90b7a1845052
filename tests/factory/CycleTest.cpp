// Circular references within one request chain, through depends-on, references in
// constructor arguments and properties, and services whose creators request beans: the
// request that closes a cycle fails with one Warn record and the rest is made.
#include "FactoryFixture.h"
#include "TestDocument.h"
#include "factory/DefaultFactory.h"
#include "loader/CXMLResource.h"

namespace FactoryTest {
namespace {

using Messages = std::vector<std::wstring>;

// How bean c@ points at cN, by edge: depends-on, a constructor argument, a property, a
// service whose creator is asked for through a property.
const char* const kEdges[] = {
    "><depends-on><bean-name>cN</bean-name></depends-on>",
    " factory-method='Keep'><constructor-arg><argument><ref "
    "bean='cN'/></argument></constructor-arg>",
    "><properties><property name='Keep'><ref bean='cN'/></property></properties>",
    "><provides><interface>t::I@</interface></provides><properties><property name='Keep'>"
    "<ref service='t::IN'/></property></properties>"};

// Beans c0 ... c<length - 1>, each pointing at the next and the last at c0.
std::string CycleBeans(int edge, int length) {
  std::string beans;
  for (int i = 0; i < length; ++i) {
    const std::string self = std::to_string(i), next = std::to_string((i + 1) % length);
    beans += "<bean name='c" + self + "' class='t::CWidget'" +
             TestSupport::Replaced(TestSupport::Replaced(kEdges[edge], "N", next), "@", self) +
             "</bean>";
  }
  return "<library path='LIB_A'><beans>" + beans + "</beans></library>";
}

class CycleTest : public FactoryFixture,
                  public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(CycleTest, ClosingRequestFailsAndTheChainIsMade) {
  const int edge = std::get<0>(GetParam());
  const int length = std::get<1>(GetParam());
  Load(CycleBeans(edge, length));
  std::wstring chain = L"Circular reference: ";
  for (int i = 0; i < length; ++i) chain += L"c" + std::to_wstring(i) + L" -> ";
  for (int round = 0; round < 2; ++round) {  // the second round finds a clean chain again
    CaptureLog::Clear();
    CbSmartPointer<IReferenceCounted> head = Get("c0");
    ASSERT_TRUE(head);
    EXPECT_EQ(ResolveWarnings(), Messages{chain + L"c0"});
    if (edge == 0) {
      EXPECT_EQ(Recorded(head)->dependencies, std::vector<bool>{length > 1});
      continue;
    }
    // Follow the kept references down the chain; the last link got a null address.
    TestPlugin::CRecordedBean* bean = Recorded(head);
    for (int i = 1; i < length; ++i) {
      ASSERT_EQ(bean->kept.size(), 1u) << "link " << i;
      bean = Recorded(bean->kept[0]);
      ASSERT_NE(bean, nullptr);
    }
    EXPECT_EQ(bean->calls.back(), "Keep(bean:null)");
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, CycleTest,
                         ::testing::Combine(::testing::Range(0, 4), ::testing::Range(1, 4)));

using CycleShapeTest = FactoryFixture;

// "::x" names the default factory's bean x: the same name in another factory is no cycle.
TEST_F(CycleShapeTest, SameNameInTheDefaultFactoryIsNoCycle) {
  std::shared_ptr<Ostrel::IBeanFactory> shared = Ostrel::Internal::CreateFactory(true);
  Ostrel::CXMLResource plain(
      ("<ostrel><library path=\"" + std::string(kLibA) +
       "\"><beans><bean name=\"x\" class=\"t::CPlain\"/></beans></library></ostrel>")
          .c_str());
  static_cast<Ostrel::CBeanFactoryImpl&>(*shared).Integrate(plain.GetDefinitions());
  Load(R"(<library path="LIB_A"><beans><bean name="x" class="t::CWidget">
    <properties><property name="Keep"><ref bean="::x"/></property></properties></bean></beans></library>)");
  CbSmartPointer<IReferenceCounted> x = Get("x");
  ASSERT_TRUE(x);
  EXPECT_EQ(Recorded(x)->calls.back(), "Keep(bean:t::CPlain)");
  EXPECT_TRUE(ResolveWarnings().empty());
}

TEST_F(CycleShapeTest, ChainDeeperThanTheLimitFailsAtItsEndInsteadOfExhaustingTheStack) {
  std::string beans;
  for (int i = 0; i <= 1000; ++i) {
    beans += "<bean name=\"d" + std::to_string(i) +
             "\" class=\"t::CWidget\"><properties>"
             "<property name=\"SetPeer\"><ref bean=\"d" +
             std::to_string(i + 1) +
             "\"/></property>"
             "</properties></bean>";
  }
  Load("<library path=\"LIB_A\"><beans>" + beans + "</beans></library>");
  EXPECT_TRUE(Get("d0"));
  EXPECT_EQ(ResolveWarnings(),
            Messages{L"Could not resolve bean 'd1000': references nest deeper than 1000 levels"});
}

}  // namespace
}  // namespace FactoryTest
