// shop::CCardPayment and shop::CInvoicePayment: two providers of IPaymentService.
#include <cstdio>

#include <shop/Interfaces.h>

namespace shop {

class CCardPayment : public CbReferenceCounted, public IPaymentService {
public:
  CCardPayment(const std::string& gateway, int timeoutSeconds)
      : m_gateway(gateway), m_timeout(timeoutSeconds) {}
  std::string GetName() const override { return "card via " + m_gateway; }
  std::string Pay(const std::string& customer, double amount) override {
    char receipt[160];
    std::snprintf(receipt, sizeof receipt, "card payment of %.2f by %s at %s (timeout %ds)", amount,
                  customer.c_str(), m_gateway.c_str(), m_timeout);
    return receipt;
  }

private:
  std::string m_gateway;
  int m_timeout;
};

class CInvoicePayment : public CbReferenceCounted, public IPaymentService {
public:
  void SetTermDays(int days) { m_days = days; }
  std::string GetName() const override { return "invoice, " + std::to_string(m_days) + " days"; }
  std::string Pay(const std::string& customer, double amount) override {
    char receipt[160];
    std::snprintf(receipt, sizeof receipt, "invoice of %.2f to %s, due in %d days", amount,
                  customer.c_str(), m_days);
    return receipt;
  }

private:
  int m_days = 30;
};

class CCardPaymentWrapper : public Ostrel::CBeanWrapper<CCardPayment> {
public:
  CCardPaymentWrapper() : CBeanWrapper("shop::CCardPayment") {
    Constructor<std::string, int>("CCardPayment");
  }
};

class CInvoicePaymentWrapper : public Ostrel::CBeanWrapper<CInvoicePayment> {
public:
  CInvoicePaymentWrapper() : CBeanWrapper("shop::CInvoicePayment") {
    Constructor<>("CInvoicePayment");
    Method("SetTermDays", &CInvoicePayment::SetTermDays);
  }
};

}  // namespace shop

// Registered when the library is loaded, so that configurations may name it.
OSTREL_REGISTER_INTERFACE(shop::IPaymentService, "shop::IPaymentService");
OSTREL_EXPORT_WRAPPER_MAKER(shop_CCardPayment, shop::CCardPaymentWrapper)
OSTREL_EXPORT_WRAPPER_MAKER(shop_CInvoicePayment, shop::CInvoicePaymentWrapper)
