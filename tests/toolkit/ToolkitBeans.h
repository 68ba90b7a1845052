// Bean classes of the toolkit suites and their wrappers. Beans write what happens to
// them into one journal, so tests can check calls, exit methods and destruction in order.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

namespace tk {

inline std::vector<std::string>& Journal() {
  static std::vector<std::string> journal;
  return journal;
}

class CPart : public CbReferenceCounted {};
class COther : public CbReferenceCounted {};

class IGreeter : public virtual IReferenceCounted {
public:
  virtual std::string Greet() const = 0;
};

inline std::string Show(bool v) { return v ? "true" : "false"; }
inline std::string Show(char v) { return std::string(1, v); }
inline std::string Show(signed char v) { return std::to_string(v); }
inline std::string Show(unsigned char v) { return std::to_string(v); }
inline std::string Show(const char* v) { return v != nullptr ? v : "(null)"; }
inline std::string Show(const std::string& v) { return v; }
inline std::string Show(const std::wstring& v) { return std::string(v.begin(), v.end()); }
inline std::string Show(CPart* v) { return v != nullptr ? "part" : "none"; }
inline std::string Show(const CbSmartPointer<CPart>& v) { return Show(v.Get()); }
template <class N>
std::string Show(N v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

class CGadget : public CbReferenceCounted, public IGreeter {
public:
  CGadget() { Journal().push_back("CGadget()"); }
  CGadget(int number, const std::string& text) : number(number), text(text) {
    Journal().push_back("CGadget(" + std::to_string(number) + "," + text + ")");
  }
  explicit CGadget(CbSmartPointer<CPart> part) : part(part) {
    Journal().push_back("CGadget(part)");
  }
  ~CGadget() override { Journal().push_back("~CGadget"); }

  void Values(bool a, char b, signed char c, unsigned char d, short e, unsigned short f, int g,
              unsigned int h, long i, unsigned long j, float k, double l, std::string m,
              const char* n, std::wstring o, CbSmartPointer<CPart> p, CPart* q) {
    Record(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q);
  }
  void References(const bool& a, const char& b, const signed char& c, const unsigned char& d,
                  const short& e, const unsigned short& f, const int& g, const unsigned int& h,
                  const long& i, const unsigned long& j, const float& k, const double& l,
                  const std::string& m, const char* const& n, const std::wstring& o,
                  const CbSmartPointer<CPart>& p, CPart* const& q) {
    Record(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q);
  }
  void SetNumber(int value) { number = value; }
  void SetBoth(int value, const std::string& label) {
    number = value;
    text = label;
  }
  void SetPart(CPart* value) { part = value; }
  void SetName(const std::string& name) { text = name; }
  void Close() { Journal().push_back("Close"); }
  // Hands itself on, as an exit method that unregisters the bean somewhere would.
  void CloseHandingOn() {
    CbSmartPointer<CGadget> self(this);
    Journal().push_back("CloseHandingOn");
  }
  void Describe() const { Journal().push_back("Describe " + text); }
  std::string Greet() const override { return "hello from " + text; }

  int number = 0;
  std::string text;
  std::string values;
  CbSmartPointer<CPart> part;

private:
  template <class... A>
  void Record(const A&... arguments) {
    values.clear();
    ((values += (values.empty() ? "" : " ") + Show(arguments)), ...);
  }
};

class CMaker : public CbReferenceCounted {
public:
  static CGadget* Make(int number) { return new CGadget(number, "made"); }
  static CbSmartPointer<CGadget> MakeCounted(const std::string& text) {
    return CbSmartPointer<CGadget>(new CGadget(-1, text));
  }
  static CGadget* MakeNothing() { return nullptr; }
  void Close() {}
};

class CGadgetWrapper : public Ostrel::CBeanWrapper<CGadget> {
public:
  CGadgetWrapper() : CBeanWrapper("tk::CGadget") {
    Constructor<>("CGadget");
    Constructor<int, std::string>("CGadget");
    Constructor<CbSmartPointer<CPart>>("WithPart");
    Method("Values", &CGadget::Values);
    Method("References", &CGadget::References);
    Method("Set", &CGadget::SetNumber);
    Method("Set", &CGadget::SetBoth);
    Method("SetPart", &CGadget::SetPart);
    Method("SetName", &CGadget::SetName);
    Method("Close", &CGadget::Close);
    Method("CloseHandingOn", &CGadget::CloseHandingOn);
    Method("Describe", &CGadget::Describe);
  }
};

class CMakerWrapper : public Ostrel::CBeanWrapper<CMaker> {
public:
  CMakerWrapper() : CBeanWrapper("tk::CMaker") {
    Constructor<>("CMaker");
    Creator("Make", &CMaker::Make);
    Creator("MakeCounted", &CMaker::MakeCounted);
    Creator("MakeNothing", &CMaker::MakeNothing);
    Method("Close", &CMaker::Close);
  }
};

class CPartWrapper : public Ostrel::CBeanWrapper<CPart> {
public:
  CPartWrapper() : CBeanWrapper("tk::CPart") { Constructor<>("CPart"); }
};

class COtherWrapper : public Ostrel::CBeanWrapper<COther> {
public:
  COtherWrapper() : CBeanWrapper("tk::COther") { Constructor<>("COther"); }
};

}  // namespace tk
