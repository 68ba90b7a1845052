// Loading configurations into containers: texts and files, what a failed load leaves
// behind (nothing), and when the non-lazy beans of a configuration are made.
#include "ContainerFixture.h"

namespace ContainerTest {
namespace {

using ContainerLoadTest = ContainerFixture;

TEST_F(ContainerLoadTest, EmptyTextLoadsNothing) {
  CContainer integrated(kBasket.c_str(), true);
  CContainer emptyIntegrated("", true);
  CContainer emptyAlone("", false);
  EXPECT_TRUE(emptyIntegrated.Exists("basket"));
  EXPECT_FALSE(emptyAlone.Exists("basket"));
  // Each load logs its mode, then one success record.
  auto messages = InfoMessages(kConstructor);
  ASSERT_EQ(messages.size(), 6u);
  for (std::size_t i = 0; i < 6; i += 2) {
    EXPECT_EQ(messages[i], std::wstring(L"Loading configuration from xml (") +
                               (i < 4 ? L"integration" : L"stand-alone") + L")...");
    EXPECT_TRUE(IsSuccess(messages[i + 1]));
  }
  EXPECT_EQ(CaptureLog::WithMessage(messages[1]).at(0).format,
            L"Configuration loading successful (loading time: %s)");
}

TEST_F(ContainerLoadTest, NullTextOrFileNameThrows) {
  for (bool integrate : {true, false}) {
    EXPECT_THROW(CContainer(static_cast<const char*>(nullptr), integrate), Ostrel::CException);
    EXPECT_THROW(CContainer(static_cast<const wchar_t*>(nullptr), integrate), Ostrel::CException);
  }
  CContainer container(nullptr);
  EXPECT_THROW(container.Reset(static_cast<const char*>(nullptr)), Ostrel::CException);
  EXPECT_THROW(container.Reset(static_cast<const wchar_t*>(nullptr)), Ostrel::CException);
}

// In either mode: the container is not made, nothing of the text stays in the default
// factory, and the next load goes through (no lock stays taken).
TEST_F(ContainerLoadTest, FailedLoadThrowsAndLeavesNothingBehind) {
  const std::vector<std::string> failing = {
      "<ostrel><library path=\"x\"><beans><bean name=\"a\"",
      "<ostrel><library><beans>" + Bean("first") + "</beans></library></ostrel>",
      Document(Bean("first") + Bean("second", "CBasket", "lazy=\"maybe\"")),
  };
  CContainer held(kOrder.c_str(), true);
  int round = 0;
  for (bool integrate : {true, false}) {
    for (const std::string& text : failing) {
      CaptureLog::Clear();
      EXPECT_THROW(CContainer(text.c_str(), integrate), IException) << text;
      for (const auto& message : InfoMessages(kConstructor))
        EXPECT_FALSE(IsSuccess(message)) << text;
      EXPECT_FALSE(held.Exists("first")) << text;
      EXPECT_FALSE(held.Exists("second")) << text;
      // Integrated names stay while `held` keeps the default factory: one per round.
      const std::string name = "next" + std::to_string(++round);
      CContainer next(Document(Bean(name)).c_str(), integrate);
      EXPECT_TRUE(next.Exists(name.c_str()));
    }
  }
}

// A non-lazy bean that cannot be made (its library is missing or broken, its class has
// no maker) is logged by the start-up pass; the load succeeds and keeps its other beans.
TEST_F(ContainerLoadTest, NonLazyBeanThatCannotBeMadeIsLoggedAndTheLoadSucceeds) {
  const std::string eager = Bean("first") + Bean("second", "CBasket", "lazy=\"false\"");
  for (const std::string& text :
       {Document(eager, PLUGIN_BROKEN), Document(eager, "/nonexistent/libostrel-missing.so"),
        Document(Bean("first") + Bean("second", "CMissing", "lazy=\"false\""))}) {
    CaptureLog::Clear();
    CContainer container(text.c_str(), false);
    EXPECT_EQ(CaptureLog::WithMessage(
                  L"Could not resolve bean 'second', unknown exception was thrown").size(), 1u);
    EXPECT_TRUE(IsSuccess(InfoMessages(kConstructor).back())) << text;
  }
}

TEST_F(ContainerLoadTest, MissingLibraryOfLazyBeanFailsOnlyWhenNeeded) {
  CContainer container(Document(Bean("first"), "/nonexistent/libostrel-missing.so").c_str(), false);
  EXPECT_THROW(container.Exists("first"), IException);
  EXPECT_FALSE(container.GetBean<CRecordedBean>("first"));
}

TEST_F(ContainerLoadTest, DuplicateNameAcrossIntegratedLoadsIsRejectedWhole) {
  CContainer baskets(kBasket.c_str(), true);
  CaptureLog::Clear();
  // Checked before anything is merged or made: the rejected load's non-lazy bean is not.
  EXPECT_THROW(CContainer(Document(Bean("order", "shop::COrder", "lazy=\"false\"") +
                                   Bean("basket"))
                              .c_str(),
                          true),
               IException);
  EXPECT_EQ(CaptureLog::WithMessage(L"Ostrel-Exception: \"Overriding bean 'basket'\"").size(), 1u);
  Ostrel::SBeanStatisticsEntry entry{};
  EXPECT_FALSE(Ostrel::GetBeanStatistics("order", entry));
  EXPECT_FALSE(baskets.Exists("order"));
  CContainer orders(kOrder.c_str(), true);
  EXPECT_TRUE(baskets.Exists("order"));
}

// Non-lazy beans are made while their own configuration loads; integrating another
// configuration does not make the earlier ones again.
TEST_F(ContainerLoadTest, EveryLoadRunsTheStartUpPassOverAllNonLazyBeans) {
  auto failedInits = [] {
    std::size_t count = 0;
    for (const auto& record : CaptureLog::Records()) {
      count += record.format == L"Init method of class '%s' does not exist or is not valid";
    }
    return count;
  };
  CContainer first(Document(Bean("eager", "CBasket", "lazy=\"false\" init-method=\"Fail\"") +
                            Bean("lazy", "CBasket", "init-method=\"Fail\""))
                       .c_str(),
                   true);
  EXPECT_EQ(failedInits(), 1u);
  // The factory's list of non-lazy beans grows with each load; a prototype on it is
  // made again by every later load, a singleton stays cached.
  CContainer second(kOrder.c_str(), true);
  EXPECT_EQ(failedInits(), 2u);
  CContainer third(
      Document(Bean("made", "shop::COrder", "lazy=\"false\" singleton=\"true\"")).c_str(), true);
  CContainer fourth(kOrder.c_str(), false);
  CContainer fifth(Document(Bean("other", "shop::COrder")).c_str(), true);
  EXPECT_EQ(failedInits(), 4u);
  Ostrel::SBeanStatisticsEntry entry{};
  ASSERT_TRUE(Ostrel::GetBeanStatistics("made", entry));
  EXPECT_EQ(entry.created, 1u);
}

TEST_F(ContainerLoadTest, FileConstructorLogsNameAndModeAndReadsIncludes) {
  WriteFile("parts/orders.xml", kOrder);
  const std::wstring file =
      WriteFile("main.xml", "<ostrel><include path=\"parts/orders.xml\"/>" + kBasket.substr(8));
  for (bool integrate : {false, true}) {
    CaptureLog::Clear();
    CContainer container(file.c_str(), integrate);
    EXPECT_TRUE(container.Exists("basket"));
    EXPECT_TRUE(container.Exists("order"));
    auto messages = InfoMessages(kConstructor);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], L"Loading configuration from file '" + file + L"' (" +
                               (integrate ? L"integration" : L"stand-alone") + L")...");
    EXPECT_TRUE(IsSuccess(messages[1]));
  }
  const std::wstring broken = WriteFile("broken.xml", "<ostrel><library path=\"x\">");
  const std::wstring missing = (m_folder / "missing.xml").wstring();
  for (bool integrate : {false, true}) {
    EXPECT_THROW(CContainer(broken.c_str(), integrate), IException);
    EXPECT_THROW(CContainer(missing.c_str(), integrate), IException);
  }
}

}  // namespace
}  // namespace ContainerTest
