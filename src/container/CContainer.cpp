#include <ostrel/Container.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <ostrel/Logger.h>
#include <tamarack/CbTimer.h>

#include "factory/CBeanFactoryImpl.h"
#include "factory/DefaultFactory.h"
#include "StrictLoad.h"
#include "beans/CDefinitionSet.h"
#include "loader/CXMLResource.h"
#include "platform/TextConversion.h"
#include "support/CbTypeName.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kConstructor = "Ostrel::CContainer::CContainer";
constexpr const char* kReset = "Ostrel::CContainer::Reset";

// Serialises merging a loaded configuration into a factory and the start-up pass, for
// all factories. Recursive, so that code run by a start-up pass (an init method, say)
// may load the configuration of another factory on the same thread; a factory refuses
// loads and resets of its own from such code.
std::recursive_mutex s_loadingMutex;
using LoadingLock = std::lock_guard<std::recursive_mutex>;

const wchar_t* ModeWord(bool integrate) { return integrate ? L"integration" : L"stand-alone"; }

CBeanFactoryImpl& Impl(const std::shared_ptr<IBeanFactory>& factory, const char* function) {
  auto* impl = dynamic_cast<CBeanFactoryImpl*>(factory.get());
  if (impl == nullptr) {
    OSTREL_THROW(function, "The container holds no factory (moved from)");
  }
  return *impl;
}

// Merges a parsed configuration into the factory (a reset: puts it in the place of the
// factory's whole configuration, in one step), then creates its non-lazy beans. The
// merge checks every name before it changes anything; no library is loaded and no
// client code runs before that check has passed. What failed to parse never gets here,
// so a failed reset leaves the configuration as it was. A bean that cannot be made is
// logged by resolution; a strict load then fails and puts the factory back as it was.
// Called under the loading mutex.
void Install(CBeanFactoryImpl& factory, CXMLResource& resource, const SLoadOptions& options,
             bool replace, const char* function) {
  CDefinitionSet& loaded = resource.GetDefinitions();
  const auto load = options.strict ? CBeanFactoryImpl::ELoad::eStrict
                                   : CBeanFactoryImpl::ELoad::eDefault;
  std::vector<std::string> eager;
  if (options.strict) eager = loaded.GetEagerNames();
  if (replace) {
    factory.Replace(loaded, load);
  } else {
    factory.Integrate(loaded, load);
  }
  if (options.strict) {
    Internal::MakeEagerBeansStrictly(factory, eager, function);
  } else {
    factory.CreateEagerBeans();
  }
}

const char* CheckedText(const char* xml, const char* function) {
  if (xml == nullptr) {
    OSTREL_THROW(function, "No XML text given (null pointer)");
  }
  return xml;
}

const wchar_t* CheckedFile(const wchar_t* file, const char* function) {
  if (file == nullptr) {
    OSTREL_THROW(function, "No configuration file given (null pointer)");
  }
  return file;
}

// Parses outside any lock, then checks (strict) and merges under the loading mutex.
template <class Source>
void Load(CBeanFactoryImpl& factory, Source source, const SLoadOptions& options) {
  std::unique_ptr<CXMLResource> resource = Internal::ReadConfiguration(source, options);
  LoadingLock lock(s_loadingMutex);
  if (options.strict) Internal::CheckStrictly(factory, *resource, false, kConstructor);
  Install(factory, *resource, options, false, kConstructor);
}

// Whether `factory` is the default factory; never creates one.
bool IsDefault(const std::shared_ptr<IBeanFactory>& factory) {
  return factory != nullptr && Internal::GetDefaultFactory() == factory;
}

void LogSuccess(const CbTimer& timer, const char* function) {
  std::wstring time = timer.GetFormatted();
  s_logger.Info(__FILE__, __LINE__, function, L"Configuration loading successful (loading time: %s)",
                time.c_str());
}

// A new container's factory with `source` loaded into it, logging the time it took.
template <class Source>
std::shared_ptr<IBeanFactory> LoadedFactory(bool integrate, Source source,
                                            const SLoadOptions& options) {
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  std::shared_ptr<IBeanFactory> factory = Internal::CreateFactory(integrate);
  Load(Impl(factory, kConstructor), source, Internal::EffectiveOptions(options));
  timer.Stop();
  LogSuccess(timer, kConstructor);
  return factory;
}

}  // namespace

CContainer CContainer::FromFile(const std::filesystem::path& file, bool integrate,
                                const SLoadOptions& options) {
  const std::wstring wide = Platform::Utf8ToWide(file.u8string());
  return CContainer(wide.c_str(), integrate, options);
}

void CContainer::ResetFromFile(const std::filesystem::path& file, const SLoadOptions& options) {
  Reset(Platform::Utf8ToWide(file.u8string()).c_str(), options);
}

void CContainer::WarnWrongType(const char* function, const char* kind, const char* name,
                               const char* type) {
  s_logger.Warn(__FILE__, __LINE__, function, L"%s '%s' is no '%s'",
                Platform::Utf8ToWide(kind).c_str(),
                Platform::Utf8ToWide(name != nullptr ? name : "").c_str(),
                Platform::Utf8ToWide(CbDemangledName(type)).c_str());
}

CContainer::CContainer() : m_factory(Internal::CreateFactory(true)) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Attaching configuration to default factory");
  if (!m_factory) {
    OSTREL_THROW(kConstructor, "Ostrel is not configured");
  }
}

CContainer::CContainer(std::nullptr_t) : m_factory(std::make_shared<CBeanFactoryImpl>()) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Creating empty configuration");
  if (!m_factory) {
    OSTREL_THROW(kConstructor, "Could not create bean factory");
  }
}

CContainer::CContainer(const char* xml, bool integrate, const SLoadOptions& options) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Loading configuration from xml (%s)...",
                ModeWord(integrate));
  m_factory = LoadedFactory(integrate, CheckedText(xml, kConstructor), options);
}

CContainer::CContainer(const wchar_t* file, bool integrate, const SLoadOptions& options) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Loading configuration from file '%s' (%s)...",
                file != nullptr ? file : L"", ModeWord(integrate));
  m_factory = LoadedFactory(integrate, CheckedFile(file, kConstructor), options);
}

CContainer::CContainer(const CContainer& other) = default;
CContainer::CContainer(CContainer&& other) noexcept = default;
CContainer& CContainer::operator=(const CContainer& other) = default;
CContainer& CContainer::operator=(CContainer&& other) noexcept = default;
CContainer::~CContainer() = default;

bool CContainer::Exists(const char* name) const {
  return Factory("Ostrel::CContainer::Exists").Exists(name);
}

void CContainer::ReleaseInstance(CbSmartPointer<IReferenceCounted> instance) {
  Factory("Ostrel::CContainer::ReleaseInstance").ReleaseInstance(instance);
  instance.Reset();
}

void CContainer::Reset() {
  CBeanFactoryImpl& impl = Impl(m_factory, kReset);
  s_logger.Info(__FILE__, __LINE__, kReset, L"Resetting %s configuration",
                IsDefault(m_factory) ? L"integrated" : L"stand-alone");
  impl.Reset();
}

// The loading forms read the new configuration aside (a strict one is checked against
// nothing, as it replaces everything) and swap it in under the loading mutex, so that no
// other load or reset of any container comes in between; threads asking the factory
// meanwhile are served by the old configuration until the swap.
namespace {
template <class Source>
void ResetFrom(CBeanFactoryImpl& impl, Source source, const SLoadOptions& given) {
  const SLoadOptions options = Internal::EffectiveOptions(given);
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  std::unique_ptr<CXMLResource> resource = Internal::ReadConfiguration(source, options);
  LoadingLock lock(s_loadingMutex);
  if (options.strict) Internal::CheckStrictly(impl, *resource, true, kReset);
  Install(impl, *resource, options, true, kReset);
  timer.Stop();
  LogSuccess(timer, kReset);
}
}  // namespace

void CContainer::Reset(const char* xml, const SLoadOptions& options) {
  CBeanFactoryImpl& impl = Impl(m_factory, kReset);
  CheckedText(xml, kReset);
  s_logger.Info(__FILE__, __LINE__, kReset, L"Resetting configuration from xml (%s)...",
                ModeWord(IsDefault(m_factory)));
  ResetFrom(impl, xml, options);
}

void CContainer::Reset(const wchar_t* file, const SLoadOptions& options) {
  CBeanFactoryImpl& impl = Impl(m_factory, kReset);
  CheckedFile(file, kReset);
  s_logger.Info(__FILE__, __LINE__, kReset, L"Resetting configuration from file '%s' (%s)...",
                file, ModeWord(IsDefault(m_factory)));
  ResetFrom(impl, file, options);
}

}  // namespace Ostrel
