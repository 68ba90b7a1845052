// Where wrapper makers come from: plug-in libraries loaded by path and the local
// library of the process.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <set>
#include <thread>

#include "libraries/CDynamicLibrary.h"
#include "libraries/CLocalLibrary.h"
#include "CaptureLog.h"
#include "RecordingWrapper.h"

namespace {

using Ostrel::CDynamicLibrary;
using Ostrel::CLocalLibrary;

Ostrel::IBeanWrapper* MakeFirst() { return new TestPlugin::CRecordingWrapper("First", {}); }
Ostrel::IBeanWrapper* MakeSecond() { return new TestPlugin::CRecordingWrapper("Second", {}); }

TEST(MakerNameTest, QualifiersBecomeUnderscores) {
  EXPECT_EQ(Ostrel::MakeMakerName("CBasket"), "create_CBasket_Wrapper");
  EXPECT_EQ(Ostrel::MakeMakerName("a::b::CBasket"), "create_a_b_CBasket_Wrapper");
  EXPECT_EQ(Ostrel::MakeMakerName("a:b"), "create_a:b_Wrapper");
}

TEST(DynamicLibraryTest, FindsExportedMakersOnly) {
  CDynamicLibrary library(PLUGIN_TWO);
  EXPECT_STREQ(library.GetName(), PLUGIN_TWO);
  void* basket = library.GetFunction("create_CBasket_Wrapper");
  void* order = library.GetFunction(Ostrel::MakeMakerName("shop::COrder").c_str());
  ASSERT_NE(basket, nullptr);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(library.GetFunction("create_CMissing_Wrapper"), nullptr);

  std::unique_ptr<Ostrel::IBeanWrapper> wrapper(reinterpret_cast<Ostrel::WrapperMaker>(order)());
  EXPECT_STREQ(wrapper->GetClassName(), "shop::COrder");

  CDynamicLibrary none(PLUGIN_NONE);
  EXPECT_EQ(none.GetFunction("create_CBasket_Wrapper"), nullptr);
  EXPECT_NE(none.GetFunction("plugin_none_answer"), nullptr);
}

TEST(DynamicLibraryTest, TwoLoadsShareOneModule) {
  CDynamicLibrary first(PLUGIN_TWO);
  CDynamicLibrary second(PLUGIN_TWO);
  EXPECT_EQ(first.GetModule(), second.GetModule());
  // Never unloaded: the module outlives its objects.
  void* maker = nullptr;
  { maker = CDynamicLibrary(PLUGIN_TWO).GetFunction("create_CBasket_Wrapper"); }
  std::unique_ptr<Ostrel::IBeanWrapper> wrapper(reinterpret_cast<Ostrel::WrapperMaker>(maker)());
  EXPECT_STREQ(wrapper->GetClassName(), "CBasket");
}

TEST(DynamicLibraryTest, LoadFailureNamesTheLibraryAndLogsTheReason) {
  for (const char* path : {PLUGIN_BROKEN, "/nonexistent/libnothing.so", ""}) {
    CaptureLog::Clear();
    EXPECT_THROW(CDynamicLibrary library(path), Ostrel::CException) << path;
    auto records = CaptureLog::Records();
    ASSERT_EQ(records.size(), 2u) << path;
    EXPECT_EQ(records[0].level, Logging::Error);
    EXPECT_EQ(records[0].function, "Ostrel::CDynamicLibrary::CDynamicLibrary");
    EXPECT_NE(records[0].message.find(L"failed"), std::wstring::npos);
    std::wstring expected = L"Ostrel-Exception: \"Could not load library '" +
                            std::wstring(path, path + std::strlen(path)) + L"'\"";
    EXPECT_EQ(records[1].message, expected);
  }
  CaptureLog::Clear();
  EXPECT_THROW(CDynamicLibrary library(PLUGIN_BROKEN), IException);
  EXPECT_NE(CaptureLog::Records().at(0).message.find(L"ostrel_test_symbol_that_does_not_exist"),
            std::wstring::npos);
}

TEST(LocalLibraryTest, MakersRegisterOverwriteAndUnregister) {
  Ostrel::ILibraryConfiguration& config = Ostrel::GetLocalLibrary();
  CLocalLibrary& local = CLocalLibrary::GetInstance();
  EXPECT_EQ(static_cast<Ostrel::ILibraryConfiguration*>(&local), &config);
  EXPECT_EQ(local.GetName(), nullptr);

  OSTREL_REGISTER_WRAPPER_MAKER("test::CLocal", &MakeFirst);
  OSTREL_REGISTER_WRAPPER_MAKER("test::CLocal", &MakeSecond);
  void* maker = local.GetFunction("create_test_CLocal_Wrapper");
  ASSERT_EQ(maker, reinterpret_cast<void*>(&MakeSecond));
  EXPECT_TRUE(config.UnregisterWrapperMaker("create_test_CLocal_Wrapper"));
  EXPECT_FALSE(config.UnregisterWrapperMaker("create_test_CLocal_Wrapper"));
  EXPECT_EQ(local.GetFunction("create_test_CLocal_Wrapper"), nullptr);
  EXPECT_EQ(local.GetFunction(nullptr), nullptr);
}

TEST(LocalLibraryTest, TypeIdsAndTheirMissingCase) {
  Ostrel::GetLocalLibrary().RegisterTypeID("shop::IPayment", "{0001-payment}");
  EXPECT_EQ(CLocalLibrary::GetInstance().GetTypeID("shop::IPayment"), "{0001-payment}");
  Ostrel::GetLocalLibrary().RegisterTypeID("shop::IPayment", "{0002-payment}");
  EXPECT_EQ(CLocalLibrary::GetInstance().GetTypeID("shop::IPayment"), "{0002-payment}");

  CaptureLog::Clear();
  try {
    CLocalLibrary::GetInstance().GetTypeID("shop::IUnknown");
    FAIL() << "no exception";
  } catch (const IException& e) {
    EXPECT_STREQ(e.GetFunctionName(), "Ostrel::CLocalLibrary::GetTypeID");
  }
  EXPECT_EQ(CaptureLog::Records().at(0).message,
            L"Ostrel-Exception: \"No type id for class 'shop::IUnknown' registered\"");
}

TEST(LocalLibraryTest, OneObjectFromEveryThread) {
  std::vector<std::thread> threads;
  std::vector<Ostrel::ILibraryConfiguration*> seen(8);
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&seen, i] {
      seen[i] = &Ostrel::GetLocalLibrary();
      std::string name = "create_Thread" + std::to_string(i) + "_Wrapper";
      seen[i]->RegisterWrapperMaker(name.c_str(), reinterpret_cast<void*>(&MakeFirst));
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(std::set<Ostrel::ILibraryConfiguration*>(seen.begin(), seen.end()).size(), 1u);
  for (int i = 0; i < 8; ++i) {
    std::string name = "create_Thread" + std::to_string(i) + "_Wrapper";
    EXPECT_TRUE(Ostrel::GetLocalLibrary().UnregisterWrapperMaker(name.c_str()));
  }
  EXPECT_EQ(Singleton::GetSingletonCounter(typeid(CLocalLibrary).name()), 1);
}

}  // namespace
