// The wrapper toolkit called directly, as the bean factory calls it: untyped argument
// addresses in, instances out, a Warn record for every refusal. Beans write what
// happens to them into one journal.
#include <gtest/gtest.h>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"

namespace tk {
namespace {

using Ostrel::ArgumentVector;
using Strings = std::vector<std::string>;
using Pointer = CbSmartPointer<IReferenceCounted>;

Strings journal;  // what happens to the beans, in order

class CWheel : public CbReferenceCounted {};

class CGadget : public CbReferenceCounted {
 public:
  CGadget() = default;
  CGadget(int number, const std::string& text) : number(number), text(text) {}
  explicit CGadget(CbSmartPointer<CWheel> wheel) : wheel(wheel) {}
  ~CGadget() override { journal.push_back("~CGadget"); }

  void SetNumber(int value) { number = value; }
  void SetLabel(int value, const char* label) { text = label + std::to_string(value); }
  void SetWheel(CWheel* value) { wheel = value; }
  void SetName(const std::string& name) { text = name; }
  void Close() { journal.push_back("Close"); }
  // Hands itself on, as an exit method that unregisters the bean somewhere would.
  void CloseHandingOn() {
    CbSmartPointer<CGadget> self(this);
    journal.push_back("CloseHandingOn");
  }

  int number = 0;
  std::string text;
  CbSmartPointer<CWheel> wheel;
};

class CGadgetWrapper : public Ostrel::CBeanWrapper<CGadget> {
 public:
  CGadgetWrapper() : CBeanWrapper("tk::CGadget") {
    Constructor<>("CGadget");
    Constructor<int, std::string>("CGadget");
    Constructor<CbSmartPointer<CWheel>>("WithWheel");
    Method("Set", &CGadget::SetNumber);
    Method("Set", &CGadget::SetLabel);
    Method("SetWheel", &CGadget::SetWheel);
    Method("SetName", &CGadget::SetName);
    Method("Close", &CGadget::Close);
    Method("CloseHandingOn", &CGadget::CloseHandingOn);
  }
};

// Its creators make objects of another class.
class CMaker : public CbReferenceCounted {
 public:
  static CGadget* Make(int number) { return new CGadget(number, "made"); }
  static CGadget* MakeNothing() { return nullptr; }
  void Close() {}
};

class CMakerWrapper : public Ostrel::CBeanWrapper<CMaker> {
 public:
  CMakerWrapper() : CBeanWrapper("tk::CMaker") {
    Creator("Make", &CMaker::Make);
    Creator("MakeNothing", &CMaker::MakeNothing);
    Method("Close", &CMaker::Close);
  }
};

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override { CaptureLog::Clear(); }
  // The Warn records, as "function: message".
  static Strings Warnings() {
    Strings warnings;
    for (const auto& record : CaptureLog::Records()) {
      const std::string message(record.message.begin(), record.message.end());
      if (record.level == Logging::Warn) warnings.push_back(record.function + ": " + message);
    }
    return warnings;
  }
  Pointer Create(const char* method, const ArgumentVector* arguments = nullptr,
                 const char* exit = "", const Ostrel::IBeanWrapper* wrapper = nullptr) {
    return (wrapper != nullptr ? *wrapper : m_gadgets)
        .Create(method, arguments != nullptr ? arguments->size() : 0, arguments, nullptr, exit, {});
  }
  bool Invoke(const Pointer& instance, const char* method, const ArgumentVector& arguments) {
    return m_gadgets.Invoke(instance.Get(), method, arguments.size(), &arguments);
  }
  static CGadget& Gadget(const Pointer& instance) { return dynamic_cast<CGadget&>(*instance); }

  CGadgetWrapper m_gadgets;
  CMakerWrapper m_makers;
};

const std::string kCreate = "Ostrel::CBeanWrapper::Create: Wrapper of class 'tk::C";
const std::string kInvoke = "Ostrel::CBeanWrapper::Invoke: Wrapper of class 'tk::CGadget' ";

TEST_F(WrapperTest, MethodsAndCreationMethodsAreFoundByNameAndArgumentCount) {
  Strings types;
  m_gadgets.GetArgumentTypes("Set", 2, types);
  m_gadgets.GetArgumentTypes("WithWheel", 1, types);
  m_gadgets.GetArgumentTypes("CGadget", 2, types);
  m_gadgets.GetArgumentTypes("Set", 3, types);
  EXPECT_EQ(types, (Strings{"int", "char*", "bean", "int", "char*", "", "", ""}));

  int seven = 7, nine = 9;
  std::string label = "seven";
  ArgumentVector one{&nine}, two{&seven, &label};
  Pointer plain = Create("CGadget"), numbered = Create("CGadget", &two);
  ASSERT_TRUE(plain && numbered);
  EXPECT_EQ(Gadget(numbered).number, 7);
  EXPECT_TRUE(Invoke(plain, "Set", two));
  EXPECT_TRUE(Invoke(plain, "Set", one));
  EXPECT_EQ(Gadget(plain).number, 9);
  EXPECT_EQ(Gadget(plain).text, "seven7");

  // Only the caller's reference to a creator's object is left.
  Pointer made = Create("Make", &one, "", &m_makers);
  ASSERT_TRUE(made);
  EXPECT_EQ(Gadget(made).number, 9);
  EXPECT_EQ(made->GetReferenceCounter()->count, 1u);

  EXPECT_FALSE(Invoke(plain, "Set", {&nine, &label, &nine}));
  EXPECT_FALSE(Create("CGadget", &one));
  EXPECT_FALSE(Create("MakeNothing", nullptr, "", &m_makers));
  EXPECT_EQ(Warnings(),
            (Strings{kInvoke + "has no method 'Set' with 3 arguments",
                     kCreate + "Gadget' has no creation method 'CGadget' with 1 arguments",
                     kCreate + "Maker' could not create 'MakeNothing': no instance"}));
}

// The container's autoname call passes a const char* and marks it; a configured value
// is a std::string, even where the storage past the arguments still holds a marker.
TEST_F(WrapperTest, OnlyTheMarkedAutonameCallPassesAConstChar) {
  Pointer gadget = Create("CGadget");
  const char* name = "gadget-with-a-name-longer-than-the-small-string-buffer";
  ArgumentVector arguments{&name, const_cast<void*>(Ostrel::AutonameMarker())};
  ASSERT_TRUE(m_gadgets.Invoke(gadget.Get(), "SetName", 1, &arguments));
  EXPECT_EQ(Gadget(gadget).text, name);
  // Read as a const char*, this value would end at the NUL.
  const std::string configured("configured\0name", 15);
  arguments[0] = const_cast<std::string*>(&configured);
  arguments.pop_back();
  ASSERT_TRUE(m_gadgets.Invoke(gadget.Get(), "SetName", 1, &arguments));
  EXPECT_EQ(Gadget(gadget).text, configured);
}

// A refused call does not reach the method; a null reference is an empty one.
TEST_F(WrapperTest, ForeignReferencesMissingValuesAndForeignInstancesAreRefused) {
  Pointer gadget = Create("CGadget"), other(new CMaker), wheel(new CWheel);
  int number = 4;
  ArgumentVector foreign{&other}, none{nullptr};
  EXPECT_FALSE(Invoke(gadget, "SetWheel", foreign));  // CWheel*
  EXPECT_FALSE(Create("WithWheel", &foreign));        // CbSmartPointer<CWheel>
  EXPECT_FALSE(Invoke(gadget, "Set", {&number, nullptr}));
  EXPECT_FALSE(m_gadgets.Invoke(gadget.Get(), "Set", 1, nullptr));
  EXPECT_FALSE(Invoke(other, "Set", {&number}));
  EXPECT_EQ(Gadget(gadget).number, 0);
  const std::string foreignClass = "argument 1 is an object of another class";
  EXPECT_EQ(Warnings(),
            (Strings{kInvoke + "could not call 'SetWheel': " + foreignClass,
                     kCreate + "Gadget' could not create 'WithWheel': " + foreignClass,
                     kInvoke + "could not call 'Set': argument 2 has no value",
                     kInvoke + "could not call 'Set': received too few arguments",
                     kInvoke + "was asked to call 'Set' on an object of another class"}));
  CaptureLog::Clear();
  ASSERT_TRUE(Invoke(gadget, "SetWheel", {&wheel}));
  EXPECT_TRUE(Invoke(gadget, "SetWheel", none));
  EXPECT_FALSE(Gadget(gadget).wheel);
  EXPECT_TRUE(Create("WithWheel", &none));
  EXPECT_TRUE(CaptureLog::Records().empty());
}

void DeleteAndNote(IReferenceCounted* instance) {
  journal.push_back("deleter");
  delete instance;
}

// The bean factory replaces the deleter of a bean once its creation completed, which
// arms the exit method; a bean it dropped half-way ends without it.
TEST_F(WrapperTest, ExitMethodRunsOnceWhenACompletedBeanEnds) {
  for (const char* exit : {"Close", "CloseHandingOn"}) {
    journal.clear();
    Create("CGadget", nullptr, exit)->GetReferenceCounter()->deleter = &DeleteAndNote;
    EXPECT_EQ(journal, (Strings{"deleter", exit, "~CGadget"}));
  }
  journal.clear();
  Create("CGadget", nullptr, "Close");
  EXPECT_EQ(journal, Strings{"~CGadget"});

  // Unknown, taking arguments, or on a creator's object of another class: no instance.
  journal.clear();
  int number = 1;
  ArgumentVector one{&number};
  EXPECT_FALSE(Create("CGadget", nullptr, "Vanish"));
  EXPECT_FALSE(Create("CGadget", nullptr, "Set"));
  EXPECT_FALSE(Create("Make", &one, "Close", &m_makers));
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(Warnings(), (Strings{kCreate + "Gadget' has no exit method 'Vanish'",
                                 kCreate + "Gadget' has no exit method 'Set'",
                                 kCreate + "Maker' cannot bind exit method 'Close' to creation "
                                           "method 'Make'"}));
}

}  // namespace
}  // namespace tk
