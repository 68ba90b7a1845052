// Shared pieces of the container suites: configuration documents built from the test
// plug-ins, views on the captured log, and a fixture that starts with an empty log,
// writes configuration files into a folder of its own and checks that the test left no
// default factory behind (it would leak into the next test of the process).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CaptureLog.h"
#include "RecordingWrapper.h"

namespace ContainerTest {

using Ostrel::CContainer;
using TestPlugin::CRecordedBean;
using Calls = std::vector<std::string>;

constexpr const char* kConstructor = "Ostrel::CContainer::CContainer";
constexpr const char* kReset = "Ostrel::CContainer::Reset";

inline std::string Bean(const std::string& name, const std::string& className = "CBasket",
                        const std::string& extra = "", const std::string& body = "") {
  return "<bean name=\"" + name + "\" class=\"" + className + "\" " + extra + ">" + body +
         "</bean>";
}

inline std::string Document(const std::string& beans, const std::string& library = PLUGIN_TWO) {
  return "<ostrel><library path=\"" + library + "\"><beans>" + beans +
         "</beans></library></ostrel>";
}

// A property element passing the bean `reference` to SetOrder.
inline std::string OrderProperty(const std::string& reference) {
  return "<properties><property name=\"SetOrder\"><ref bean=\"" + reference +
         "\"/></property></properties>";
}

const std::string kBasket = Document(Bean("basket"));
const std::string kOrder = Document(Bean("order", "shop::COrder"));

// Messages of the Info records logged by `function`, oldest first.
inline std::vector<std::wstring> InfoMessages(const std::string& function) {
  std::vector<std::wstring> messages;
  for (const auto& record : CaptureLog::Records()) {
    if (record.level == Logging::Info && record.function == function)
      messages.push_back(record.message);
  }
  return messages;
}

inline bool IsSuccess(const std::wstring& message) {
  static const std::wregex kSuccess(
      L"Configuration loading successful \\(loading time: [0-9]+\\.[0-9]{3} ms\\)");
  return std::regex_match(message, kSuccess);
}

inline Calls CallsOf(const CbSmartPointer<CRecordedBean>& bean) {
  return bean ? bean->calls : Calls();
}

class ContainerFixture : public ::testing::Test {
 protected:
  void SetUp() override { CaptureLog::Clear(); }
  void TearDown() override {
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder);
    EXPECT_FALSE(CContainer().Exists("basket")) << "an integrated container outlived its test";
  }
  // Writes a configuration file into the test's folder; returns its path.
  std::wstring WriteFile(const std::string& relative, const std::string& text) {
    if (m_folder.empty()) {
      std::string pattern = ::testing::TempDir() + "ostrel-container-XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
      m_folder = pattern;
    }
    std::filesystem::path path = m_folder / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
    return path.wstring();
  }
  std::filesystem::path m_folder;
};

}  // namespace ContainerTest
