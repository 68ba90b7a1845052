// The example shop's configuration, loaded from its file with the plug-in library
// libshop.so built beside libostrel.so.
#include <gtest/gtest.h>

#include <ostrel/Ostrel.h>
#include <shop/Interfaces.h>

#include "CaptureLog.h"

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#endif

TEST(ExampleTest, ShopConfigurationWiresTheShop) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer runtime intercepts dlopen(), so the loader no longer searches
  // libostrel.so's folder for "libshop.so". Load it by path; the configuration's
  // request by name then finds it through its soname.
  ASSERT_NE(dlopen(SHOP_LIBRARY, RTLD_NOW), nullptr) << dlerror();
#endif
  shop::RegisterInterfaces();
  Ostrel::CContainer shop(nullptr);
  CaptureLog::Clear();
  // On failure, the exception's log record says why.
  ASSERT_NO_THROW(shop = Ostrel::CContainer(L"" SHOP_CONFIGURATION, false))
      << (CaptureLog::Records().empty() ? L"" : CaptureLog::Records().back().message);

  auto catalog = shop.GetService<shop::ICatalog>();
  auto order = shop.GetBean<shop::IOrder>("order");
  auto checkout = shop.GetBean<shop::ICheckout>("checkout1");
  ASSERT_TRUE(catalog && order && checkout);
  EXPECT_EQ(catalog->GetProducts(), (std::vector<std::string>{"Apple", "Bread", "Coffee", "Milk"}));
  order->Add("Coffee", 2);
  order->Add("Milk", 3);
  EXPECT_EQ(checkout->Checkout(*order),
            "card payment of 19.35 by guest at pay.example.com (timeout 30s)");

  // The only warnings: the library-private audit log is refused to the client, and an
  // order is no catalogue.
  EXPECT_FALSE(shop.GetBean<IReferenceCounted>("audit"));
  EXPECT_FALSE(shop.GetBean<shop::ICatalog>("order"));
  std::vector<std::wstring> problems;
  for (const auto& record : CaptureLog::Records())
    if (record.level >= Logging::Warn) problems.push_back(record.message);
  EXPECT_EQ(problems, (std::vector<std::wstring>{L"Bean 'audit' shall be exported from library "
                                                 L"'libshop.so', but not allowed",
                                                 L"Bean 'order' is no 'shop::ICatalog'"}));

  // The order holds the catalogue; once the client lets go, Reset ends the singletons.
  order = nullptr;
  checkout = nullptr;
  catalog = nullptr;
  shop.Reset();
  EXPECT_TRUE(Ostrel::GetBeanStatistics().empty());
}
