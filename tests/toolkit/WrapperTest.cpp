// The wrapper toolkit called directly, as the bean factory calls it: untyped argument
// addresses in, instances and results out, a Warn record for every refusal.
#include <gtest/gtest.h>

#include "CaptureLog.h"
#include "ToolkitBeans.h"

namespace tk {
namespace {

using Ostrel::ArgumentVector;
using Strings = std::vector<std::string>;
using Pointer = CbSmartPointer<IReferenceCounted>;
using Messages = std::vector<std::wstring>;

const std::wstring kGadget = L"Wrapper of class 'tk::CGadget' ";

const Strings kTypes = {
    "bool",  "char",         "int8_t",   "unsigned char", "short", "unsigned short",
    "int",   "unsigned int", "long",     "unsigned long", "float", "double",
    "char*", "char*",        "wchar_t*", "bean",          "bean"};

// The Warn records of the toolkit's `operation` ("Create" or "Invoke").
Messages Warnings(const std::string& operation) {
  Messages messages;
  for (const auto& record : CaptureLog::Records()) {
    if (record.level == Logging::Warn && record.function == "Ostrel::CBeanWrapper::" + operation) {
      messages.push_back(record.message);
    }
  }
  return messages;
}

// One value of every supported parameter type, in the order of CGadget::Values.
struct SAllValues {
  bool b = true;
  char c = 'x';
  signed char sc = -5;
  unsigned char uc = 250;
  short s = -300;
  unsigned short us = 60000;
  int i = -70000;
  unsigned int ui = 4000000000u;
  long l = -9000000000L;
  unsigned long ul = 18000000000UL;
  float f = 1.5f;
  double d = 2.25;
  std::string text = "text", chars = "chars";
  std::wstring wide = L"wide";
  Pointer part{new CPart};
  ArgumentVector Addresses() {
    return {&b,  &c, &sc, &uc,   &s,     &us,   &i,    &ui,  &l,
            &ul, &f, &d,  &text, &chars, &wide, &part, &part};
  }
};

class WrapperTest : public ::testing::Test {
protected:
  void SetUp() override {
    CaptureLog::Clear();
    Journal().clear();
  }
  static Pointer Create(const Ostrel::IBeanWrapper& wrapper, const char* method,
                        const ArgumentVector* arguments = nullptr, const char* exit = "") {
    return wrapper.Create(method, arguments != nullptr ? arguments->size() : 0, arguments, nullptr,
                          exit, {});
  }
  Pointer Create(const char* method, const ArgumentVector* arguments = nullptr,
                 const char* exit = "") {
    return Create(m_gadgets, method, arguments, exit);
  }
  bool Invoke(const Pointer& instance, const char* method, const ArgumentVector& arguments) {
    return m_gadgets.Invoke(instance.Get(), method, arguments.size(), &arguments);
  }
  Strings Types(const char* method, std::size_t count) {
    Strings types;
    m_gadgets.GetArgumentTypes(method, count, types);
    return types;
  }
  static CGadget& Gadget(const Pointer& instance) { return dynamic_cast<CGadget&>(*instance); }

  CGadgetWrapper m_gadgets;
};

TEST_F(WrapperTest, EveryParameterTypeConvertsByValueAndByConstReference) {
  SAllValues all;
  Pointer gadget = Create("CGadget");
  for (const char* method : {"Values", "References"}) {
    EXPECT_EQ(Types(method, 17), kTypes) << method;
    Gadget(gadget).values.clear();
    ASSERT_TRUE(Invoke(gadget, method, all.Addresses())) << method;
    EXPECT_EQ(Gadget(gadget).values,
              "true x -5 250 -300 60000 -70000 4000000000 -9000000000 18000000000 1.5 2.25 text "
              "chars wide part part")
        << method;
  }
  EXPECT_TRUE(CaptureLog::Records().empty());
}

TEST_F(WrapperTest, OnlyTheMarkedAutonameCallPassesAConstChar) {
  Pointer gadget = Create("CGadget");
  const char* name = "gadget-with-a-name-longer-than-the-small-string-buffer";
  ArgumentVector autoname{&name, const_cast<void*>(Ostrel::AutonameMarker())};
  ASSERT_TRUE(m_gadgets.Invoke(gadget.Get(), "SetName", 1, &autoname));
  EXPECT_EQ(Gadget(gadget).text, name);
  // A configured value is a std::string; read as a const char* it would end at the NUL.
  const std::string configured("configured\0name", 15);
  ASSERT_TRUE(Invoke(gadget, "SetName", {const_cast<std::string*>(&configured)}));
  EXPECT_EQ(Gadget(gadget).text, configured);
}

TEST_F(WrapperTest, OverloadsAreFoundByArgumentCount) {
  EXPECT_EQ(Types("Set", 1), Strings{"int"});
  EXPECT_EQ(Types("Set", 2), (Strings{"int", "char*"}));
  EXPECT_EQ(Types("CGadget", 2), (Strings{"int", "char*"}));
  EXPECT_EQ(Types("WithPart", 1), Strings{"bean"});
  EXPECT_EQ(Types("Set", 3), (Strings{"", "", ""}));
  EXPECT_EQ(Types("Unknown", 2), (Strings{"", ""}));

  int seven = 7, nine = 9;
  std::string label = "seven";
  ArgumentVector one{&nine}, two{&seven, &label};
  Pointer plain = Create("CGadget");
  ASSERT_TRUE(plain && Create("CGadget", &two));
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "CGadget(7,seven)", "~CGadget"}));

  EXPECT_TRUE(Invoke(plain, "Set", one));
  EXPECT_EQ(Gadget(plain).number, 9);
  EXPECT_TRUE(Invoke(plain, "Set", two));
  EXPECT_EQ(std::make_pair(Gadget(plain).number, Gadget(plain).text),
            std::make_pair(7, std::string("seven")));
  EXPECT_TRUE(Invoke(plain, "Describe", {}));  // a const member function
  EXPECT_EQ(Journal().back(), "Describe seven");
  EXPECT_TRUE(CaptureLog::Records().empty());

  EXPECT_FALSE(Invoke(plain, "Set", {&nine, &label, &nine}));
  EXPECT_FALSE(Create("CGadget", &one));
  EXPECT_EQ(Warnings("Invoke"), Messages{kGadget + L"has no method 'Set' with 3 arguments"});
  EXPECT_EQ(Warnings("Create"),
            Messages{kGadget + L"has no creation method 'CGadget' with 1 arguments"});
}

TEST_F(WrapperTest, ReferencesToAnotherClassFailAndNullOnesAreEmpty) {
  Pointer other(new COther), part(new CPart);
  ArgumentVector foreign{&other}, none{nullptr};
  Pointer gadget = Create("CGadget");
  EXPECT_FALSE(Invoke(gadget, "SetPart", foreign));  // CPart*
  EXPECT_FALSE(Create("WithPart", &foreign));        // CbSmartPointer<CPart>
  SAllValues all;  // the method is not called when its last argument fails
  ArgumentVector values = all.Addresses();
  values.back() = &other;
  EXPECT_FALSE(Invoke(gadget, "Values", values));
  EXPECT_TRUE(Gadget(gadget).values.empty());
  EXPECT_EQ(
      Warnings("Invoke"),
      (Messages{kGadget + L"could not call 'SetPart': argument 1 is an object of another class",
                kGadget + L"could not call 'Values': argument 17 is an object of another class"}));
  EXPECT_EQ(
      Warnings("Create"),
      Messages{kGadget + L"could not create 'WithPart': argument 1 is an object of another class"});

  CaptureLog::Clear();
  ASSERT_TRUE(Invoke(gadget, "SetPart", {&part}));
  EXPECT_TRUE(Gadget(gadget).part);
  EXPECT_TRUE(Invoke(gadget, "SetPart", none));
  EXPECT_FALSE(Gadget(gadget).part);
  Pointer partless = Create("WithPart", &none);
  ASSERT_TRUE(partless);
  EXPECT_FALSE(Gadget(partless).part);
  EXPECT_TRUE(CaptureLog::Records().empty());
}

TEST_F(WrapperTest, MissingValuesAndForeignInstancesFailCleanly) {
  Pointer gadget = Create("CGadget"), other(new COther);
  int number = 4;
  ArgumentVector absent{nullptr, nullptr};
  EXPECT_FALSE(Invoke(gadget, "Set", {nullptr}));
  EXPECT_FALSE(Invoke(gadget, "Set", {&number, nullptr}));
  EXPECT_FALSE(m_gadgets.Invoke(gadget.Get(), "Set", 1, nullptr));
  EXPECT_FALSE(Create("CGadget", &absent));
  EXPECT_FALSE(Invoke(other, "Set", {&number}));
  EXPECT_FALSE(m_gadgets.Invoke(nullptr, "Describe", 0, nullptr));
  EXPECT_EQ(Gadget(gadget).number, 0);
  EXPECT_EQ(Warnings("Invoke"),
            (Messages{kGadget + L"could not call 'Set': argument 1 has no value",
                      kGadget + L"could not call 'Set': argument 2 has no value",
                      kGadget + L"could not call 'Set': received too few arguments",
                      kGadget + L"was asked to call 'Set' on an object of another class",
                      kGadget + L"was asked to call 'Describe' on an object of another class"}));
  EXPECT_EQ(Warnings("Create"),
            Messages{kGadget + L"could not create 'CGadget': argument 1 has no value"});
}

void DeleteAndNote(IReferenceCounted* instance) {
  Journal().push_back("deleter");
  delete instance;
}

// The bean factory replaces the deleter of a bean once its creation completed, which
// arms the exit method.
TEST_F(WrapperTest, ExitMethodRunsOnceWhenTheLastReferenceToACompletedBeanGoes) {
  Pointer gadget = Create("CGadget", nullptr, "Close");
  gadget->GetReferenceCounter()->deleter = &DeleteAndNote;
  Pointer copy = gadget;
  gadget = nullptr;
  EXPECT_EQ(Journal(), Strings{"CGadget()"});
  copy = nullptr;
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "deleter", "Close", "~CGadget"}));

  // A reference that the exit method takes and drops does not end the bean again.
  Journal().clear();
  Create("CGadget", nullptr, "CloseHandingOn")->GetReferenceCounter()->deleter = &DeleteAndNote;
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "deleter", "CloseHandingOn", "~CGadget"}));

  Journal().clear();
  Create("CGadget", nullptr, nullptr);
  EXPECT_EQ(Journal(), (Strings{"CGadget()", "~CGadget"}));
  EXPECT_TRUE(CaptureLog::Records().empty());
}

TEST_F(WrapperTest, UnusableExitMethodFailsCreation) {
  CMakerWrapper makers;
  int number = 1;
  ArgumentVector one{&number};
  EXPECT_FALSE(Create("CGadget", nullptr, "Vanish"));
  EXPECT_FALSE(Create("CGadget", nullptr, "Set"));  // takes arguments
  EXPECT_FALSE(Create(makers, "Make", &one, "Close"));
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(
      Warnings("Create"),
      (Messages{kGadget + L"has no exit method 'Vanish'", kGadget + L"has no exit method 'Set'",
                L"Wrapper of class 'tk::CMaker' cannot bind exit method 'Close' to creation "
                L"method 'Make'"}));
}

TEST_F(WrapperTest, CreatorMakesObjectsOfOtherClasses) {
  CMakerWrapper makers;
  Strings types;
  makers.GetArgumentTypes("MakeCounted", 1, types);
  EXPECT_EQ(types, Strings{"char*"});

  int number = 4;
  std::string text = "counted";
  ArgumentVector byNumber{&number}, byText{&text};
  Pointer made = Create(makers, "Make", &byNumber);
  Pointer counted = Create(makers, "MakeCounted", &byText);
  ASSERT_TRUE(made && counted);
  EXPECT_EQ(Gadget(made).number, 4);
  EXPECT_EQ(Gadget(counted).text, "counted");
  // Only the caller's reference is left.
  EXPECT_EQ(made->GetReferenceCounter()->count.load(), 1u);
  EXPECT_EQ(counted->GetReferenceCounter()->count.load(), 1u);

  EXPECT_FALSE(Create(makers, "MakeNothing"));
  EXPECT_EQ(Warnings("Create"),
            Messages{L"Wrapper of class 'tk::CMaker' could not create 'MakeNothing': no instance"});
}

}  // namespace
}  // namespace tk
