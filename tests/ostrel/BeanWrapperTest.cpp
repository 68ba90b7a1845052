// The wrapper toolkit called directly, as the bean factory calls it: untyped argument
// addresses in, instances out, a Warn record for every refusal. Beans write what
// happens to them into one journal.
#include <gtest/gtest.h>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"

namespace {

using Ostrel::ArgumentVector;
using Strings = std::vector<std::string>;
using Pointer = CbSmartPointer<IReferenceCounted>;

Strings journal;  // what happens to the beans, in order

class CGadget : public CbReferenceCounted {
 public:
  CGadget() = default;
  CGadget(int number, const std::string& text) : number(number), text(text) {}
  ~CGadget() override { journal.push_back("~CGadget"); }
  // Creators, as a factory bean's class has them.
  static CGadget* Make(int number) { return new CGadget(number, "made"); }
  static CGadget* MakeNothing() { return nullptr; }

  void SetText(const std::string& value) { text = value; }
  void SetLabel(int value, const char* label) { text = label + std::to_string(value); }
  void SetPeer(CGadget*) {}
  void SetOptionalPeer(const Ostrel::Optional<CGadget>& peer) { text = peer ? "peer" : "none"; }
  void Close() { journal.push_back("Close"); }
  // Hands itself on, as an exit method that unregisters the bean somewhere would.
  void CloseHandingOn() {
    CbSmartPointer<CGadget> self(this);
    journal.push_back("CloseHandingOn");
  }

  int number = 0;
  std::string text;
};

class CGadgetWrapper : public Ostrel::CBeanWrapper<CGadget> {
 public:
  CGadgetWrapper() : CBeanWrapper("CGadget") {
    Constructor<>("CGadget");
    Constructor<int, std::string>("CGadget");
    Creator("Make", &CGadget::Make);
    Creator("MakeNothing", &CGadget::MakeNothing);
    Method("Set", &CGadget::SetText);
    Method("Set", &CGadget::SetLabel);
    Method("SetPeer", &CGadget::SetPeer);
    Method("SetOptionalPeer", &CGadget::SetOptionalPeer);
    Method("Close", &CGadget::Close);
    Method("CloseHandingOn", &CGadget::CloseHandingOn);
  }
};

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override { CaptureLog::Clear(); }
  Pointer Create(const char* method, const ArgumentVector& arguments = {}, const char* exit = "") {
    return m_gadgets.Create(method, arguments.size(), &arguments, nullptr, exit, {});
  }
  bool Invoke(const Pointer& instance, const char* method, const ArgumentVector& arguments) {
    return m_gadgets.Invoke(instance.Get(), method, arguments.size(), &arguments);
  }
  static CGadget& Gadget(const Pointer& instance) { return dynamic_cast<CGadget&>(*instance); }

  CGadgetWrapper m_gadgets;
};

// Methods and creation methods are found by name and argument count. A refused call
// answers empty or false, says why and does not reach the method; a reference that
// resolved to nothing is refused unless the parameter is Optional. Exit methods bind only
// to what Constructor makes.
TEST_F(WrapperTest, MethodsAreFoundByNameAndArgumentCountOrRefusedWithAWarning) {
  Strings types;
  m_gadgets.GetArgumentTypes("Set", 2, types);
  m_gadgets.GetArgumentTypes("SetPeer", 1, types);
  m_gadgets.GetArgumentTypes("CGadget", 2, types);
  m_gadgets.GetArgumentTypes("Set", 3, types);
  EXPECT_EQ(types, (Strings{"int", "char*", "bean", "int", "char*", "", "", ""}));

  int seven = 7;
  std::string label = "seven";
  Pointer plain = Create("CGadget"), numbered = Create("CGadget", {&seven, &label}),
          made = Create("Make", {&seven}), other(new CbReferenceCounted);
  ASSERT_TRUE(plain && numbered && made);
  EXPECT_EQ(Gadget(numbered).number, 7);
  EXPECT_EQ(Gadget(made).number, 7);
  // Only the caller's reference to a creator's object is left.
  EXPECT_EQ(made->GetReferenceCounter()->count, 1u);
  Pointer none;
  EXPECT_FALSE(Invoke(plain, "SetPeer", {&none}));
  // Refused without a record when the container says it reports the reference itself.
  const ArgumentVector reported{&none, const_cast<void*>(Ostrel::NullsReportedMarker())};
  EXPECT_FALSE(m_gadgets.Invoke(plain.Get(), "SetPeer", 1, &reported));
  EXPECT_TRUE(Invoke(plain, "SetOptionalPeer", {nullptr}));
  EXPECT_EQ(Gadget(plain).text, "none");
  EXPECT_TRUE(Invoke(plain, "SetOptionalPeer", {&plain}));
  EXPECT_EQ(Gadget(plain).text, "peer");
  Gadget(plain).text.clear();
  EXPECT_FALSE(Invoke(plain, "Set", {&seven, &seven, &seven}));
  EXPECT_FALSE(Invoke(plain, "SetPeer", {&other}));
  EXPECT_FALSE(m_gadgets.Invoke(plain.Get(), "Set", 1, nullptr));
  EXPECT_FALSE(Invoke(other, "Set", {&label}));
  EXPECT_TRUE(Gadget(plain).text.empty());
  EXPECT_TRUE(Invoke(plain, "Set", {&label}));
  EXPECT_EQ(Gadget(plain).text, "seven");
  EXPECT_TRUE(Invoke(plain, "Set", {&seven, &label}));
  EXPECT_EQ(Gadget(plain).text, "seven7");
  EXPECT_FALSE(Create("CGadget", {&seven}));
  EXPECT_FALSE(Create("CGadget", {&seven, nullptr}));
  EXPECT_FALSE(Create("MakeNothing"));
  EXPECT_FALSE(Create("CGadget", {}, "Vanish"));
  EXPECT_FALSE(Create("CGadget", {}, "Set"));
  EXPECT_FALSE(Create("Make", {&seven}, "Close"));
  const std::string invoke = "Ostrel::CBeanWrapper::Invoke: Wrapper of class 'CGadget' ";
  const std::string create = "Ostrel::CBeanWrapper::Create: Wrapper of class 'CGadget' ";
  Strings warnings;  // as "function: message"
  for (const auto& r : CaptureLog::Records())
    if (r.level == Logging::Warn)
      warnings.push_back(r.function + ": " + std::string(r.message.begin(), r.message.end()));
  EXPECT_EQ(warnings,
            (Strings{invoke + "could not call 'SetPeer': argument 1 resolved to nothing (declare "
                              "the parameter Optional<U> to accept that)",
                     invoke + "has no method 'Set' with 3 arguments",
                     invoke + "could not call 'SetPeer': argument 1 is an object of another class",
                     invoke + "could not call 'Set': received too few arguments",
                     invoke + "was asked to call 'Set' on an object of another class",
                     create + "has no creation method 'CGadget' with 1 arguments",
                     create + "could not create 'CGadget': argument 2 has no value",
                     create + "could not create 'MakeNothing': no instance",
                     create + "has no exit method 'Vanish'", create + "has no exit method 'Set'",
                     create + "cannot bind exit method 'Close' to creation method 'Make'"}));
}

// The container's autoname call passes a const char* and marks it; a configured value
// is a std::string, even where the storage past the arguments still holds a marker.
TEST_F(WrapperTest, OnlyTheMarkedAutonameCallPassesAConstChar) {
  Pointer gadget = Create("CGadget");
  const char* name = "gadget-with-a-name-longer-than-the-small-string-buffer";
  ArgumentVector arguments{&name, const_cast<void*>(Ostrel::AutonameMarker())};
  ASSERT_TRUE(m_gadgets.Invoke(gadget.Get(), "Set", 1, &arguments));
  EXPECT_EQ(Gadget(gadget).text, name);
  // Read as a const char*, this value would end at the NUL.
  std::string configured("configured\0name", 15);
  arguments[0] = &configured;
  arguments.pop_back();
  ASSERT_TRUE(m_gadgets.Invoke(gadget.Get(), "Set", 1, &arguments));
  EXPECT_EQ(Gadget(gadget).text, configured);
}

// The bean factory replaces the deleter of a bean once its creation completed, which
// arms the exit method; a bean it dropped half-way (the first one) ends without it.
TEST_F(WrapperTest, ExitMethodRunsOnceWhenACompletedBeanEnds) {
  const ReferenceDeleter replaced = [](IReferenceCounted* bean) { delete bean; };
  for (const char* exit : {"Close", "CloseHandingOn"}) {
    journal.clear();
    Create("CGadget", {}, exit);
    Create("CGadget", {}, exit)->GetReferenceCounter()->deleter = replaced;
    EXPECT_EQ(journal, (Strings{"~CGadget", exit, "~CGadget"}));
  }
  EXPECT_EQ(CaptureLog::Records().back().message, L"Calling exit method 'CloseHandingOn'");
}

}  // namespace
