// Configurations given as text: what the loader reads into bean definitions.
#include <memory>

#include "libraries/CLocalLibrary.h"
#include "loader/CXMLResource.h"
#include "Thrown.h"

namespace {

using TestSupport::Message;
using TestSupport::Thrown;
using Ostrel::CXMLResource;
using Ostrel::SBeanDefinition;

std::unique_ptr<CXMLResource> Load(const std::string& xml) {
  return std::make_unique<CXMLResource>(xml.c_str());
}

// A document with one library and the given content of its "beans" element.
std::string Beans(const std::string& content, const std::string& library = "lib.so") {
  return "<ostrel><library path='" + library + "'><beans>" + content + "</beans></library></ostrel>";
}

// "path:[name,...] ..." for every library record.
std::string Layout(const CXMLResource& resource) {
  std::string text;
  for (const auto& library : resource.GetLibraries()) {
    text += (text.empty() ? "" : " ") + library->path + ":[";
    for (const SBeanDefinition& bean : library->beans) {
      text += (text.back() == '[' ? "" : ",") + bean.name;
    }
    text += "]";
  }
  return text;
}

const SBeanDefinition& Bean(const CXMLResource& resource, std::size_t library, std::size_t index) {
  return resource.GetLibraries().at(library)->beans.at(index);
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

// A UUID in its 36-character text form, all letters in the given case.
bool IsUuid(const std::string& text, bool upper) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? c != '-' : !std::isxdigit(c) || (std::isalpha(c) && (std::isupper(c) != 0) != upper)) {
      return false;
    }
  }
  return true;
}

TEST(ResourceTextTest, ParseFailuresAndEmptyText) {
  auto error = Thrown([] { Load("<ostrel>\n <library path='x'>\n <beans>\n <bean class='a'\n </beans>"); });
  EXPECT_EQ(error.message, "Error when parsing xml: Error when parssing 'ostrel' at line 5, column 2.");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::CXMLResource");
  EXPECT_EQ(Message([] { Load("<other><ostrel2/></other>"); }),
            "Error when parsing xml: Error when parssing 'ostrel'.");
  EXPECT_TRUE(Load("")->GetLibraries().empty());
  EXPECT_EQ(Layout(*Load("<ostrel><include path='missing.xml'/></ostrel>")), "");
}

TEST(ResourceTextTest, BeanAttributes) {
  // Names in any case, values as written.
  auto r = Load("<OSTREL><Library PATH='Lib.so'><BEANS><Bean NAME='Basket' Class='shop::COrder' "
                "SINGLETON='true' LAZY='false' Exported='false' AutoName='true' INIT-METHOD='Init' "
                "exit-method='Exit' Factory-Bean='maker' factory-method='x::y:Make'/>"
                "<bean class='a::b::CBox'/></BEANS></Library></OSTREL>");
  ASSERT_EQ(r->GetLibraries().at(0)->path, "Lib.so");
  const SBeanDefinition& b = Bean(*r, 0, 0);
  EXPECT_EQ(b.name + "|" + b.className + "|" + b.initMethod + "|" + b.exitMethod + "|" +
                b.factoryBean + "|" + b.creationMethod,
            "Basket|shop::COrder|Init|Exit|maker|Make");
  EXPECT_TRUE(b.singleton && !b.lazy && !b.exported && b.autoname);
  EXPECT_EQ(Joined(r->GetEagerNames()), "Basket");
  // Defaults; the creation method is the class name's last component.
  const SBeanDefinition& d = Bean(*r, 0, 1);
  EXPECT_TRUE(IsUuid(d.name, false)) << d.name;
  EXPECT_EQ(d.creationMethod, "CBox");
  EXPECT_TRUE(!d.singleton && d.lazy && d.exported && !d.autoname);
  EXPECT_EQ(d.initMethod + d.exitMethod + d.factoryBean, "");
  EXPECT_NE(Bean(*Load(Beans("<bean class='C'/>")), 0, 0).name, d.name);
}

TEST(ResourceTextTest, LibrariesAndTheAtSuffix) {
  auto r = Load("<ostrel><library path='a.so'><beans><bean name='x' class='C@b.so'/>"
                "<bean name='y' class='@C'/></beans><beans><bean name='ignored' class='C'/></beans>"
                "</library><library path='b.so'><beans><bean name='z' class='C'/></beans></library>"
                "<library path='c.so'/></ostrel>");
  EXPECT_EQ(Layout(*r), "a.so:[y] b.so:[x,z] c.so:[]");
  EXPECT_EQ(Bean(*r, 1, 0).className, "C");
  EXPECT_EQ(Bean(*r, 0, 0).className, "@C");
  auto error = Thrown([] { Load("<ostrel><library><beans/></library></ostrel>"); });
  EXPECT_EQ(error.message, "Error (path not found) when parsing library in file ''");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::parseLibrary");
  EXPECT_EQ(Message([] { Load("<ostrel><library path=''/></ostrel>"); }),
            "Error (path not found) when parsing library in file ''");
}

TEST(ResourceTextTest, ReadingOrderAndEagerList) {
  auto r = Load(Beans("<foreach set='e|f' substitute='v'><bean name='%v%' class='C' lazy='false'/></foreach>"
                      "<for first='1' last='2' substitute='i'><service name='s%i%' class='C'/>"
                      "<bean name='b%i%' class='C' lazy='false'/></for>"
                      "<service name='a' class='C' lazy='false'/><bean name='b' class='C'/>"
                      "<bean name='b' class='C' lazy='false'/><bean name='c' class='C' lazy='false'/>"));
  EXPECT_EQ(Layout(*r), "lib.so:[b,b,c,a,b1,s1,b2,s2,e,f]");
  EXPECT_EQ(Joined(r->GetEagerNames()), "b,c,a,b1,b2,e,f");
  EXPECT_EQ(Joined(Load(Beans("<bean name='d' class='C' lazy='false'/><bean name='d' class='C' "
                              "lazy='false'/>"))->GetEagerNames()), "d,d");
}

TEST(ResourceTextTest, AttributeErrors) {
  for (const char* attribute : {"singleton", "lazy", "exported", "autoname"}) {
    EXPECT_EQ(Message([&] { Load(Beans(std::string("<bean class='C' ") + attribute + "='TRUE'/>")); }),
              "Value of bool parameter must be 'true' or 'false'") << attribute;
  }
  auto error = Thrown([] { Load(Beans("<bean name='x%' class=''/>")); });
  EXPECT_EQ(error.message, "Missing class name when parsing type 'x%'");
  EXPECT_EQ(Message([] { Load(Beans("<bean/>")); }), "Missing class name when parsing type ''");
  // Found by fuzzing: a bound far outside 64 bits once overflowed the room estimate.
  EXPECT_EQ(Message([] {
              Load(Beans("<for first='-99999999999999999999' last='3' substitute='i'>"
                         "<bean class='C'/></for>"));
            }),
            "Value of numeric parameter must be numeric");
}

// "type:value" for each argument, separated by blanks.
std::string Describe(const std::vector<Ostrel::SArgument>& arguments) {
  std::string text;
  for (const auto& a : arguments) text += (text.empty() ? "" : " ") + a.type + ":" + a.value;
  return text;
}

TEST(ResourceTextTest, ConstructorArguments) {
  auto r = Load(Beans("<bean name='x' class='C'><constructor-arg>"
                      "<argument><value type='int'>42</value></argument><argument><value type=''/></argument>"
                      "<argument><ref bean='other' service='ignored'/></argument>"
                      "<argument><ref bean='' service='{svc}'/></argument>"
                      "<argument><ref bean='r'/><value type='int'>1</value></argument>"
                      "<argument><bean class='In'/><ref bean='r'/></argument></constructor-arg></bean>"));
  EXPECT_EQ(Describe(Bean(*r, 0, 0).constructorArguments),
            "int:42 : bean:other service:{svc} int:1 bean:r");
  EXPECT_EQ(Layout(*r), "lib.so:[x]");

  auto error = [](const std::string& argument) {
    return Message([&] {
      Load(Beans("<bean name='x' class='C'><constructor-arg>" + argument + "</constructor-arg></bean>"));
    });
  };
  EXPECT_EQ(error(""), "Error when parsing constructor arguments of bean 'x': There are no arguments");
  EXPECT_EQ(error("<argument><value>1</value></argument>"),
            "Error when parsing arguments of bean 'x': Type is not defined");
  EXPECT_EQ(error("<argument><ref bean='' service=''/></argument>"),
            "Error when parsing arguments of bean 'x': There is no valid reference bean or service name");
  EXPECT_EQ(error("<argument/>"), "Error when parsing arguments of bean 'x': There are no arguments");
}

TEST(ResourceTextTest, InlineBeans) {
  auto r = Load("<ostrel><library path='outer.so'><beans><bean name='x' class='C@home.so'>"
                "<constructor-arg><argument><bean name='ignored' class='In1' singleton='true' "
                "lazy='false' exported='false'><constructor-arg><argument><bean class='In2@own.so'/>"
                "</argument></constructor-arg></bean></argument></constructor-arg>"
                "<properties><property name='P'><bean class='In3'/></property></properties>"
                "</bean></beans></library></ostrel>");
  // Inline beans stand in the outermost bean's library, unless their class names one.
  ASSERT_EQ(r->GetLibraries().size(), 3u);
  const SBeanDefinition& in1 = Bean(*r, 0, 0);
  const SBeanDefinition& in3 = Bean(*r, 0, 1);
  const SBeanDefinition& x = Bean(*r, 1, 0);
  const SBeanDefinition& in2 = Bean(*r, 2, 0);
  EXPECT_EQ(r->GetLibraries()[1]->path + r->GetLibraries()[2]->path, "home.soown.so");
  EXPECT_EQ(in1.className + in3.className + x.name + in2.className, "In1In3xIn2");
  EXPECT_EQ(Describe(in1.constructorArguments), "bean:" + in2.name);
  EXPECT_EQ(Describe(x.constructorArguments), "bean:" + in1.name);
  EXPECT_EQ(Describe(x.properties.at(0).arguments), "bean:" + in3.name);
  for (const SBeanDefinition* inlined : {&in1, &in2, &in3}) {
    EXPECT_EQ(inlined->name.substr(0, 13), "unnamed bean ");
    EXPECT_TRUE(IsUuid(inlined->name.substr(13), true)) << inlined->name;
    EXPECT_TRUE(!inlined->singleton && inlined->lazy && inlined->exported);
  }
  EXPECT_TRUE(r->GetEagerNames().empty());

  r = Load(Beans("<bean name='x' class='C'><constructor-arg><argument><bean class='In'/></argument>"
                 "</constructor-arg></bean><bean name='y' class='C'/>"));
  EXPECT_EQ(Layout(*r), "lib.so:[" + Bean(*r, 0, 0).name + ",x,y]");
}

TEST(ResourceTextTest, Properties) {
  auto r = Load(Beans("<bean name='x' class='C'><properties>"
                      "<property name='Limit'><value type='int'>7</value></property>"
                      "<property name='Pair'><arguments><argument><ref bean='a'/></argument>"
                      "<argument><value type='char*'>b</value></argument></arguments></property>"
                      "<for first='1' last='2' substitute='i'><property name='Set%i%'>"
                      "<value type='int'>%i%</value></property></for></properties></bean>"));
  std::string text;
  for (const auto& p : Bean(*r, 0, 0).properties) text += p.name + "(" + Describe(p.arguments) + ")";
  EXPECT_EQ(text, "Limit(int:7)Pair(bean:a char*:b)Set1(int:1)Set2(int:2)");

  auto error = [](const std::string& property) {
    return Thrown([&] {
      Load(Beans("<bean name='x' class='C'><properties>" + property + "</properties></bean>"));
    });
  };
  EXPECT_EQ(error("<property><value type='int'>1</value></property>").message,
            "Error when parsing property: There is no valid attribute 'name'");
  EXPECT_EQ(error("<property name=''><value type='int'>1</value></property>").message,
            "Error when parsing property: There is no valid attribute 'name'");
  auto missing = error("<property name='P'><arguments/><value type='int'>1</value></property>");
  EXPECT_EQ(missing.message, "Error when parsing property: Missing arguments");
  EXPECT_EQ(missing.function, "Ostrel::CXMLResource::parseProperty");
  EXPECT_EQ(error("<property name='P'/>").message,
            "Error when parsing arguments of bean 'x': There are no arguments");
}

TEST(ResourceTextTest, InterfacesAndDependencies) {
  Ostrel::GetLocalLibrary().RegisterTypeID("loader::IPay", "{loader-pay}");
  auto r = Load(Beans("<bean name='x' class='C'><provides><interface>loader::IPay</interface>"
                      "</provides><depends-on><bean-name>a</bean-name><bean-name>b</bean-name>"
                      "</depends-on></bean>"));
  EXPECT_EQ(Joined(Bean(*r, 0, 0).providedInterfaces), "{loader-pay}");
  EXPECT_EQ(Joined(Bean(*r, 0, 0).dependsOn), "a,b");
  EXPECT_EQ(Message([] { Load(Beans("<bean class='C'><provides><interface/></provides></bean>")); }),
            "Error when parsing interface: Missing interface name");
  EXPECT_EQ(Message([] {
              Load(Beans("<bean class='C'><provides><interface>loader::INone</interface></provides></bean>"));
            }),
            "No type id for class 'loader::INone' registered");
}

TEST(ResourceTextTest, SubstitutionOnlyInsideLoops) {
  auto r = Load(Beans("<bean name='50%' class='C%x'><constructor-arg><argument><value type='t'>%i%"
                      "</value></argument></constructor-arg></bean>"
                      "<foreach set='Big Box | Tin' substitute='n'><for first='1' last='2' substitute='i'>"
                      "<bean name='%._n%%i%' class='%^n%@%n%.so' init-method='%i%'/></for>"
                      "<foreach set='inner' substitute='n'><bean name='[%n%]' class='C'/></foreach></foreach>"));
  EXPECT_EQ(Layout(*r), "lib.so:[50%,[inner],[inner]] Big Box.so:[bigbox1,bigbox2] Tin.so:[tin1,tin2]");
  EXPECT_EQ(Bean(*r, 1, 0).className, "BIG BOX");
  EXPECT_EQ(Bean(*r, 0, 0).className, "C%x");
  EXPECT_EQ(Bean(*r, 0, 0).constructorArguments.at(0).value, "%i%");
  EXPECT_EQ(Bean(*r, 2, 1).initMethod, "2");
  EXPECT_EQ(Message([] { Load(Beans("<for first='1' last='1' substitute='i'><bean name='%j%' class='C'/></for>")); }),
            "Missing substitution");
}

}  // namespace
