// The baseline of the benchmarks' prototypes: a class with two virtual setters, made
// with `new` and used through its base.
#pragma once

#include <string>

namespace bench {

class IPlainNode {
 public:
  virtual ~IPlainNode() = default;
  virtual void SetLimit(double limit) = 0;
  virtual void SetLabel(const std::string& label) = 0;
};

class CPlainNode final : public IPlainNode {
 public:
  void SetLimit(double limit) override { m_limit = limit; }
  void SetLabel(const std::string& label) override { m_label = label; }

 private:
  double m_limit = 0;
  std::string m_label;
};

}  // namespace bench
