// Where wrapper makers come from: plug-in libraries loaded by path and the local
// library of the process.
#include <gtest/gtest.h>

#include "CaptureLog.h"
#include "Environment.h"
#include "RecordingWrapper.h"
#include "Thrown.h"
#include "libraries/CDynamicLibrary.h"
#include "libraries/CLocalLibrary.h"

namespace {

Ostrel::IBeanWrapper* MakeFirst() { return new TestPlugin::CRecordingWrapper("First", {}); }
Ostrel::IBeanWrapper* MakeSecond() { return new TestPlugin::CRecordingWrapper("Second", {}); }

// A plug-in library gives its makers by qualified name; one that cannot load is named in the
// exception, and the loader's reason is logged.
TEST(DynamicLibraryTest, FindsExportedMakersOrNamesTheLibraryAndLogsTheReason) {
  // Never unloaded: a maker outlives the object it came from.
  const std::string maker = Ostrel::MakeMakerName("shop::COrder");
  void* order = Ostrel::CDynamicLibrary(PLUGIN_TWO).GetFunction(maker.c_str());
  ASSERT_NE(order, nullptr);
  // A bare name is also looked for beside the module that loads it: here the test program.
  EXPECT_NE(Ostrel::CDynamicLibrary("libostrel_sibling.so").GetFunction(maker.c_str()), nullptr);
  std::unique_ptr<Ostrel::IBeanWrapper> wrapper(reinterpret_cast<Ostrel::WrapperMaker>(order)());
  EXPECT_STREQ(wrapper->GetClassName(), "shop::COrder");
  EXPECT_EQ(Ostrel::CDynamicLibrary(PLUGIN_TWO).GetFunction("create_CMissing_Wrapper"), nullptr);
  for (const char* path : {PLUGIN_BROKEN, "/nonexistent/libnothing.so", "libnothing.so", ""}) {
    CaptureLog::Clear();
    EXPECT_THROW(Ostrel::CDynamicLibrary library(path), Ostrel::CException) << path;
    auto records = CaptureLog::Records();
    ASSERT_EQ(records.size(), 2u) << path;
    EXPECT_EQ(records[0].level, Logging::Error);
    EXPECT_EQ(records[0].function, "Ostrel::CDynamicLibrary::CDynamicLibrary");
    const std::wstring name(path, path + std::strlen(path));
    EXPECT_EQ(records[0].message.rfind(L"Loading library '" + name + L"' failed: ", 0), 0u);
    EXPECT_EQ(records[1].message, L"Ostrel-Exception: \"Could not load library '" + name + L"'\"");
    if (path == std::string(PLUGIN_BROKEN)) {  // the loader's reason names what it lacks
#if defined(_WIN32)
      const wchar_t* missing = L"(126)";  // the system's text for a module not found, and its code
#else
      const wchar_t* missing = L"ostrel_test_symbol_that_does_not_exist";
#endif
      EXPECT_NE(records[0].message.find(missing), std::wstring::npos);
    }
  }
}

void SetPluginPath(const std::string& value) {
  SetEnvironment("OSTREL_PLUGIN_PATH", value.c_str());
}

// A relative name is looked for in the given folders, then in those OSTREL_PLUGIN_PATH
// lists, then as written; a failure's record names every path tried, in that order.
TEST(DynamicLibraryTest, RelativeNamesAreLookedForInTheSearchFoldersFirst) {
#if defined(_WIN32)
  const char separator = ';';
#else
  const char separator = ':';
#endif
  const std::string plugin = PLUGIN_TWO;
  const std::string folder = plugin.substr(0, plugin.rfind('/')), file = plugin.substr(folder.size() + 1);
  const std::string maker = Ostrel::MakeMakerName("shop::COrder");
  SetPluginPath("");
  EXPECT_NE(Ostrel::CDynamicLibrary(file.c_str(), {"/nonexistent", folder}).GetFunction(maker.c_str()),
            nullptr);
  SetPluginPath(separator + std::string("/nonexistent") + separator + folder + "/");
  EXPECT_NE(Ostrel::CDynamicLibrary(file.c_str()).GetFunction(maker.c_str()), nullptr);
  SetPluginPath("/nowhere/b");
  CaptureLog::Clear();
  EXPECT_THROW(Ostrel::CDynamicLibrary("sub/libnothing.so", {"/nowhere/a"}), Ostrel::CException);
  // An absolute name goes to the system's loader only.
  EXPECT_THROW(Ostrel::CDynamicLibrary("/nowhere/c/libnothing.so", {"/nowhere/a"}),
               Ostrel::CException);
  SetPluginPath("");
  const auto records = CaptureLog::Records();
  ASSERT_EQ(records.size(), 4u);
  const std::wstring tried = records[0].message, absolute = records[2].message;
  const std::size_t a = tried.find(L"/nowhere/a/sub/libnothing.so: "),
                    b = tried.find(L"; /nowhere/b/sub/libnothing.so: "),
                    written = tried.find(L"; sub/libnothing.so: ");
  EXPECT_TRUE(a != std::wstring::npos && a < b && b < written && written != std::wstring::npos)
      << tried;
  EXPECT_EQ(absolute.find(L"/nowhere/a"), std::wstring::npos) << absolute;
}

TEST(LocalLibraryTest, LaterMakersAndTypeIdsReplaceEarlierOnes) {
  Ostrel::CLocalLibrary& local = Ostrel::CLocalLibrary::GetInstance();
  OSTREL_REGISTER_WRAPPER_MAKER("test::CLocal", &MakeFirst);
  OSTREL_REGISTER_WRAPPER_MAKER("test::CLocal", &MakeSecond);
  EXPECT_EQ(local.GetFunction("create_test_CLocal_Wrapper"), reinterpret_cast<void*>(&MakeSecond));
  EXPECT_TRUE(local.UnregisterWrapperMaker("create_test_CLocal_Wrapper"));
  EXPECT_FALSE(local.UnregisterWrapperMaker("create_test_CLocal_Wrapper"));
  EXPECT_EQ(local.GetFunction("create_test_CLocal_Wrapper"), nullptr);
  local.RegisterTypeID("shop::IPayment", "{0001-payment}");
  local.RegisterTypeID("shop::IPayment", "{0002-payment}");
  EXPECT_EQ(local.GetTypeID("shop::IPayment"), "{0002-payment}");
  EXPECT_EQ(TestSupport::Message([&] { local.GetTypeID("shop::IUnknown"); }),
            "No type id for class 'shop::IUnknown' registered");
}

}  // namespace
