// CheckConfiguration over broken configurations (tests/check/*.xml): every finding,
// with its place, severity, message and bean.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ostrel/CheckConfiguration.h>

namespace {

// "<file>:<line>:<column> <E|W> <message> [<bean>]", the file relative to tests/check.
std::string Describe(const Ostrel::SFinding& finding) {
  std::string file = finding.file;
  const std::string dir = CHECK_DIR "/";
  if (file.compare(0, dir.size(), dir) == 0) file.erase(0, dir.size());
  return file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) +
         (finding.severity == Ostrel::ESeverity::eError ? " E " : " W ") + finding.message +
         " [" + finding.bean + "]";
}

// The system loader's reason for a library that is not there.
#if defined(_WIN32)
#define NO_LIBRARY "Module not found. (126)"
#else
#define NO_LIBRARY "libnowhere.so: cannot open shared object file: No such file or directory"
#endif

struct SCase {
  const char* file;
  std::vector<std::string> findings;
};

// clang-format off
const SCase kCases[] = {
  {"no-file.xml", {"no-file.xml:0:0 E File not found: " CHECK_DIR "/no-file.xml []"}},
  {"not-xml.xml", {"not-xml.xml:5:10 E Error when parsing file: " CHECK_DIR "/not-xml.xml' - "
                   "Error when parssing 'ostrel' at line 5, column 10. []"}},
  {"missing-include.xml", {"missing-include.xml:4:3 E File not found: " CHECK_DIR "/nowhere.xml []"}},
  {"shop-class-typo.xml", {"shop-class-typo.xml:9:7 E Getting wrapper maker failed for class "
                           "'shop::CCatalogue' [catalog]"}},
  {"shop-missing-bean.xml", {
    "shop-missing-bean.xml:44:13 E Bean 'auditLog' requested, but not configured [checkout1]",
    "shop-missing-bean.xml:44:13 E Bean 'auditLog' requested, but not configured [checkout2]"}},
  {"shop-wrong-type.xml", {"shop-wrong-type.xml:12:11 E Argument 1 of 'SetCurrency' of bean 'catalog' "
                           "is configured as 'int', but the method takes 'char*' [catalog]"}},
  {"shop-cycle.xml", {"shop-cycle.xml:9:7 E Circular reference: catalog -> checkout1 -> catalog "
                      "[catalog]"}},
  {"shop-unknown-interface.xml", {
    "shop-unknown-interface.xml:41:9 E No type id for class 'shop::ICheckouts' registered [checkout1]",
    "shop-unknown-interface.xml:41:9 E No type id for class 'shop::ICheckouts' registered [checkout2]"}},
  {"kinds.xml", {
    "kinds.xml:9:11 E missing argument type for property 'SetPrefixes' [audit]",
    "kinds.xml:10:11 E Unknown value type 'string' of argument 1 of 'SetPrefix' [audit]",
    "kinds.xml:13:7 W Bean 'audit' is defined again; the definition at " CHECK_DIR
    "/kinds.xml:7:7 is used [audit]",
    "kinds.xml:14:7 E Argument 1 of 'CCardPayment' of bean 'card' is configured as 'int', but the "
    "method takes 'char*' [card]",
    "kinds.xml:20:7 E Could not create bean 'catalog': class 'shop::CCatalog' has no creation "
    "method 'CCatalog' with 1 argument [catalog]",
    "kinds.xml:23:7 E Factory bean 'orderFactory' requested, but not configured [order]",
    "kinds.xml:26:7 E Init method of class 'shop::CCheckout' does not exist or is not valid "
    "[checkout]",
    "kinds.xml:26:7 E Exit method 'End' of class 'shop::CCheckout' does not exist [checkout]",
    "kinds.xml:26:7 E Bean 'clock' requested, but not configured [checkout]",
    "kinds.xml:28:11 E No type id for class 'shop::IPayment' registered [checkout]",
    "kinds.xml:38:11 E Bean 'audit' shall be exported from library 'libshop.so', but not allowed "
    "[outside]",
    "kinds.xml:45:7 E Could not load library 'libnowhere.so': " NO_LIBRARY " []"}},
  {"mistakes.xml", {
    "mistakes.xml:6:7 E Unknown attribute 'init-methd' of 'bean' (did you mean 'init-method'?) []",
    "mistakes.xml:6:7 E Attribute 'lazy' of 'bean' is repeated: only the first is read []",
    "mistakes.xml:6:7 E Getting wrapper maker failed for class 'shop::CNothing' [values]",
    "mistakes.xml:8:11 E Unknown element 'proprety' inside 'properties' (did you mean 'property'?) []",
    "mistakes.xml:9:11 E Value 'sixteen' is no valid 'int' in argument 1 of 'SetB' [values]",
    "mistakes.xml:10:11 E Value '300' is outside the range of 'int8_t' in argument 1 of 'SetC' [values]",
    "mistakes.xml:11:11 E Value '1e39' is outside the range of 'float' in argument 1 of 'SetD' [values]",
    "mistakes.xml:12:11 E Value 'yes' is no valid 'bool' (true or false) in argument 1 of 'SetE' [values]",
    "mistakes.xml:13:11 E Unknown value type 'integer' of argument 1 of 'SetF' [values]",
    "mistakes.xml:14:33 E Text of 'value' is not valid UTF-8 []",
    "mistakes.xml:15:63 E 'ref' inside 'property' is ignored: the element holds its value in 'value' []",
    "mistakes.xml:18:9 E Second 'properties' inside 'bean' is ignored: only the first is read []",
    "mistakes.xml:19:21 E Element 'for' is not read inside 'depends-on' []",
    "mistakes.xml:22:5 E Second 'beans' inside 'library' is ignored: only the first is read []"}},
};
// clang-format on

TEST(CheckConfigurationTest, ReportsEveryFindingAtItsPlace) {
  Ostrel::SCheckOptions options;
  options.interfaces = {"shop::IPaymentService", "shop::ICatalog", "shop::ICheckout"};
  for (const SCase& test : kCases) {
    std::vector<std::string> findings;
    for (const Ostrel::SFinding& finding :
         Ostrel::CheckConfiguration(CHECK_DIR "/" + std::string(test.file), options).findings) {
      findings.push_back(Describe(finding));
    }
    EXPECT_EQ(findings, test.findings) << test.file;
  }
}

}  // namespace
