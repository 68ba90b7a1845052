// libFuzzer target for the configuration loader: the input is loaded as XML text into a
// stand-alone container whose class "fuzz::CBean" is registered in process, so beans
// are really made, wired and released; then the beans the text names, two services and
// a few fixed names are asked for. Load errors are exceptions and end the input.
// Built by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>
#include <tamarack/IException.h>

#include "SLoadBudget.h"

namespace {

class IService : public virtual IReferenceCounted {};
class IOther : public virtual IReferenceCounted {};

// Keeps values only, never references to other beans: a bean referring to itself would
// otherwise be a counted cycle the leak checker reports.
class CBean : public CbReferenceCounted, public IService, public IOther {
public:
  CBean() = default;
  CBean(const std::string& text, int number) : m_text(text), m_number(number) {}
  static CBean* Make(const std::string& text) { return new CBean(text, 0); }
  void SetText(const std::string& text) { m_text = text; }
  void SetNumber(int number) { m_number = number; }
  void SetReal(double real) { m_real = real; }
  void SetFlag(bool flag) { m_flag = flag; }
  void SetPeer(CBean* peer) { m_flag = peer != nullptr; }
  void SetPair(int number, const std::string& text) { m_number = number, m_text = text; }
  void SetName(const std::string& name) { m_text = name; }
  void Init() { m_flag = true; }
  void Close() { m_flag = false; }

private:
  std::string m_text;
  int m_number = 0;
  double m_real = 0;
  bool m_flag = false;
};

class CBeanWrapper : public Ostrel::CBeanWrapper<CBean> {
public:
  CBeanWrapper() : Ostrel::CBeanWrapper<CBean>("fuzz::CBean") {
    Constructor<>("CBean");
    Constructor<std::string, int>("CBean");
    Creator("Make", &CBean::Make);
    Method("SetText", &CBean::SetText);
    Method("SetNumber", &CBean::SetNumber);
    Method("SetReal", &CBean::SetReal);
    Method("SetFlag", &CBean::SetFlag);
    Method("SetPeer", &CBean::SetPeer);
    Method("SetPair", &CBean::SetPair);
    Method("SetName", &CBean::SetName);
    Method("Init", &CBean::Init);
    Method("Close", &CBean::Close);
  }
};

// The values of the first `limit` name="..." attributes of the text.
std::vector<std::string> NamesIn(const std::string& text, int limit) {
  std::vector<std::string> names;
  for (std::size_t at = text.find("name=\""); at != std::string::npos && limit-- > 0;
       at = text.find("name=\"", at + 1)) {
    const std::size_t end = text.find('"', at + 6);
    if (end == std::string::npos) break;
    names.push_back(text.substr(at + 6, end - at - 6));
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Small limits, so that an input reaches every bound within the time of one run
  // (the library's own are sized for real configurations, not for sanitized code).
  Ostrel::Internal::SLoadLimits& limits = Ostrel::Internal::LoadLimits();
  limits.loopPasses = 20000;
  limits.nesting = 200;
  limits.files = 16;
  limits.definitions = 5000;
  limits.items = 20000;
  limits.valueInsertions = 1 << 16;
  limits.loadInsertions = 1 << 20;
  Ostrel::RegisterBeanClass<CBeanWrapper>("fuzz::CBean");
  Ostrel::RegisterInterface<IService>("fuzz::IService");
  Ostrel::RegisterInterface<IOther>("fuzz::IOther");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    Ostrel::CContainer container(text.c_str(), false);
    std::vector<std::string> names = NamesIn(text, 16);
    for (const char* fixed : {"a", "b", "::a", ""}) names.push_back(fixed);
    for (const std::string& name : names) {
      if (container.Exists(name.c_str())) (void)container.GetBean<IService>(name.c_str());
    }
    (void)container.GetService<IService>();
    (void)container.GetService<IOther>(Ostrel::TypeIdOf<IOther>(), 1);
    (void)container.GetServiceCount("fuzz::IService");
  } catch (const IException&) {
    // A configuration the loader rejects.
  }
  return 0;
}
