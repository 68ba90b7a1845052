// The example application: loads the shop configuration, prices an order, checks it
// out through a configured service and prints what it built.
#include <cstdio>
#include <string>

#include <ostrel/Ostrel.h>
#include <shop/Interfaces.h>

namespace {

class CShopApplication : public Ostrel::AApplication {
public:
  explicit CShopApplication(std::wstring configuration) : m_configuration(std::move(configuration)) {}

  std::wstring GetConfigurationText(Ostrel::EConfigurationStep) override {
    // Strict: any mistake in the configuration stops the start, at its file and line;
    // the plug-in registers its interfaces as it is loaded by the check.
    Ostrel::SLoadOptions options;
    options.strict = true;
    SetContainer(new Ostrel::CContainer(m_configuration.c_str(), true, options));
    return m_configuration;
  }
  std::wstring GetFallbackConfigurationText(Ostrel::EConfigurationStep) override { return L""; }

  bool Start() override {
    Ostrel::CContainer& shop = *GetContainer();

    auto catalog = shop.GetService<shop::ICatalog>();
    std::printf("Catalogue:\n");
    for (const std::string& product : catalog->GetProducts()) {
      std::printf("  %-8s %6.2f\n", product.c_str(), catalog->GetPrice(product));
    }

    std::printf("Payment services (%u):\n",
                shop.GetServiceCount(Ostrel::TypeIdOf<shop::IPaymentService>()));
    for (std::uint32_t i = 0; i < shop.GetServiceCount(Ostrel::TypeIdOf<shop::IPaymentService>()); ++i) {
      auto payment = shop.GetService<shop::IPaymentService>(Ostrel::TypeIdOf<shop::IPaymentService>(), i);
      std::printf("  %u: %s\n", i, payment->GetName().c_str());
    }

    auto order = shop.GetBean<shop::IOrder>("order");
    order->Add("Coffee", 2);
    order->Add("Bread", 1);
    order->Add("Milk", 3);
    std::printf("Order for %s:\n", order->GetCustomer().c_str());
    for (const shop::SLine& line : order->GetLines()) {
      std::printf("  %d x %-8s %6.2f\n", line.quantity, line.product.c_str(), line.quantity * line.price);
    }
    std::printf("  total      %6.2f\n", order->GetTotal());

    auto checkout = shop.GetBean<shop::ICheckout>("checkout1");
    std::printf("Checkout: %s\n", checkout->Checkout(*order).c_str());
    std::printf("Checkout lanes: %u (checkout1: %d checkout(s), checkout2: %d)\n",
                shop.GetServiceCount(Ostrel::TypeIdOf<shop::ICheckout>()),
                checkout->GetCheckoutCount(),
                shop.GetBean<shop::ICheckout>("checkout2")->GetCheckoutCount());

    // The audit log is private to libshop.so: the application is refused (see the log).
    std::printf("Audit log reachable from the application: %s\n",
                shop.GetBean<IReferenceCounted>("audit") ? "yes" : "no");

    std::printf("Live beans:\n");
    for (const auto& entry : Ostrel::GetBeanStatistics()) {
      std::printf("  %-15s live %llu\n", entry.name.c_str(), static_cast<unsigned long long>(entry.live));
    }
    return true;
  }

  void Stop() override {}

private:
  std::wstring m_configuration;
};

std::wstring Widen(const char* text) {
  std::string narrow(text);
  return std::wstring(narrow.begin(), narrow.end());
}

}  // namespace

int main(int argc, char** argv) {
  CShopApplication application(Widen(argc > 1 ? argv[1] : OSTREL_EXAMPLE_CONFIGURATION));
  if (!application.Init()) {
    std::fprintf(stderr, "The configuration could not be loaded; see the log.\n");
    return 1;
  }
  bool ok = true;
  try {
    ok = application.Start();
  } catch (const IException& e) {
    std::fprintf(stderr, "Failed in %s; see the log.\n", e.GetFunctionName());
    ok = false;
  }
  application.Stop();
  std::printf("Shutting down:\n");
  application.Exit();
  return ok ? 0 : 1;
}
