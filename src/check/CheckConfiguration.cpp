#include <ostrel/CheckConfiguration.h>

#include <algorithm>
#include <exception>
#include <memory>

#include <ostrel/CException.h>

#include "CConfigurationChecker.h"
#include "check/CheckLoaded.h"
#include "libraries/CDynamicLibrary.h"
#include "loader/CXMLResource.h"
#include "platform/TextConversion.h"

namespace Ostrel {
namespace {

SFinding LoadFailure(const std::string& file, const std::string& message) {
  SFinding finding;
  finding.file = file;
  finding.message = message;
  return finding;
}

// Adds an error for each thing the reader passed over.
void AddNotices(const CXMLResource& loaded, SCheckResult& result) {
  for (const SNotice& notice : loaded.GetNotices()) {
    SFinding finding = LoadFailure(notice.place.IsKnown() ? *notice.place.file : std::string(),
                                   notice.message);
    finding.line = static_cast<std::uint32_t>(notice.place.line > 0 ? notice.place.line : 0);
    finding.column = static_cast<std::uint32_t>(notice.place.column > 0 ? notice.place.column : 0);
    result.findings.push_back(std::move(finding));
  }
}

// File order: by file, line and column, findings at one place as they were made.
void SortFindings(SCheckResult& result) {
  std::stable_sort(result.findings.begin(), result.findings.end(),
                   [](const SFinding& a, const SFinding& b) {
                     if (a.file != b.file) return a.file < b.file;
                     if (a.line != b.line) return a.line < b.line;
                     return a.column < b.column;
                   });
}

}  // namespace

SCheckResult Internal::CheckLoaded(const CXMLResource& loaded, const CDefinitionSet* existing,
                                   std::function<bool(const std::string&)> inDefaultFactory) {
  SCheckResult result;
  AddNotices(loaded, result);
  const SCheckOptions options;
  CConfigurationChecker(loaded.GetDefinitions(), options, result,
                        SCheckContext{existing, std::move(inDefaultFactory)})
      .Run();
  SortFindings(result);
  return result;
}

SCheckResult CheckConfiguration(const wchar_t* file, const SCheckOptions& options) {
  SCheckResult result;
  const std::string name = Platform::WideToUtf8(file);
  for (const std::string& library : options.preload) {
    std::string failure;
    if (CConfigurationChecker::TryLoad(library, {}, failure) == nullptr) {
      result.findings.push_back(LoadFailure("", failure));
    }
  }
  std::unique_ptr<CXMLResource> loaded;
  try {
    loaded = std::make_unique<CXMLResource>(file != nullptr ? file : L"",
                                            CXMLResource::EInterfaces::eNames,
                                            CXMLResource::ENotices::eKeep);
  } catch (const CException& exception) {
    // Without a place of its own (the file itself is missing), the failure is the file's.
    SFinding finding = LoadFailure(exception.GetConfigurationFile(), exception.GetMessage());
    if (finding.file.empty()) finding.file = name;
    finding.line = exception.GetConfigurationLine();
    finding.column = exception.GetConfigurationColumn();
    result.findings.push_back(std::move(finding));
    return result;
  } catch (const std::exception& exception) {
    result.findings.push_back(LoadFailure(name, exception.what()));
    return result;
  }
  AddNotices(*loaded, result);
  CConfigurationChecker(loaded->GetDefinitions(), options, result).Run();
  SortFindings(result);
  return result;
}

SCheckResult CheckConfiguration(const std::string& file, const SCheckOptions& options) {
  return CheckConfiguration(Platform::Utf8ToWide(file).c_str(), options);
}

}  // namespace Ostrel
