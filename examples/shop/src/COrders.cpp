// shop::COrder, made by the factory bean shop::COrderFactory, and shop::CCheckout,
// which uses the catalogue, a payment service and the (library-private) audit log.
#include <cstdio>

#include <shop/Interfaces.h>

namespace shop {

class CAuditLog : public CbReferenceCounted {
public:
  void SetPrefix(const std::string& prefix) { m_prefix = prefix; }
  void Start() { std::printf("[audit] started\n"); }
  void Stop() { std::printf("[audit] stopped after %d entries\n", m_entries); }
  void Write(const std::string& text) {
    ++m_entries;
    std::printf("[audit] %s: %s\n", m_prefix.c_str(), text.c_str());
  }

private:
  std::string m_prefix;
  int m_entries = 0;
};

class COrder : public CbReferenceCounted, public IOrder {
public:
  explicit COrder(const std::string& customer) : m_customer(customer) {}
  void SetCatalog(CbSmartPointer<ICatalog> catalog) { m_catalog = catalog; }
  std::string GetCustomer() const override { return m_customer; }
  void Add(const std::string& product, int quantity) override {
    double price = m_catalog ? m_catalog->GetPrice(product) : 0.0;
    m_lines.push_back({product, quantity, price});
  }
  std::vector<SLine> GetLines() const override { return m_lines; }
  double GetTotal() const override {
    double total = 0;
    for (const SLine& line : m_lines) total += line.quantity * line.price;
    return total;
  }

private:
  std::string m_customer;
  CbSmartPointer<ICatalog> m_catalog;
  std::vector<SLine> m_lines;
};

// A factory bean: its class's creation method makes orders.
class COrderFactory : public CbReferenceCounted {
public:
  static CbSmartPointer<COrder> CreateOrder(const std::string& customer) {
    return CbSmartPointer<COrder>(new COrder(customer));
  }
};

class CCheckout : public CbReferenceCounted, public ICheckout {
public:
  void SetPayment(CbSmartPointer<IPaymentService> payment) { m_payment = payment; }
  void SetAudit(CbSmartPointer<CAuditLog> audit) { m_audit = audit; }
  std::string Checkout(IOrder& order) override {
    ++m_count;
    std::string receipt = m_payment ? m_payment->Pay(order.GetCustomer(), order.GetTotal())
                                    : std::string("no payment service");
    if (m_audit) m_audit->Write(receipt);
    return receipt;
  }
  int GetCheckoutCount() const override { return m_count; }

private:
  CbSmartPointer<IPaymentService> m_payment;
  CbSmartPointer<CAuditLog> m_audit;
  int m_count = 0;
};

class CAuditLogWrapper : public Ostrel::CBeanWrapper<CAuditLog> {
public:
  CAuditLogWrapper() : CBeanWrapper("shop::CAuditLog") {
    Constructor<>("CAuditLog");
    Method("SetPrefix", &CAuditLog::SetPrefix);
    Method("Start", &CAuditLog::Start);
    Method("Stop", &CAuditLog::Stop);
  }
};

class COrderWrapper : public Ostrel::CBeanWrapper<COrder> {
public:
  COrderWrapper() : CBeanWrapper("shop::COrder") {
    Constructor<std::string>("COrder");
    Method("SetCatalog", &COrder::SetCatalog);
  }
};

class COrderFactoryWrapper : public Ostrel::CBeanWrapper<COrderFactory> {
public:
  COrderFactoryWrapper() : CBeanWrapper("shop::COrderFactory") {
    Constructor<>("COrderFactory");
    Creator("CreateOrder", &COrderFactory::CreateOrder);
  }
};

class CCheckoutWrapper : public Ostrel::CBeanWrapper<CCheckout> {
public:
  CCheckoutWrapper() : CBeanWrapper("shop::CCheckout") {
    Constructor<>("CCheckout");
    Method("SetPayment", &CCheckout::SetPayment);
    Method("SetAudit", &CCheckout::SetAudit);
  }
};

}  // namespace shop

// Registered when the library is loaded, so that configurations may name it.
OSTREL_REGISTER_INTERFACE(shop::ICheckout, "shop::ICheckout");
OSTREL_EXPORT_WRAPPER_MAKER(shop_CAuditLog, shop::CAuditLogWrapper)
OSTREL_EXPORT_WRAPPER_MAKER(shop_COrder, shop::COrderWrapper)
OSTREL_EXPORT_WRAPPER_MAKER(shop_COrderFactory, shop::COrderFactoryWrapper)
OSTREL_EXPORT_WRAPPER_MAKER(shop_CCheckout, shop::CCheckoutWrapper)
