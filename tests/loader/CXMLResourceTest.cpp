// Configurations given as text: what the loader reads into bean definitions.
#include <memory>
#include <regex>
#include <tuple>

#include "TestDocument.h"
#include "Thrown.h"
#include "libraries/CLocalLibrary.h"
#include "loader/CXMLResource.h"

namespace {

using Ostrel::CXMLResource;
using Ostrel::SBeanDefinition;
using TestSupport::Layout;
using TestSupport::Message;
using TestSupport::Thrown;

std::unique_ptr<CXMLResource> Load(const std::string& xml) {
  return std::make_unique<CXMLResource>(xml.c_str());
}

std::string Beans(const std::string& content) {
  return "<ostrel><library path='lib.so'><beans>" + content + "</beans></library></ostrel>";
}

const SBeanDefinition& Bean(const CXMLResource& resource, std::size_t library, std::size_t index) {
  return resource.GetLibraries().at(library)->beans.at(index);
}

// "type:value" for each argument, separated by blanks.
std::string Describe(const Ostrel::ArgumentList& arguments) {
  std::string text;
  for (const auto& a : arguments) text += (text.empty() ? "" : " ") + a.type + ":" + a.value;
  return text;
}

const std::regex kUuid("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
const std::regex kInlineName(
    "unnamed bean [0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");

TEST(ResourceTextTest, ParseFailuresAndEmptyText) {
  auto error =
      Thrown([] { Load("<ostrel>\n <library path='x'>\n <beans>\n <bean class='a'\n </beans>"); });
  EXPECT_EQ(error.message,
            "Error when parsing xml: Error when parssing 'ostrel' at line 5, column 2.");
  EXPECT_EQ(error.function, "Ostrel::CXMLResource::CXMLResource");
  EXPECT_EQ(error.place, "<text>:5:2 (unexpected token inside a start tag)");
  // A text that does not start like XML was most likely meant as a file name.
  EXPECT_EQ(Thrown([] { Load("config/app.xml"); }).place,
            "<text> (requested tag not found; the text does not start with '<': to load a file, "
            "use CContainer::FromFile)");
  EXPECT_EQ(Message([] { Load("<other><ostrel2/></other>"); }),
            "Error when parsing xml: Error when parssing 'ostrel'.");
  EXPECT_EQ(Layout(*Load("")), "eager:");
  EXPECT_EQ(Layout(*Load("<ostrel><include path='missing.xml'/></ostrel>")), "eager:");
}

TEST(ResourceTextTest, BeanAttributesAndDefaults) {
  // Names in any case, values as written.
  auto r = Load(
      "<OSTREL><Library PATH='Lib.so'><BEANS><Bean NAME='Basket' Class='shop::COrder' "
      "SINGLETON='true' LAZY='false' Exported='false' AutoName='true' INIT-METHOD='Init' "
      "exit-method='Exit' Factory-Bean='maker' factory-method='x::y:Make'/>"
      "<bean class='a::b::CBox'/></BEANS></Library></OSTREL>");
  const SBeanDefinition& b = Bean(*r, 0, 0);
  EXPECT_EQ(b.name + "|" + b.className + "|" + b.initMethod + "|" + b.exitMethod + "|" +
                b.factoryBean + "|" + b.creationMethod,
            "Basket|shop::COrder|Init|Exit|maker|Make");
  EXPECT_TRUE(b.singleton && !b.lazy && !b.exported && b.autoname);
  EXPECT_EQ(Layout(*r).substr(0, 8), "Lib.so:[");
  // Defaults; the creation method is the class name's last component.
  const SBeanDefinition& d = Bean(*r, 0, 1);
  EXPECT_TRUE(std::regex_match(d.name, kUuid)) << d.name;
  EXPECT_EQ(d.creationMethod + d.initMethod + d.exitMethod + d.factoryBean, "CBox");
  EXPECT_TRUE(!d.singleton && d.lazy && d.exported && !d.autoname);
}

TEST(ResourceTextTest, LibrariesOrderAndEagerList) {
  auto r = Load(
      "<ostrel><library path='a.so'><beans><bean name='x' class='C@b.so'/>"
      "<bean name='y' class='@C'/></beans><beans><bean name='ignored' class='C'/></beans>"
      "</library><library path='b.so'><beans><bean name='z' class='C'/></beans></library>"
      "<library path='c.so'/></ostrel>");
  EXPECT_EQ(Layout(*r), "a.so:[y] b.so:[x,z] c.so:[] eager:");
  EXPECT_EQ(Bean(*r, 1, 0).className + Bean(*r, 0, 0).className, "C@C");
  // Beans, then services, then every "for" pass, then every "foreach" pass.
  r = Load(
      Beans("<foreach set='e|f' substitute='v'><bean name='%v%' class='C' lazy='false'/></foreach>"
            "<for first='1' last='2' substitute='i'><service name='s%i%' class='C'/>"
            "<bean name='b%i%' class='C' lazy='false'/></for>"
            "<service name='a' class='C' lazy='false'/><bean name='b' class='C'/>"
            "<bean name='b' class='C' lazy='false'/><bean name='c' class='C' lazy='false'/>"));
  EXPECT_EQ(Layout(*r), "lib.so:[b,b,c,a,b1,s1,b2,s2,e,f] eager:b,c,a,b1,b2,e,f,");
}

TEST(ResourceTextTest, ArgumentsPropertiesInterfacesAndDependsOn) {
  Ostrel::GetLocalLibrary().RegisterTypeID("loader::IPay", "{loader-pay}");
  auto r = Load(
      Beans("<bean name='x' class='C'><provides><interface>loader::IPay</interface></provides>"
            "<depends-on><bean-name>a</bean-name><bean-name>b</bean-name></depends-on>"
            "<constructor-arg>"
            "<argument><value type='int'>42</value></argument><argument><value type=''/></argument>"
            "<argument><ref bean='other' service='ignored'/></argument>"
            "<argument><ref bean='' service='{svc}'/></argument>"
            "<argument><ref bean='r'/><value type='int'>1</value></argument>"
            "</constructor-arg><properties>"
            "<property name='Pair'><arguments><argument><ref bean='a'/></argument>"
            "<argument><value type='char*'>b</value></argument></arguments></property>"
            "<for first='1' last='2' substitute='i'><property name='Set%i%'>"
            "<value type='int'>%i%</value></property></for></properties></bean>"));
  EXPECT_EQ(Describe(Bean(*r, 0, 0).constructorArguments),
            "int:42 : bean:other service:{svc} int:1");
  std::string text;
  for (const auto& p : Bean(*r, 0, 0).properties)
    text += p.name + "(" + Describe(p.arguments) + ")";
  EXPECT_EQ(text, "Pair(bean:a char*:b)Set1(int:1)Set2(int:2)");
  EXPECT_EQ(Bean(*r, 0, 0).providedInterfaces, std::vector<std::string>{"{loader-pay}"});
  EXPECT_EQ(Bean(*r, 0, 0).dependsOn, (std::vector<std::string>{"a", "b"}));
}

TEST(ResourceTextTest, InlineBeans) {
  auto r = Load(
      "<ostrel><library path='outer.so'><beans><bean name='x' class='C@home.so'>"
      "<constructor-arg><argument><bean name='ignored' class='In1' singleton='true' "
      "lazy='false' exported='false'><constructor-arg><argument><bean class='In2@own.so'/>"
      "</argument></constructor-arg></bean></argument></constructor-arg>"
      "<properties><property name='P'><bean class='In3'/></property></properties>"
      "</bean><bean name='y' class='C'/></beans></library></ostrel>");
  // Inline beans stand before their bean, in the outermost bean's library unless their
  // class names one; they are prototypes, lazy and exported, with names of their own.
  const SBeanDefinition &in1 = Bean(*r, 0, 0), &in3 = Bean(*r, 0, 1), &x = Bean(*r, 1, 0),
                        &in2 = Bean(*r, 2, 0);
  EXPECT_EQ(Layout(*r), "outer.so:[" + in1.name + "," + in3.name + ",y] home.so:[x] own.so:[" +
                            in2.name + "] eager:");
  EXPECT_EQ(Describe(in1.constructorArguments), "bean:" + in2.name);
  EXPECT_EQ(Describe(x.constructorArguments), "bean:" + in1.name);
  EXPECT_EQ(Describe(x.properties.at(0).arguments), "bean:" + in3.name);
  for (const SBeanDefinition* inlined : {&in1, &in2, &in3}) {
    EXPECT_TRUE(std::regex_match(inlined->name, kInlineName)) << inlined->name;
    EXPECT_TRUE(!inlined->singleton && inlined->lazy && inlined->exported);
  }
}

TEST(ResourceTextTest, SubstitutionOnlyInsideLoops) {
  auto r = Load(Beans(
      "<bean name='50%' class='C%x'><constructor-arg><argument><value type='t'>%i%"
      "</value></argument></constructor-arg></bean>"
      "<foreach set='Big Box | Tin' substitute='n'><for first='1' last='2' substitute='i'>"
      "<bean name='%._n%%i%' class='%^n%@%n%.so' init-method='%i%'/></for>"
      "<foreach set='inner' substitute='n'><bean name='[%n%]' class='C'/></foreach></foreach>"));
  EXPECT_EQ(Layout(*r),
            "lib.so:[50%,[inner],[inner]] Big Box.so:[bigbox1,bigbox2] Tin.so:[tin1,tin2] eager:");
  EXPECT_EQ(Bean(*r, 1, 0).className + Bean(*r, 0, 0).className, "BIG BOXC%x");
  EXPECT_EQ(Bean(*r, 0, 0).constructorArguments.at(0).value + Bean(*r, 2, 1).initMethod, "%i%2");
}

// Each fault of a definition, the function that reports it and its message.
TEST(ResourceTextTest, FaultsNameTheirCause) {
  Ostrel::GetLocalLibrary().RegisterTypeID("loader::IPay", "{loader-pay}");
  const std::string bean = "<bean name='x' class='C'>", argument = "<constructor-arg><argument>";
  const std::string arguments = "Error when parsing arguments of bean 'x': ";
  const std::string boolean = "Value of bool parameter must be 'true' or 'false'";
  const std::string parseBean = "Ostrel::CXMLResource::parseBean";
  const std::string toBool = "`anonymous-namespace'::StringToBool";
  const std::string parseProperty = "Ostrel::CXMLResource::parseProperty";
  const std::tuple<std::string, std::string, std::string, std::string> faults[] = {
      {"<bean class='C' singleton='TRUE'/>", toBool, boolean, "39"},
      {"<bean class='C' lazy='1'/>", toBool, boolean, "39"},
      {"<bean class='C' exported=''/>", toBool, boolean, "39"},
      {"<bean class='C' autoname='yes'/>", toBool, boolean, "39"},
      {"<bean name='x%' class=''/>", parseBean, "Missing class name when parsing type 'x%'",
       "39 (bean 'x%')"},
      {bean + "<constructor-arg/></bean>", "Ostrel::CXMLResource::parseConstructorArguments",
       "Error when parsing constructor arguments of bean 'x': There are no arguments",
       "64 (bean 'x')"},
      {bean + argument + "<value>1</value></argument></constructor-arg></bean>",
       "Ostrel::CXMLResource::parseArgument", arguments + "Type is not defined", "81 (bean 'x')"},
      {bean + argument + "<ref bean='' service=''/></argument></constructor-arg></bean>",
       "Ostrel::CXMLResource::parseArgument",
       arguments + "There is no valid reference bean or service name", "81 (bean 'x')"},
      {bean + "<properties><property name=''><value type='int'>1</value></property></properties>"
              "</bean>",
       parseProperty, "Error when parsing property: There is no valid attribute 'name'",
       "76 (bean 'x')"},
      {bean + "<properties><property name='P'><arguments/></property></properties></bean>",
       parseProperty, "Error when parsing property: Missing arguments",
       "76 (bean 'x', property 'P')"},
      {bean + "<provides><interface/></provides></bean>",
       "Ostrel::CXMLResource::parseInterfaces::<lambda_1>::operator ()",
       "Error when parsing interface: Missing interface name", "64 (bean 'x')"},
      {bean + "<provides><interface>loader::INone</interface></provides></bean>",
       "Ostrel::CLocalLibrary::GetTypeID", "No type id for class 'loader::INone' registered",
       "64 (bean 'x')"}};
  // Each is placed at the element being read, in the bean (and property) it belongs to.
  for (const auto& [content, function, message, place] : faults) {
    const auto thrown = Thrown([&] { Load(Beans(content)); });
    EXPECT_EQ(thrown.function + ": " + thrown.message + " @ " + thrown.place,
              function + ": " + message + " @ <text>:1:" + place)
        << content;
  }
  const auto thrown = Thrown([] { Load("<ostrel><library path=''/></ostrel>"); });
  EXPECT_EQ(thrown.function, "Ostrel::CXMLResource::parseLibrary");
  EXPECT_EQ(thrown.message + " @ " + thrown.place,
            "Error (path not found) when parsing library in file '' @ <text>:1:9");
}

}  // namespace
