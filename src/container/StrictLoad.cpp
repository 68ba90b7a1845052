#include "StrictLoad.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include <ostrel/Logger.h>

#include "beans/SPlace.h"
#include "check/CheckLoaded.h"
#include "factory/CBeanFactoryImpl.h"
#include "factory/DefaultFactory.h"
#include "libraries/CLocalLibrary.h"
#include "loader/CXMLResource.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace Internal {
namespace {

const Logging::CLogger s_logger(L"Ostrel");

std::string PlaceOf(const SFinding& finding) {
  if (finding.file.empty()) return std::string();
  return SPlace{std::make_shared<const std::string>(finding.file),
                static_cast<std::int32_t>(finding.line), static_cast<std::int32_t>(finding.column)}
      .ToString();
}

// The load's plug-in path joins the folders each library of the configuration is looked
// for in, after the folder of the file that named it.
std::unique_ptr<CXMLResource> WithPluginPath(std::unique_ptr<CXMLResource> resource,
                                             const SLoadOptions& options) {
  for (const auto& library : resource->GetLibraries()) {
    for (const std::string& folder : options.pluginPath) {
      if (!folder.empty()) AddSearchFolder(*library, folder);
    }
  }
  return resource;
}

}  // namespace

SLoadOptions EffectiveOptions(const SLoadOptions& options) {
  SLoadOptions effective = options;
  const char* strict = std::getenv("OSTREL_STRICT");
  if (strict != nullptr && std::strcmp(strict, "1") == 0) effective.strict = true;
  return effective;
}

std::unique_ptr<CXMLResource> ReadConfiguration(const char* xml, const SLoadOptions& options) {
  if (!options.strict) return WithPluginPath(std::make_unique<CXMLResource>(xml), options);
  return WithPluginPath(std::make_unique<CXMLResource>(xml, CXMLResource::ENotices::eKeep,
                                                       CXMLResource::EInterfaces::eNames),
                        options);
}

std::unique_ptr<CXMLResource> ReadConfiguration(const wchar_t* file, const SLoadOptions& options) {
  if (!options.strict) return WithPluginPath(std::make_unique<CXMLResource>(file), options);
  return WithPluginPath(std::make_unique<CXMLResource>(file, CXMLResource::EInterfaces::eNames,
                                                       CXMLResource::ENotices::eKeep),
                        options);
}

void CheckStrictly(CBeanFactoryImpl& factory, CXMLResource& resource, bool replacing,
                   const char* function) {
  std::lock_guard<std::recursive_mutex> factoryLock(factory.GetLock());
  const CDefinitionSet& loaded = resource.GetDefinitions();
  // "::name" names a bean of the default factory; when that is the factory being
  // loaded, the new definitions count, and its old ones only when they stay.
  auto inDefaultFactory = [&factory, &loaded, replacing](const std::string& name) {
    std::shared_ptr<IBeanFactory> held = GetDefaultFactory();
    auto* target = dynamic_cast<CBeanFactoryImpl*>(held.get());
    if (target == nullptr) return false;
    if (target == &factory) {
      if (loaded.FindDefinition(name) != nullptr) return true;
      if (replacing) return false;
    }
    std::lock_guard<std::recursive_mutex> lock(target->GetLock());
    return target->GetDefinitions().FindDefinition(name) != nullptr;
  };
  const SCheckResult result =
      CheckLoaded(resource, replacing ? nullptr : &factory.GetDefinitions(),
                  inDefaultFactory);
  const SFinding* first = nullptr;
  std::size_t errors = 0;
  for (const SFinding& finding : result.findings) {
    const std::wstring text = Platform::Utf8ToWide(PlaceOf(finding) + ": " + finding.message);
    if (finding.severity == ESeverity::eError) {
      s_logger.Error(__FILE__, __LINE__, function, L"%s", text.c_str());
      if (first == nullptr) first = &finding;
      ++errors;
    } else {
      s_logger.Warn(__FILE__, __LINE__, function, L"%s", text.c_str());
    }
  }
  if (first != nullptr) {
    const SPlace place{std::make_shared<const std::string>(first->file),
                       static_cast<std::int32_t>(first->line),
                       static_cast<std::int32_t>(first->column)};
    OSTREL_THROW_AT(function,
                    "Strict load failed (" + std::to_string(errors) +
                        (errors == 1 ? " error" : " errors") + "): " + first->message,
                    place, first->bean.empty() ? std::string() : PlaceContext(first->bean));
  }
  // Every name is registered now: the check has loaded the libraries.
  for (const auto& library : resource.GetDefinitions().GetLibraries()) {
    for (SBeanDefinition& bean : library->beans) {
      for (std::string& name : bean.providedInterfaces) {
        name = CLocalLibrary::GetInstance().GetTypeID(name.c_str());
      }
    }
  }
}

void MakeEagerBeansStrictly(CBeanFactoryImpl& factory, const std::vector<std::string>& eager,
                            const char* function) {
  std::vector<std::string> failed;
  try {
    failed = factory.CreateEagerBeans();
  } catch (...) {
    factory.EndStrictLoad(false);
    throw;
  }
  // Only this load's beans count: an older one that fails again was logged before.
  if (!failed.empty()) {
    const std::unordered_set<std::string> read(eager.begin(), eager.end());
    failed.erase(std::remove_if(failed.begin(), failed.end(),
                                [&read](const std::string& name) { return read.count(name) == 0; }),
                 failed.end());
  }
  factory.EndStrictLoad(failed.empty());
  if (failed.empty()) return;
  std::string names;
  for (const std::string& name : failed) names += (names.empty() ? "'" : ", '") + name + "'";
  OSTREL_THROW(function, "Strict load failed: load-time bean" +
                             std::string(failed.size() == 1 ? " " : "s ") + names +
                             " could not be made");
}

}  // namespace Internal
}  // namespace Ostrel
