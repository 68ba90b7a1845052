// shop::CCatalog: the products on sale, filled from the configuration.
#include <cstdio>
#include <cstdlib>
#include <map>

#include <shop/Interfaces.h>

namespace shop {

class CCatalog : public CbReferenceCounted, public ICatalog {
public:
  // "Name:price", e.g. "Coffee:7.95".
  void AddProduct(const std::string& entry) {
    std::size_t colon = entry.rfind(':');
    if (colon == std::string::npos) return;
    m_prices[entry.substr(0, colon)] = std::atof(entry.c_str() + colon + 1);
  }
  void SetCurrency(const std::string& currency) { m_currency = currency; }
  void Open() { std::printf("[catalog] open: %zu products in %s\n", m_prices.size(), m_currency.c_str()); }
  void Close() { std::printf("[catalog] closed\n"); }

  std::vector<std::string> GetProducts() const override {
    std::vector<std::string> names;
    for (const auto& entry : m_prices) names.push_back(entry.first);
    return names;
  }
  double GetPrice(const std::string& product) const override {
    auto it = m_prices.find(product);
    return it == m_prices.end() ? 0.0 : it->second;
  }

private:
  std::map<std::string, double> m_prices;
  std::string m_currency = "EUR";
};

class CCatalogWrapper : public Ostrel::CBeanWrapper<CCatalog> {
public:
  CCatalogWrapper() : CBeanWrapper("shop::CCatalog") {
    Constructor<>("CCatalog");
    Method("AddProduct", &CCatalog::AddProduct);
    Method("SetCurrency", &CCatalog::SetCurrency);
    Method("Open", &CCatalog::Open);
    Method("Close", &CCatalog::Close);
  }
};

}  // namespace shop

// Registered when the library is loaded, so that configurations may name it.
OSTREL_REGISTER_INTERFACE(shop::ICatalog, "shop::ICatalog");
OSTREL_EXPORT_WRAPPER_MAKER(shop_CCatalog, shop::CCatalogWrapper)
