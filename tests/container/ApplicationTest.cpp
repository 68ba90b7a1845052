// The application base: the configuration phase of Init, its log, and Exit releasing
// the container the application was given.
#include "ContainerFixture.h"

#include <atomic>
#include <functional>
#include <stdexcept>

namespace ContainerTest {
namespace {

using Ostrel::EConfigurationStep;

constexpr const char* kInit = "Ostrel::AApplication::Init";
const std::string kBaskets = Document(Bean("basket", "CBasket", "singleton=\"true\""));

class CTestApplication : public Ostrel::AApplication {
 public:
  std::wstring text;
  std::function<void(CTestApplication&)> configure;  // run by GetConfigurationText
  std::function<void(CTestApplication&)> fallback;   // run by the fallback
  std::vector<int> steps;
  std::vector<int> fallbackSteps;

  bool Start() override { return true; }
  void Stop() override {}
  std::wstring GetConfigurationText(EConfigurationStep step) override {
    steps.push_back(step);
    if (configure) configure(*this);
    return text;
  }
  std::wstring GetFallbackConfigurationText(EConfigurationStep step) override {
    fallbackSteps.push_back(step);
    if (fallback) fallback(*this);
    return L"fallback";
  }
  using AApplication::GetContainer;
  using AApplication::SetContainer;
};

void LoadBaskets(CTestApplication& application) {
  application.SetContainer(new CContainer(kBaskets.c_str(), true));
}

// Position of the first record with this message in the log.
std::size_t IndexOf(const std::wstring& message) {
  auto records = CaptureLog::Records();
  std::size_t i = 0;
  while (i < records.size() && records[i].message != message) ++i;
  return i;
}

using ApplicationTest = ContainerFixture;

// Step 1 is asked for; the fallback only when the configuration text is empty.
TEST_F(ApplicationTest, InitLogsAroundTheConfigurationAndFallsBackOnEmptyText) {
  for (bool empty : {false, true}) {
    CaptureLog::Clear();
    CTestApplication application;
    application.text = empty ? L"" : L"baskets";
    (empty ? application.fallback : application.configure) = LoadBaskets;
    ASSERT_TRUE(application.Init());
    EXPECT_EQ(application.steps, std::vector<int>{Ostrel::eConfigurationStepStartup});
    EXPECT_EQ(application.fallbackSteps, empty ? std::vector<int>{1} : std::vector<int>{});

    auto messages = InfoMessages(kInit);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], L"Loading configuration:");
    EXPECT_TRUE(IsSuccess(messages[1]));
    // The application's own load happens between the two.
    const std::size_t load = IndexOf(L"Loading configuration from xml (integration)...");
    EXPECT_LT(IndexOf(messages[0]), load);
    EXPECT_LT(load, IndexOf(messages[1]));
    EXPECT_TRUE(application.GetContainer()->Exists("basket"));
    EXPECT_TRUE(application.Exit());
  }
}

TEST_F(ApplicationTest, ThrowingConfigurationMakesInitFail) {
  const std::vector<std::function<void(CTestApplication&)>> throwing = {
      [](CTestApplication&) { CContainer broken("<ostrel><library", true); },
      [](CTestApplication&) { throw std::runtime_error("configuration failed"); },
      [](CTestApplication&) { throw 7; },
  };
  for (bool inFallback : {false, true}) {
    for (const auto& operation : throwing) {
      CaptureLog::Clear();
      CTestApplication application;
      (inFallback ? application.fallback : application.configure) = operation;
      EXPECT_FALSE(application.Init());
      EXPECT_EQ(InfoMessages(kInit), std::vector<std::wstring>{L"Loading configuration:"});
      EXPECT_EQ(application.GetContainer(), nullptr);
      EXPECT_TRUE(application.Exit());
    }
  }
}

TEST_F(ApplicationTest, ExitDestroysTheContainerOnceAndMayBeRepeated) {
  CTestApplication application;
  EXPECT_TRUE(application.Exit());  // nothing to release yet
  application.SetContainer(new CContainer(kBaskets.c_str(), true));
  auto basket = application.GetContainer()->GetBean<CRecordedBean>("basket");
  ASSERT_TRUE(basket);
  std::atomic<int> destroyed{0};
  basket->destroyed = &destroyed;
  basket.Reset();  // the singleton cache holds the last reference now
  EXPECT_EQ(destroyed.load(), 0);

  // Copies hold containers of their own on the same factory: every Exit is safe, and
  // the factory goes with the last of them.
  CTestApplication copy(application);
  CTestApplication assigned;
  assigned = copy;
  EXPECT_TRUE(copy.Exit());
  EXPECT_TRUE(application.Exit());
  EXPECT_EQ(destroyed.load(), 0);
  EXPECT_TRUE(assigned.GetContainer()->Exists("basket"));
  EXPECT_TRUE(assigned.Exit());
  EXPECT_EQ(destroyed.load(), 1);
  EXPECT_EQ(application.GetContainer(), nullptr);
  EXPECT_TRUE(application.Exit());
  EXPECT_EQ(destroyed.load(), 1);
}

}  // namespace
}  // namespace ContainerTest
