// One bean request: definitions, the export rule, singletons and prototypes,
// depends-on, factory beans, arguments, and every way a request fails.
#include <cstring>

#include <ostrel/BeanStatistics.h>

#include "FactoryFixture.h"

namespace FactoryTest {
namespace {

using Strings = std::vector<std::string>;
using Messages = std::vector<std::wstring>;

class ResolutionTest : public FactoryFixture {};

TEST_F(ResolutionTest, UnconfiguredNameGivesAnEmptyResult) {
  Load(R"(<library path="LIB_A"><beans><bean name="w" class="t::CWidget"/></beans></library>)");
  Ostrel::BeanResult result = factory->GetBeanWrapper("ghost", nullptr);
  EXPECT_EQ(result.first, nullptr);
  EXPECT_FALSE(result.second);
  EXPECT_EQ(ResolveWarnings(), Messages{L"Bean 'ghost' requested, but not configured"});
}

// --- export rule --------------------------------------------------------------------

class ExportTest : public FactoryFixture {
protected:
  void SetUp() override {
    FactoryFixture::SetUp();
    Load(R"(<library path="LIB_A"><beans>
      <bean name="hidden" class="t::CWidget" exported="false"/>
      <bean name="hiddenOne" class="t::CWidget" exported="false" singleton="true"/>
      <bean name="user" class="t::CWidget" factory-method="Keep">
        <constructor-arg><argument><ref bean="hidden"/></argument></constructor-arg>
      </bean>
      <bean name="dependent" class="t::CWidget">
        <depends-on><bean-name>hidden</bean-name></depends-on>
      </bean>
    </beans></library>
    <library path="LIB_B"><beans>
      <bean name="outsider" class="t::CWidget" factory-method="Keep">
        <constructor-arg><argument><ref bean="hidden"/></argument></constructor-arg>
      </bean>
    </beans></library>)");
  }
  std::wstring Denied(const char* name) const {
    return L"Bean '" + std::wstring(name, name + std::strlen(name)) +
           L"' shall be exported from library '" + std::wstring(kLibA, kLibA + std::strlen(kLibA)) +
           L"', but not allowed";
  }
};

TEST_F(ExportTest, NonExportedBeanOnlyForARequesterWithTheDeclaringPath) {
  EXPECT_FALSE(Get("hidden"));
  EXPECT_FALSE(Get("hidden", &libB));
  Ostrel::SLibrary samePath{kLibA, {}};  // another record, equal path
  EXPECT_TRUE(Get("hidden", &samePath));
  EXPECT_TRUE(Get("hidden", &libA));
  EXPECT_EQ(ResolveWarnings(), (Messages{Denied("hidden"), Denied("hidden")}));
}

TEST_F(ExportTest, RuleIsCheckedBeforeTheSingletonCache) {
  CbSmartPointer<IReferenceCounted> one = Get("hiddenOne", &libA);
  ASSERT_TRUE(one);
  EXPECT_EQ(Get("hiddenOne", &libA), one);
  EXPECT_FALSE(Get("hiddenOne"));
  EXPECT_EQ(ResolveWarnings(), Messages{Denied("hiddenOne")});
}

TEST_F(ExportTest, ReferenceFromTheSameLibraryReachesIt) {
  CbSmartPointer<IReferenceCounted> user = Get("user");
  ASSERT_TRUE(user);
  EXPECT_EQ(Recorded(user)->calls, Strings{"Keep(bean:t::CWidget)"});
  ASSERT_EQ(Recorded(user)->kept.size(), 1u);
  EXPECT_TRUE(ResolveWarnings().empty());

  CbSmartPointer<IReferenceCounted> outsider = Get("outsider");
  ASSERT_TRUE(outsider);
  EXPECT_EQ(Recorded(outsider)->calls, Strings{"Keep(bean:null)"});
  EXPECT_EQ(ResolveWarnings(), Messages{Denied("hidden")});
}

TEST_F(ExportTest, DependsOnIsRequestedForTheOriginalRequester) {
  CbSmartPointer<IReferenceCounted> forClient = Get("dependent");
  ASSERT_TRUE(forClient);
  EXPECT_EQ(Recorded(forClient)->dependencies, std::vector<bool>{false});
  EXPECT_EQ(ResolveWarnings(), Messages{Denied("hidden")});

  CbSmartPointer<IReferenceCounted> forLibrary = Get("dependent", &libA);
  ASSERT_TRUE(forLibrary);
  EXPECT_EQ(Recorded(forLibrary)->dependencies, std::vector<bool>{true});
}

// --- singletons, prototypes, depends-on -----------------------------------------------

TEST_F(ResolutionTest, SingletonIsMadeOnceAndNotConfiguredAgain) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="res.single" class="t::CWidget" singleton="true" init-method="Init">
      <properties><property name="SetLimit"><value type="int">3</value></property></properties>
    </bean>
    <bean name="res.proto" class="t::CWidget"/>
  </beans></library>)");
  const int creates = Counters("t::CWidget").creates;
  CbSmartPointer<IReferenceCounted> first = Get("res.single");
  CbSmartPointer<IReferenceCounted> second = Get("res.single");
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(Recorded(first)->calls, (Strings{"CWidget()", "SetLimit(int:3)", "Init()"}));
  EXPECT_EQ(factory->GetSingletonCount(), 1u);

  CbSmartPointer<IReferenceCounted> p1 = Get("res.proto");
  CbSmartPointer<IReferenceCounted> p2 = Get("res.proto");
  ASSERT_TRUE(p1 && p2);
  EXPECT_NE(p1, p2);
  EXPECT_EQ(Counters("t::CWidget").creates - creates, 3);
  EXPECT_EQ(factory->GetSingletonCount(), 1u);
}

TEST_F(ResolutionTest, DependsOnBeansComeFirstInOrderAndFailuresStayEmpty) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CWidget">
      <depends-on><bean-name>d1</bean-name><bean-name>missing</bean-name><bean-name>d2</bean-name></depends-on>
    </bean>
    <bean name="d1" class="t::CTracked" factory-method="Track">
      <constructor-arg><argument><value type="char*">d1</value></argument></constructor-arg></bean>
    <bean name="d2" class="t::CTracked" factory-method="Track">
      <constructor-arg><argument><value type="char*">d2</value></argument></constructor-arg></bean>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> x = Get("x");
  ASSERT_TRUE(x);
  EXPECT_EQ(Recorded(x)->dependencies, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(EventsStartingWith("create "),
            (Strings{"create t::CTracked.Track(d1)", "create t::CTracked.Track(d2)",
                     "create t::CWidget.CWidget"}));
  EXPECT_EQ(ResolveWarnings(), Messages{L"Bean 'missing' requested, but not configured"});
}

TEST_F(ResolutionTest, DependsOnIsRequestedEvenWhenTheClassHasNoWrapper) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CNoWrapper"><depends-on><bean-name>d</bean-name></depends-on></bean>
    <bean name="d" class="t::CTracked" factory-method="Track">
      <constructor-arg><argument><value type="char*">d</value></argument></constructor-arg></bean>
  </beans></library>)");
  Ostrel::BeanResult result = factory->GetBeanWrapper("x", nullptr);
  EXPECT_FALSE(result.second);
  EXPECT_EQ(result.first, nullptr);
  EXPECT_EQ(EventsStartingWith("create "), Strings{"create t::CTracked.Track(d)"});
  EXPECT_EQ(ResolveWarnings(), Messages{L"No wrapper for class 't::CNoWrapper' of bean 'x'"});
}

// --- factory beans --------------------------------------------------------------------

TEST_F(ResolutionTest, FactoryBeanOnlyChoosesTheCreatingWrapper) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="maker" class="t::CMaker"/>
    <bean name="made" class="t::CWidget" factory-bean="maker" factory-method="Build" autoname="true">
      <constructor-arg><argument><value type="int">5</value></argument></constructor-arg>
      <properties><property name="SetLimit"><value type="int">2</value></property></properties>
    </bean>
  </beans></library>)");
  const int makerCreates = Counters("t::CMaker").creates;
  Ostrel::BeanResult result = factory->GetBeanWrapper("made", nullptr);
  ASSERT_TRUE(result.second);
  ASSERT_NE(result.first, nullptr);
  EXPECT_STREQ(result.first->GetClassName(), "t::CWidget");  // the bean's own class
  EXPECT_EQ(Recorded(result.second)->className, "t::CMaker");  // made by the factory's
  // SetName and SetLimit exist on t::CWidget only: both went to the bean's own wrapper.
  EXPECT_EQ(Recorded(result.second)->calls,
            (Strings{"Build(int:5)", "SetName(name:made)", "SetLimit(int:2)"}));
  EXPECT_EQ(Counters("t::CMaker").creates - makerCreates, 1);  // no instance of "maker"
  Ostrel::SBeanStatisticsEntry entry;
  EXPECT_FALSE(Ostrel::GetBeanStatistics("maker", entry));
  EXPECT_TRUE(ResolveWarnings().empty());
}

TEST_F(ResolutionTest, MissingOrWrapperlessFactoryBeanFailsTheBean) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="orphan" class="t::CWidget" factory-bean="nowhere"/>
    <bean name="hollowMaker" class="t::CNoWrapper"/>
    <bean name="unmade" class="t::CWidget" factory-bean="hollowMaker"/>
  </beans></library>)");
  EXPECT_FALSE(Get("orphan"));
  EXPECT_FALSE(Get("unmade"));
  EXPECT_EQ(ResolveWarnings(),
            (Messages{L"Factory bean 'nowhere' requested, but not configured",
                      L"No wrapper for class 't::CNoWrapper' of bean 'unmade'"}));
}

// --- arguments ------------------------------------------------------------------------

TEST_F(ResolutionTest, ArgumentsAreResolvedInOrder) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CWidget" factory-method="Make"><constructor-arg>
      <argument><value type="int">7</value></argument>
      <argument><value type="char*">seven</value></argument>
      <argument><ref bean="peer"/></argument>
    </constructor-arg></bean>
    <bean name="y" class="t::CWidget" factory-method="Make"><constructor-arg>
      <argument><value type="int">1</value></argument>
      <argument><value type="char*">one</value></argument>
      <argument><ref bean="ghost"/></argument>
    </constructor-arg></bean>
    <bean name="peer" class="t::CPlain"/>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> x = Get("x");
  ASSERT_TRUE(x);
  EXPECT_EQ(Recorded(x)->calls, Strings{"Make(int:7,char*:seven,bean:t::CPlain)"});
  EXPECT_TRUE(ResolveWarnings().empty());

  // An unconfigured reference is a null address; the bean is still made.
  CbSmartPointer<IReferenceCounted> y = Get("y");
  ASSERT_TRUE(y);
  EXPECT_EQ(Recorded(y)->calls, Strings{"Make(int:1,char*:one,bean:null)"});
  EXPECT_EQ(ResolveWarnings(), Messages{L"Bean 'ghost' requested, but not configured"});
}

TEST_F(ResolutionTest, UnknownArgumentTypeFailsEveryRequest) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CWidget" factory-method="Keep">
      <constructor-arg><argument><value type="string">text</value></argument></constructor-arg>
    </bean>
  </beans></library>)");
  const int creates = Counters("t::CWidget").creates;
  EXPECT_FALSE(Get("x"));
  EXPECT_FALSE(Get("x"));  // the first failure left nothing behind (no false cycle)
  const std::wstring failed = L"Could not resolve bean 'x', unknown exception was thrown";
  EXPECT_EQ(ResolveWarnings(), (Messages{failed, failed}));
  EXPECT_EQ(Counters("t::CWidget").creates, creates);
}

// --- failures after creation ------------------------------------------------------------

TEST_F(ResolutionTest, EmptyCreationFails) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CWidget" factory-method="FailCreate" singleton="true"/>
  </beans></library>)");
  EXPECT_FALSE(Get("x"));
  EXPECT_EQ(ResolveWarnings(), Messages{L"Could not create bean 'x'"});
  EXPECT_EQ(factory->GetSingletonCount(), 0u);
}

TEST_F(ResolutionTest, AutonamePassesTheBeanNameToSetName) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="named" class="t::CWidget" autoname="true">
      <properties><property name="SetLimit"><value type="int">1</value></property></properties>
    </bean>
    <bean name="nameless" class="t::CPlain" autoname="true"/>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> named = Get("named");
  ASSERT_TRUE(named);
  EXPECT_EQ(Recorded(named)->calls, (Strings{"CWidget()", "SetName(name:named)", "SetLimit(int:1)"}));

  const int destroyed = Counters("t::CPlain").destroyed;
  EXPECT_FALSE(Get("nameless"));
  EXPECT_EQ(Counters("t::CPlain").destroyed - destroyed, 1);
  EXPECT_EQ(ResolveWarnings(), Messages{L"Could not auto name bean 'nameless'"});
}

TEST_F(ResolutionTest, FailingPropertyStopsTheLaterOnes) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="x" class="t::CWidget" init-method="Init"><properties>
      <property name="SetLimit"><value type="int">1</value></property>
      <property name="Fail"><value type="int">2</value></property>
      <property name="SetOwner"><value type="char*">me</value></property>
    </properties></bean>
  </beans></library>)");
  const int destroyed = Counters("t::CWidget").destroyed;
  EXPECT_FALSE(Get("x"));
  EXPECT_EQ(EventsStartingWith("invoke "),
            (Strings{"invoke t::CWidget.SetLimit", "invoke t::CWidget.Fail"}));
  EXPECT_EQ(Counters("t::CWidget").destroyed - destroyed, 1);
  EXPECT_EQ(ResolveWarnings(), Messages{L"Could not set property 'Fail' of bean 'x'"});
}

TEST_F(ResolutionTest, InitMethodThatFailsOrThrows) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="res.invalid" class="t::CWidget" init-method="Fail"/>
    <bean name="res.throwing" class="t::CWidget" init-method="Throw" singleton="true"/>
  </beans></library>)");
  const int destroyed = Counters("t::CWidget").destroyed;
  EXPECT_FALSE(Get("res.invalid"));
  EXPECT_FALSE(Get("res.throwing"));
  EXPECT_EQ(Counters("t::CWidget").destroyed - destroyed, 2);  // both released at once
  EXPECT_EQ(ResolveWarnings(),
            (Messages{L"Init method of class 't::CWidget' does not exist or is not valid",
                      L"Init method 'Throw' of class 't::CWidget' threw exception"}));
  Ostrel::SBeanStatisticsEntry entry;
  EXPECT_FALSE(Ostrel::GetBeanStatistics("res.throwing", entry));
  EXPECT_EQ(factory->GetSingletonCount(), 0u);
}

}  // namespace
}  // namespace FactoryTest
