// Bean configurations: constructor arguments and properties checked against the
// argument types that the class's wrapper declares.
#include <gtest/gtest.h>

#include <tuple>

#include "RecordingWrapper.h"
#include "Thrown.h"
#include "beans/CBeanConfig.h"

namespace {

using Ostrel::CBeanConfig;
constexpr const char* kFunction = "Ostrel::CBeanConfig::CBeanConfig";

Ostrel::IBeanWrapper* MakeBasket() {
  return new TestPlugin::CRecordingWrapper("shop::CBasket", {{"Make", {"char*"}},
                                                             {"SetLimit", {"int"}},
                                                             {"SetOwner", {"char*", "bean"}},
                                                             {"SetName", {"name"}},
                                                             {"SetBad", {"int", ""}}});
}

// Bean "basket" passing arguments of the `types` to `method`: a property when the
// method's name starts with "Set", else the creation method.
Ostrel::SBeanDefinition Basket(const std::string& method, const std::vector<std::string>& types) {
  Ostrel::SBeanDefinition definition;
  definition.name = "basket";
  Ostrel::ArgumentList arguments;
  for (const std::string& type : types) arguments.emplace_back(type, "1");
  if (method.compare(0, 3, "Set") == 0) {
    definition.properties.push_back({method, arguments});
  } else {
    definition.creationMethod = method;
    definition.constructorArguments = arguments;
  }
  return definition;
}

// Type names that the type manager does not know ("integer", the wrapper's "name") are
// not compared. A rejection names the first differing argument and the type the method
// takes there ("?": a property whose wrapper names an empty type, or none, for an
// argument).
TEST(BeanConfigTest, ArgumentTypesMustBeTheDeclaredOnesUpToAliases) {
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"SetLimit", {"int32_t"}, ""},   {"SetLimit", {"integer"}, ""},
      {"SetName", {"char*"}, ""},      {"SetOwner", {"const char*", "service"}, ""},
      {"SetLimit", {"char*"}, "int"},  {"SetOwner", {"char*", "int"}, "bean"},
      {"Make", {"wchar_t*"}, "char*"}, {"SetBad", {"int", "int"}, "?"}};
  for (const auto& [method, types, takes] : cases) {
    const Ostrel::SBeanDefinition definition = Basket(method, types);
    auto build = [&] { CBeanConfig config(definition, &MakeBasket, nullptr); };
    if (takes.empty()) {
      EXPECT_NO_THROW(build()) << method << " " << types[0];
    } else {
      const std::string message =
          takes == "?" ? "missing argument type for property '" + method + "'"
                       : "Argument " + std::to_string(types.size()) + " of '" + method +
                             "' of bean 'basket' is configured as '" + types.back() +
                             "', but the method takes '" + takes + "'";
      TestSupport::ExpectThrown(build, kFunction, message);
    }
  }
  // Properties need a wrapper to be checked against.
  const Ostrel::SBeanDefinition plain = Basket("SetLimit", {"int"});
  TestSupport::ExpectThrown(
      [&] { CBeanConfig config(plain, nullptr, nullptr); }, kFunction,
      "no wrapper for class '' to check the properties of bean 'basket' against");

  // With a factory bean, its wrapper's creation method decides, when asked.
  Ostrel::SBeanDefinition made = Basket("Make", {"int"});
  made.factoryBean = "maker";
  CBeanConfig maker(plain, &MakeBasket, nullptr), config(made, &MakeBasket, nullptr);
  EXPECT_EQ(config.FactoryMismatch(maker),
            "Argument 1 of 'Make' of bean 'basket' is configured as 'int', but the method takes "
            "'char*'");
}

}  // namespace
