// Bean configurations: the prototype wrapper, properties checked against its argument
// types, and the process-wide pool the properties live in.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "Thrown.h"
#include "beans/CBeanConfig.h"
#include "RecordingWrapper.h"

namespace {

using Ostrel::CBeanConfig;

int s_makerCalls = 0;
TestPlugin::CRecordingWrapper* s_made = nullptr;

Ostrel::IBeanWrapper* MakeBasket() {
  ++s_makerCalls;
  return s_made =
             new TestPlugin::CRecordingWrapper("shop::CBasket", {{"CBasket", {"int"}},
                                                                 {"SetLimit", {"int"}},
                                                                 {"SetOwner", {"char*", "bean"}},
                                                                 {"SetRange", {"int", "int"}},
                                                                 {"SetName", {"name"}},
                                                                 {"Clear", {}},
                                                                 {"Bad", {"int", ""}}});
}

Ostrel::IBeanWrapper* MakeNothing() {
  ++s_makerCalls;
  return nullptr;
}

// Names one type whatever the argument count.
class COneTypeWrapper : public TestPlugin::CRecordingWrapper {
 public:
  COneTypeWrapper() : CRecordingWrapper("shop::COne", {}) {}
  void GetArgumentTypes(const char*, std::size_t, std::vector<std::string>& types) override {
    types.push_back("int");
  }
};
Ostrel::IBeanWrapper* MakeOneType() { return new COneTypeWrapper; }

// Values too long for a string's own buffer, so that properties which are never
// destroyed show up as leaks.
Ostrel::SPropertyDefinition Property(const std::string& name, std::size_t count) {
  Ostrel::SPropertyDefinition property{name, {}};
  for (std::size_t i = 0; i < count; ++i) {
    property.arguments.emplace_back("int",
                                    "a value long enough for the heap " + std::to_string(i));
  }
  return property;
}

Ostrel::SBeanDefinition Basket(std::vector<Ostrel::SPropertyDefinition> properties) {
  Ostrel::SBeanDefinition definition;
  definition.name = "basket";
  definition.constructorArguments.emplace_back("int", "3");
  definition.properties = std::move(properties);
  return definition;
}

class BeanConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { s_makerCalls = 0; }
};

TEST_F(BeanConfigTest, KeepsThePrototypeAndThePropertiesInOrder) {
  const Ostrel::SBeanDefinition definition =
      Basket({Property("SetRange", 2), Property("Clear", 0), Property("SetLimit", 1)});
  CBeanConfig config(definition, &MakeBasket, nullptr);
  EXPECT_EQ(s_makerCalls, 1);
  EXPECT_EQ(s_made->typeQueries, 4);  // the properties and the creation method
  const auto& properties = config.GetProperties();
  ASSERT_EQ(properties.size(), 3u);
  EXPECT_EQ(properties[0]->GetName(), "SetRange");
  EXPECT_EQ(properties[1]->GetName(), "Clear");
  EXPECT_EQ(properties[2]->GetName(), "SetLimit");
  ASSERT_EQ(properties[0]->GetArguments().size(), 2u);
  EXPECT_EQ(properties[0]->GetArguments()[1].value, "a value long enough for the heap 1");
  EXPECT_EQ(config.GetConstructorArguments().at(0).value, "3");

  EXPECT_EQ(config.CreateWrapper().get(), s_made);
  EXPECT_EQ(config.CreateWrapper().get(), s_made);
  EXPECT_EQ(s_makerCalls, 1);

  const Ostrel::SBeanDefinition empty = Basket({});
  CBeanConfig bare(empty, &MakeBasket, nullptr);
  EXPECT_EQ(s_made->typeQueries, 1);
}

// Methods named "Set..." are properties, the others creation methods: "CBasket" takes
// an int, "Make" is not declared. The wrapper's type "name" is unknown. A rejection
// names the last argument and the type the method takes there.
TEST_F(BeanConfigTest, ArgumentTypesMustBeTheDeclaredOnesUpToAliases) {
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"SetLimit", {"int32_t"}, ""},
      {"SetLimit", {"integer"}, ""},
      {"SetName", {"char*"}, ""},
      {"SetOwner", {"const char*", "service"}, ""},
      {"Make", {"char*"}, ""},
      {"SetLimit", {"char*"}, "int"},
      {"SetOwner", {"char*", "int"}, "bean"},
      {"CBasket", {"wchar_t*"}, "int"}};
  for (const auto& [method, types, takes] : cases) {
    std::vector<Ostrel::SArgument> arguments;
    for (const std::string& type : types) arguments.emplace_back(type, "1");
    Ostrel::SBeanDefinition definition = Basket({});
    if (method.compare(0, 3, "Set") == 0) {
      definition.properties.push_back({method, arguments});
    } else {
      definition.creationMethod = method;
      definition.constructorArguments = arguments;
    }
    auto build = [&] { CBeanConfig config(definition, &MakeBasket, nullptr); };
    if (takes.empty()) {
      EXPECT_NO_THROW(build()) << method << " " << types[0];
    } else {
      std::string message = "Argument " + std::to_string(types.size()) + " of '" + method +
                            "' of bean 'basket' is configured as '" + types.back() +
                            "', but the method takes '" + takes + "'";
      TestSupport::ExpectThrown(build, "Ostrel::CBeanConfig::CBeanConfig",
                              message);
    }
  }
}

TEST_F(BeanConfigTest, MissingArgumentTypesRejectTheConfiguration) {
  auto expectRejected = [](const char* name, Ostrel::WrapperMaker maker) {
    TestSupport::ExpectThrown(
        [&] {
          const Ostrel::SBeanDefinition definition = Basket({Property("Clear", 0), Property(name, 3)});
          CBeanConfig config(definition, maker, nullptr);
        },
        "Ostrel::CBeanConfig::CBeanConfig",
        "missing argument type for property '" + std::string(name) + "'");
  };
  // No types at all, an empty second type, no third type, fewer types than arguments.
  for (const char* name : {"Unknown", "Bad", "SetLimit"}) expectRejected(name, &MakeBasket);
  expectRejected("Short", &MakeOneType);
}

TEST_F(BeanConfigTest, MakerWithoutWrapper) {
  const Ostrel::SBeanDefinition empty = Basket({});
  const Ostrel::SBeanDefinition clear = Basket({Property("Clear", 0)});
  {
    CBeanConfig config(empty, &MakeNothing, nullptr);
    EXPECT_FALSE(config.HasPrototype());
    EXPECT_EQ(config.CreateWrapper(), nullptr);
    EXPECT_EQ(config.CreateWrapper(), nullptr);
    EXPECT_EQ(s_makerCalls, 3);
  }
  EXPECT_THROW(CBeanConfig(clear, &MakeNothing, nullptr), Ostrel::CException);
  EXPECT_THROW(CBeanConfig(clear, nullptr, nullptr), Ostrel::CException);
}

TEST_F(BeanConfigTest, PropertiesComeFromAGrowingReusedPool) {
  Ostrel::PropertyPool& pool = CBeanConfig::GetPropertyPool();
  if (pool.GetBlockCount() > 1) GTEST_SKIP() << "the pool has grown earlier in this process";

  const Ostrel::SBeanDefinition thousand =
      Basket(std::vector<Ostrel::SPropertyDefinition>(1000, Property("Clear", 0)));
  const Ostrel::SBeanDefinition single = Basket({Property("SetLimit", 1)});
  for (unsigned round = 0; round < 2; ++round) {
    CBeanConfig big(thousand, &MakeBasket, nullptr);
    EXPECT_EQ(pool.GetBlockCount(), round + 1);
    EXPECT_EQ(pool.GetNextBlockSize(), round == 0 ? 1500u : 2250u);
    CBeanConfig one(single, &MakeBasket, nullptr);
    EXPECT_EQ(pool.GetBlockCount(), 2u);
    EXPECT_EQ(pool.GetNextBlockSize(), 2250u);
  }

  // Configurations that fail half-way give their properties back too.
  std::vector<Ostrel::SPropertyDefinition> properties(1200, Property("SetLimit", 1));
  properties.push_back(Property("Unknown", 1));
  const Ostrel::SBeanDefinition failing = Basket(properties);
  for (int round = 0; round < 4; ++round) {
    EXPECT_THROW(CBeanConfig(failing, &MakeBasket, nullptr), Ostrel::CException);
  }
  EXPECT_EQ(pool.GetBlockCount(), 2u);
}

}  // namespace
