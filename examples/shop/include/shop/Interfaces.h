// The interfaces through which the example application uses the shop's beans. The
// implementations live in the plug-in library libshop.so.
#pragma once

#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

namespace shop {

struct SLine {
  std::string product;
  int quantity;
  double price;
};

// Takes payments; two beans provide it.
class IPaymentService : public virtual IReferenceCounted {
public:
  virtual std::string GetName() const = 0;
  // A receipt text for a successful payment.
  virtual std::string Pay(const std::string& customer, double amount) = 0;
};

// The products on sale.
class ICatalog : public virtual IReferenceCounted {
public:
  virtual std::vector<std::string> GetProducts() const = 0;
  // 0 for an unknown product.
  virtual double GetPrice(const std::string& product) const = 0;
};

// One customer's order.
class IOrder : public virtual IReferenceCounted {
public:
  virtual std::string GetCustomer() const = 0;
  virtual void Add(const std::string& product, int quantity) = 0;
  virtual std::vector<SLine> GetLines() const = 0;
  virtual double GetTotal() const = 0;
};

// Checks out orders: prices them from the catalogue and pays through a payment service.
class ICheckout : public virtual IReferenceCounted {
public:
  virtual std::string Checkout(IOrder& order) = 0;
  virtual int GetCheckoutCount() const = 0;
};

// Registers the interfaces' type ids with the local library; call before loading a
// configuration that names them.
inline void RegisterInterfaces() {
  Ostrel::RegisterInterface<IPaymentService>("shop::IPaymentService");
  Ostrel::RegisterInterface<ICatalog>("shop::ICatalog");
  Ostrel::RegisterInterface<ICheckout>("shop::ICheckout");
}

}  // namespace shop
