// The example shop's configuration, loaded from its file with the plug-in library
// libshop.so built beside libostrel.so.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <ostrel/Ostrel.h>
#include <shop/Interfaces.h>

#include "CaptureLog.h"

namespace {

using Strings = std::vector<std::string>;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(ExampleTest, ShopConfigurationWiresTheShop) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer runtime intercepts dlopen(), so the loader no longer searches
  // libostrel.so's folder for "libshop.so". Load it by path; the configuration's
  // request by name then finds it through its soname.
  void* plugin = dlopen(SHOP_LIBRARY, RTLD_NOW);
  ASSERT_NE(plugin, nullptr) << dlerror();
#endif
  shop::RegisterInterfaces();
  const std::wstring file = Widen(SHOP_CONFIGURATION);
  Ostrel::CContainer shop(nullptr);
  CaptureLog::Clear();
  try {  // on failure, the log says why
    shop = Ostrel::CContainer(file.c_str(), false);
  } catch (const IException&) {
    for (const auto& record : CaptureLog::Records()) ADD_FAILURE() << Narrow(record.message);
    throw;
  }

  // Made while loading, before anyone asked for it.
  Ostrel::SBeanStatisticsEntry catalogEntry{};
  ASSERT_TRUE(Ostrel::GetBeanStatistics("catalog", catalogEntry));
  EXPECT_EQ(catalogEntry.live, 1u);
  auto catalog = shop.GetService<shop::ICatalog>();
  ASSERT_TRUE(catalog);
  EXPECT_EQ(catalog->GetProducts(), (Strings{"Apple", "Bread", "Coffee", "Milk"}));
  EXPECT_DOUBLE_EQ(catalog->GetPrice("Coffee"), 7.95);

  const char* payments = Ostrel::TypeIdOf<shop::IPaymentService>();
  ASSERT_EQ(shop.GetServiceCount(payments), 2u);
  EXPECT_EQ(shop.GetService<shop::IPaymentService>(payments, 0)->GetName(),
            "card via pay.example.com");
  EXPECT_EQ(shop.GetService<shop::IPaymentService>(payments, 1)->GetName(), "invoice, 14 days");

  auto order = shop.GetBean<shop::IOrder>("order");
  ASSERT_TRUE(order);
  EXPECT_EQ(order->GetCustomer(), "guest");
  order->Add("Coffee", 2);
  order->Add("Bread", 1);
  order->Add("Milk", 3);
  EXPECT_NEAR(order->GetTotal(), 21.45, 1e-9);

  auto checkout = shop.GetBean<shop::ICheckout>("checkout1");
  ASSERT_TRUE(checkout);
  EXPECT_EQ(checkout->Checkout(*order),
            "card payment of 21.45 by guest at pay.example.com (timeout 30s)");
  EXPECT_EQ(checkout->GetCheckoutCount(), 1);
  EXPECT_EQ(shop.GetServiceCount(Ostrel::TypeIdOf<shop::ICheckout>()), 2u);

  // The only warning or error: the library-private audit log is refused to the client.
  EXPECT_FALSE(shop.GetBean<IReferenceCounted>("audit"));
  Strings problems;
  for (const auto& record : CaptureLog::Records()) {
    if (record.level >= Logging::Warn) problems.push_back(Narrow(record.message));
  }
  EXPECT_EQ(problems,
            Strings{"Bean 'audit' shall be exported from library 'libshop.so', but not allowed"});

  // The order holds the catalogue; once the client lets go, Reset ends the singletons.
  order = nullptr;
  checkout = nullptr;
  catalog = nullptr;
  shop.Reset();
  EXPECT_TRUE(Ostrel::GetBeanStatistics().empty());
}

}  // namespace
