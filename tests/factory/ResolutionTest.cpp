// One bean request: the export rule, singletons and prototypes, depends-on, factory
// beans, arguments, and every way a request fails.
#include <ostrel/BeanStatistics.h>

#include "FactoryFixture.h"

namespace FactoryTest {
namespace {

using Strings = std::vector<std::string>;
using Messages = std::vector<std::wstring>;
using ResolutionTest = FactoryFixture;

std::wstring Denied(const std::string& name) {
  const std::string text =
      "Bean '" + name + "' shall be exported from library '" + kLibA + "', but not allowed";
  return std::wstring(text.begin(), text.end());
}

// A bean that is not exported goes only to requesters with the declaring library's path,
// whether asked for directly, from the singleton cache, by reference or as depends-on.
TEST_F(ResolutionTest, ExportRule) {
  Load(R"(<library path="LIB_A"><beans>
      <bean name="hidden" class="t::CWidget" exported="false"/>
      <bean name="hiddenOne" class="t::CWidget" exported="false" singleton="true"/>
      <bean name="user" class="t::CWidget" factory-method="Keep">
        <constructor-arg><argument><ref bean="hidden"/></argument></constructor-arg></bean>
      <bean name="dependent" class="t::CWidget"><depends-on><bean-name>hidden</bean-name></depends-on></bean>
    </beans></library>
    <library path="LIB_B"><beans>
      <bean name="outsider" class="t::CWidget" factory-method="Keep">
        <constructor-arg><argument><ref bean="hidden"/></argument></constructor-arg></bean>
    </beans></library>)");
  EXPECT_FALSE(Get("hidden"));
  Ostrel::SLibrary libB{kLibB, {}, {}}, samePath{kLibA, {}, {}};  // another record, the same path
  EXPECT_FALSE(Get("hidden", &libB));
  EXPECT_TRUE(Get("hidden", &samePath));
  CbSmartPointer<IReferenceCounted> one = Get("hiddenOne", &libA);
  ASSERT_TRUE(one);
  EXPECT_EQ(Get("hiddenOne", &libA), one);
  EXPECT_FALSE(Get("hiddenOne"));
  EXPECT_EQ(Recorded(Get("user"))->calls, Strings{"Keep(bean:t::CWidget)"});
  EXPECT_EQ(Recorded(Get("outsider"))->calls, Strings{"Keep(bean:null)"});
  EXPECT_EQ(Recorded(Get("dependent"))->dependencies, std::vector<bool>{false});
  EXPECT_EQ(Recorded(Get("dependent", &libA))->dependencies, std::vector<bool>{true});
  EXPECT_EQ(ResolveWarnings(), (Messages{Denied("hidden"), Denied("hidden"), Denied("hiddenOne"),
                                         Denied("hidden"), Denied("hidden")}));
}

TEST_F(ResolutionTest, SingletonsPrototypesAndDependsOn) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="single" class="t::CWidget" singleton="true" init-method="Init">
      <properties><property name="SetLimit"><value type="int">3</value></property></properties></bean>
    <bean name="proto" class="t::CWidget"/>
    <bean name="x" class="t::CPlain">
      <depends-on><bean-name>d1</bean-name><bean-name>missing</bean-name><bean-name>d2</bean-name></depends-on></bean>
    <bean name="d1" class="t::CMaker"/>
    <bean name="d2" class="t::CWidget"/>
    <bean name="hollow" class="t::CNoWrapper"><depends-on><bean-name>d1</bean-name></depends-on></bean>
  </beans></library>)");
  CbSmartPointer<IReferenceCounted> first = Get("single");
  // Loading, wrapper makers and each step of a creation are traced at Debug level.
  Messages traced;
  for (const CaptureLog::SRecord& r : CaptureLog::Records()) {
    if (r.level == Logging::Debug) traced.push_back(r.message);
  }
  ASSERT_EQ(traced.size(), 11u);  // a maker for each of the library's six beans
  EXPECT_EQ(traced[0].substr(0, 16) + traced[1],
            L"Loaded library 'Calling the wrapper maker of class 't::CWidget'");
  EXPECT_EQ(Messages(traced.begin() + 7, traced.end()),
            (Messages{L"Creating bean 'single' with 't::CWidget::CWidget'",
                      L"Setting property 'SetLimit' of bean 'single'",
                      L"Calling init method 'Init' of bean 'single'", L"Keeping singleton 'single'"}));
  EXPECT_EQ(Get("single"), first);
  EXPECT_EQ(Recorded(first)->calls, (Strings{"CWidget()", "SetLimit(int:3)", "Init()"}));
  EXPECT_NE(Get("proto"), Get("proto"));
  EXPECT_EQ(Events("create t::CWidget").size(), 3u);
  EXPECT_EQ(factory->GetSingletonCount(), 1u);
  EXPECT_EQ(factory->GetBeanWrapper("ghost", nullptr).first, nullptr);

  // Depends-on beans come first, in order; one that fails stays empty.
  ClearEvents();
  EXPECT_EQ(Recorded(Get("x"))->dependencies, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(Events("create "), (Strings{"create t::CMaker.CMaker()", "create t::CWidget.CWidget()",
                                        "create t::CPlain.CPlain()"}));
  // They are requested even when the bean's class has no wrapper.
  ClearEvents();
  EXPECT_FALSE(Get("hollow"));
  EXPECT_EQ(Events("create "), Strings{"create t::CMaker.CMaker()"});
  // A place follows each record about a configured bean: the one that asked for a
  // missing bean, else the bean itself. A request from code has no place.
  EXPECT_EQ(ResolveWarnings(true),
            (Messages{L"Bean 'ghost' requested, but not configured",
                      L"Bean 'missing' requested, but not configured",
                      L"  at <text>:5:5 (bean 'x')",
                      L"No wrapper for class 't::CNoWrapper' of bean 'hollow'",
                      L"  at <text>:9:5 (bean 'hollow')"}));
}

// A factory bean only chooses the wrapper that creates; arguments are resolved in order.
TEST_F(ResolutionTest, FactoryBeansAndArguments) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="maker" class="t::CMaker"/>
    <bean name="made" class="t::CWidget" factory-bean="maker" factory-method="Build" autoname="true">
      <constructor-arg><argument><value type="int">5</value></argument></constructor-arg>
      <properties><property name="SetLimit"><value type="int">2</value></property></properties></bean>
    <bean name="orphan" class="t::CWidget" factory-bean="nowhere"/>
    <bean name="hollowMaker" class="t::CNoWrapper"/>
    <bean name="unmade" class="t::CWidget" factory-bean="hollowMaker"/>
    <bean name="x" class="t::CWidget" factory-method="Make"><constructor-arg>
      <argument><value type="int">7</value></argument><argument><value type="char*">seven</value></argument>
      <argument><ref bean="maker"/></argument></constructor-arg></bean>
    <bean name="y" class="t::CWidget" factory-method="Keep">
      <constructor-arg><argument><ref bean="ghost"/></argument></constructor-arg></bean>
    <bean name="z" class="t::CWidget" factory-method="Keep">
      <constructor-arg><argument><value type="string">text</value></argument></constructor-arg></bean>
  </beans></library>)");
  Ostrel::BeanResult result = factory->GetBeanWrapper("made", nullptr);
  ASSERT_TRUE(result.second);
  EXPECT_STREQ(result.first->GetClassName(), "t::CWidget");
  EXPECT_EQ(Recorded(result.second)->className, "t::CMaker");
  // SetName and SetLimit exist on t::CWidget only: both went to the bean's own wrapper.
  EXPECT_EQ(Recorded(result.second)->calls,
            (Strings{"Build(int:5)", "SetName(name:made)", "SetLimit(int:2)"}));
  EXPECT_EQ(Events("create t::CMaker").size(), 1u);  // no instance of "maker"
  EXPECT_FALSE(Get("orphan"));
  EXPECT_FALSE(Get("unmade"));
  EXPECT_EQ(Recorded(Get("x"))->calls, Strings{"Make(int:7,char*:seven,bean:t::CMaker)"});
  // An unconfigured reference is a null address; the bean is still made.
  EXPECT_EQ(Recorded(Get("y"))->calls, Strings{"Keep(bean:null)"});
  // An unknown type fails every request, leaving nothing behind (no false cycle).
  EXPECT_FALSE(Get("z"));
  EXPECT_FALSE(Get("z"));
  // Each failure names its cause; the record after "Could not find type bean" names
  // the type at its place.
  const std::wstring unknown = L"Could not resolve bean 'z', unknown exception was thrown",
                     cause = L"  cause: Could not find type bean";
  EXPECT_EQ(ResolveWarnings(),
            (Messages{L"Factory bean 'nowhere' requested, but not configured",
                      L"No wrapper for class 't::CNoWrapper' of bean 'unmade'",
                      L"Bean 'ghost' requested, but not configured", unknown, cause, unknown,
                      cause}));
  const std::wstring type = L":14:5 (bean 'z', type 'string')";
  int typed = 0;
  for (const auto& r : CaptureLog::Records()) {
    const std::wstring& m = r.message;
    typed += m.size() > type.size() && m.compare(m.size() - type.size(), type.size(), type) == 0;
  }
  EXPECT_EQ(typed, 2);
}

// A wrapper that changes the text it is given changes nothing that a later request gets.
TEST_F(ResolutionTest, EveryRequestGetsLiteralsOfItsOwn) {
  Load(R"(<library path="LIB_A"><beans><bean name="p" class="t::CWidget">
    <properties><property name="Scribble"><value type="char*">as configured</value></property>
    </properties></bean></beans></library>)");
  for (int request = 0; request < 2; ++request) {
    EXPECT_EQ(Recorded(Get("p"))->calls, (Strings{"CWidget()", "Scribble(char*:as configured)"}));
  }
}

// Each failure after creation releases the instance at once and caches nothing.
TEST_F(ResolutionTest, FailuresAfterCreation) {
  Load(R"(<library path="LIB_A"><beans>
    <bean name="empty" class="t::CWidget" factory-method="FailCreate" singleton="true"/>
    <bean name="nameless" class="t::CPlain" autoname="true"/>
    <bean name="property" class="t::CWidget" init-method="Init"><properties>
      <property name="SetLimit"><value type="int">1</value></property>
      <property name="Fail"><value type="int">2</value></property>
      <property name="SetOwner"><value type="char*">me</value></property></properties></bean>
    <bean name="invalid" class="t::CWidget" init-method="Fail"/>
    <bean name="throwing" class="t::CWidget" init-method="Throw" singleton="true"/>
  </beans></library>)");
  for (const char* name : {"empty", "nameless", "property", "invalid", "throwing"}) {
    EXPECT_FALSE(Get(name)) << name;
  }
  EXPECT_EQ(Events("destroy "),
            (Strings{"destroy t::CPlain.CPlain()", "destroy t::CWidget.CWidget()",
                     "destroy t::CWidget.CWidget()", "destroy t::CWidget.CWidget()"}));
  EXPECT_EQ(Events("invoke t::CWidget.Set"), Strings{"invoke t::CWidget.SetLimit"});
  EXPECT_EQ(ResolveWarnings(true)[5], L"  at <text>:6:7 (bean 'property', property 'Fail')");
  EXPECT_EQ(ResolveWarnings(),
            (Messages{L"Could not create bean 'empty'", L"Could not auto name bean 'nameless'",
                      L"Could not set property 'Fail' of bean 'property'",
                      L"Init method of class 't::CWidget' does not exist or is not valid",
                      L"Init method 'Throw' of class 't::CWidget' threw exception"}));
  Ostrel::SBeanStatisticsEntry entry;
  EXPECT_FALSE(Ostrel::GetBeanStatistics("throwing", entry));
  EXPECT_EQ(factory->GetSingletonCount(), 0u);
}

}  // namespace
}  // namespace FactoryTest
