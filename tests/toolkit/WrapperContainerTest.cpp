// Toolkit wrappers registered in process and driven by a stand-alone container: the
// values a configuration writes reach the parameters, and exit methods run for the
// beans the factory completed.
#include <gtest/gtest.h>

#include <utility>

#include "CaptureLog.h"
#include "ToolkitBeans.h"

namespace tk {
namespace {

using Ostrel::CContainer;
using Strings = std::vector<std::string>;

std::string Document(const std::string& beans) {
  return std::string("<ostrel><library path=\"") + PLUGIN_NONE + "\"><beans>" + beans +
         "</beans></library></ostrel>";
}

std::string Value(const std::string& type, const std::string& text) {
  return "<argument><value type=\"" + type + "\">" + text + "</value></argument>";
}

std::string Property(const std::string& name, const std::string& arguments) {
  return "<property name=\"" + name + "\"><arguments>" + arguments + "</arguments></property>";
}

bool Logged(int level, const std::string& function, const std::wstring& message) {
  for (const auto& record : CaptureLog::WithMessage(message)) {
    if (record.level == level && record.function == function) return true;
  }
  return false;
}

class WrapperContainerTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Ostrel::RegisterBeanClass<CGadgetWrapper>("tk::CGadget");
    Ostrel::RegisterBeanClass<CMakerWrapper>("tk::CMaker");
    Ostrel::RegisterBeanClass<CPartWrapper>("tk::CPart");
    Ostrel::RegisterBeanClass<COtherWrapper>("tk::COther");
    Ostrel::RegisterInterface<IGreeter>("tk::IGreeter");
  }
  void SetUp() override {
    CaptureLog::Clear();
    Journal().clear();
  }
};

// Numbers are read as the configuration's loader reads them (an "unsigned int" text
// stops at 2147483647); what matters here is that every value arrives unchanged.
TEST_F(WrapperContainerTest, ConfiguredValuesReachEveryParameterType) {
  const std::string arguments =
      Value("bool", "true") + Value("char", "x") + Value("int8_t", "-5") +
      Value("unsigned char", "250") + Value("short", "-300") + Value("unsigned short", "60000") +
      Value("int", "-70000") + Value("unsigned int", "2147483647") + Value("long", "-9000000000") +
      Value("unsigned long", "18000000000") + Value("float", "1.5") + Value("double", "2.25") +
      Value("char*", "text") + Value("const char*", "chars") + Value("wchar_t*", "wide") +
      "<argument><ref bean=\"part\"/></argument><argument><ref bean=\"part\"/></argument>";
  CContainer container(Document("<bean name=\"part\" class=\"tk::CPart\"/>"
                                "<bean name=\"byValue\" class=\"tk::CGadget\"><properties>" +
                                Property("Values", arguments) +
                                "</properties></bean>"
                                "<bean name=\"byReference\" class=\"tk::CGadget\"><properties>" +
                                Property("References", arguments) + "</properties></bean>")
                           .c_str(),
                       false);
  const std::string expected =
      "true x -5 250 -300 60000 -70000 2147483647 -9000000000 18000000000 1.5 2.25 text chars wide "
      "part part";
  for (const char* name : {"byValue", "byReference"}) {
    auto gadget = container.GetBean<CGadget>(name);
    ASSERT_TRUE(gadget) << name;
    EXPECT_EQ(gadget->values, expected) << name;
  }
}

TEST_F(WrapperContainerTest, ExitMethodRunsOnceForCompletedPrototypesAndSingletons) {
  CContainer container(
      Document("<bean name=\"prototype\" class=\"tk::CGadget\" exit-method=\"Close\"/>"
               "<bean name=\"single\" class=\"tk::CGadget\" singleton=\"true\" "
               "exit-method=\"Close\"/>"
               "<bean name=\"failing\" class=\"tk::CGadget\" init-method=\"Vanish\" "
               "exit-method=\"Close\"/>")
          .c_str(),
      false);
  container.GetBean<CGadget>("prototype");  // released by the client right away
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "Close", "~CGadget"}));

  Journal().clear();
  EXPECT_FALSE(container.GetBean<CGadget>("failing"));
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "~CGadget"}));

  Journal().clear();
  auto single = container.GetBean<CGadget>("single");
  ASSERT_TRUE(single);
  EXPECT_EQ(container.GetBean<CGadget>("single"), single);
  single = nullptr;  // the factory still holds it
  EXPECT_EQ(Journal(), Strings{"CGadget()"});
  container.Reset();
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "Close", "~CGadget"}));
  EXPECT_TRUE(CaptureLog::WithMessage(L"Could not create bean 'single'").empty());
}

TEST_F(WrapperContainerTest, UnknownExitMethodFailsTheBean) {
  CContainer container(
      Document("<bean name=\"broken\" class=\"tk::CGadget\" exit-method=\"Vanish\"/>").c_str(),
      false);
  EXPECT_FALSE(container.GetBean<CGadget>("broken"));
  EXPECT_TRUE(Logged(Logging::Warn, "Ostrel::CBeanWrapper::Create",
                     L"Wrapper of class 'tk::CGadget' has no exit method 'Vanish'"));
  EXPECT_TRUE(Journal().empty());
}

// Constructor arguments and properties choose overloads by count; a factory bean's
// creator makes a bean of another class, which provides a service.
TEST_F(WrapperContainerTest, OverloadsFactoryBeanAndServiceByInterface) {
  CContainer container(
      Document("<bean name=\"plain\" class=\"tk::CGadget\" autoname=\"true\"><properties>" +
               Property("Set", Value("int", "9")) +
               "</properties></bean>"
               "<bean name=\"numbered\" class=\"tk::CGadget\"><constructor-arg>" +
               Value("int", "7") + Value("char*", "seven") +
               "</constructor-arg></bean>"
               "<bean name=\"maker\" class=\"tk::CMaker\"/>"
               "<bean name=\"made\" class=\"tk::CGadget\" factory-bean=\"maker\" "
               "factory-method=\"tk::CMaker::Make\"><constructor-arg>" +
               Value("int", "4") + "</constructor-arg><properties>" +
               Property("Set", Value("int", "5") + Value("char*", "the factory")) +
               "</properties><provides><interface>tk::IGreeter</interface></provides>"
               "</bean>"
               "<bean name=\"misMade\" class=\"tk::CGadget\" factory-bean=\"maker\" "
               "factory-method=\"Make\"><constructor-arg>" +
               Value("char*", "4") + "</constructor-arg></bean>")
          .c_str(),
      false);
  auto plain = container.GetBean<CGadget>("plain");
  auto numbered = container.GetBean<CGadget>("numbered");
  auto made = container.GetBean<CGadget>("made");
  ASSERT_TRUE(plain && numbered && made);
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "CGadget(7,seven)", "CGadget(4,made)"}));
  EXPECT_EQ(std::make_pair(plain->number, plain->text), std::make_pair(9, std::string("plain")));
  EXPECT_EQ(std::make_pair(made->number, made->text),
            std::make_pair(5, std::string("the factory")));

  auto greeter = container.GetService<IGreeter>();
  ASSERT_TRUE(greeter);
  EXPECT_EQ(greeter->Greet(), "hello from the factory");
  EXPECT_EQ(container.GetServiceCount(Ostrel::TypeIdOf<IGreeter>()), 1u);

  // The factory bean's creation method decides the constructor argument types.
  EXPECT_FALSE(container.GetBean<CGadget>("misMade"));
  EXPECT_TRUE(Logged(Logging::Warn, "Ostrel::CBeanFactoryImpl::GetBeanWrapper",
                     L"Argument 1 of 'Make' of bean 'misMade' is configured as 'char*', but the "
                     L"method takes 'int'"));
}

}  // namespace
}  // namespace tk
