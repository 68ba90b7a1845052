#include <ostrel/Container.h>

#include <mutex>
#include <string>

#include <ostrel/Logger.h>
#include <tamarack/CbTimer.h>

#include "CBeanFactoryImpl.h"
#include "CXMLResource.h"
#include "DefaultFactory.h"
#include "platform/TextConversion.h"
#include "support/Throw.h"

namespace Ostrel {
namespace {

const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kConstructor = "Ostrel::CContainer::CContainer";
constexpr const char* kReset = "Ostrel::CContainer::Reset";

// The default factory, held weakly, with a lock of its own so that integrated
// containers may come and go on several threads.
std::mutex s_defaultMutex;
std::weak_ptr<IBeanFactory> s_defaultFactory;

// Serialises merging a loaded configuration into a factory and the start-up pass.
std::mutex s_loadingMutex;

const wchar_t* ModeWord(bool integrate) { return integrate ? L"integration" : L"stand-alone"; }

CBeanFactoryImpl& Impl(const std::shared_ptr<IBeanFactory>& factory, const char* function) {
  auto* impl = dynamic_cast<CBeanFactoryImpl*>(factory.get());
  if (impl == nullptr) {
    OSTREL_THROW(function, "The container holds no factory (moved from)");
  }
  return *impl;
}

// Parses outside any lock. Before anything is merged, every non-lazy bean of the new
// configuration gets its configuration built in the loaded resource: a library that
// cannot be loaded or a class without wrapper maker fails the load here and leaves the
// factory untouched. Then, under the loading mutex, merges and runs the factory's
// start-up pass over every non-lazy bean it holds.
void Load(CBeanFactoryImpl& factory, CXMLResource& resource) {
  for (const std::string& name : resource.GetEagerNames()) {
    resource.FindBeanConfig(name.c_str());
  }
  std::lock_guard<std::mutex> lock(s_loadingMutex);
  std::lock_guard<CbCriticalSection> factoryLock(factory.GetLock());
  factory.Integrate(resource);
  factory.CreateEagerBeans();
}

void LoadText(CBeanFactoryImpl& factory, const char* xml, const char* function) {
  if (xml == nullptr) {
    OSTREL_THROW(function, "No XML text given (null pointer)");
  }
  CXMLResource resource(factory, xml);
  Load(factory, resource);
}

void LoadFile(CBeanFactoryImpl& factory, const wchar_t* file, const char* function) {
  if (file == nullptr) {
    OSTREL_THROW(function, "No configuration file given (null pointer)");
  }
  CXMLResource resource(factory, file);
  Load(factory, resource);
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

}  // namespace

namespace Internal {

std::shared_ptr<IBeanFactory> CreateFactory(bool integrate) {
  std::shared_ptr<IBeanFactory> factory;
  if (integrate) {
    std::lock_guard<std::mutex> lock(s_defaultMutex);
    factory = s_defaultFactory.lock();
    if (!factory) {
      factory = std::make_shared<CBeanFactoryImpl>();
      s_defaultFactory = factory;
    }
  } else {
    factory = std::make_shared<CBeanFactoryImpl>();
  }
  if (!factory) {
    OSTREL_THROW("Ostrel::Internal::CreateFactory", "Could not create bean factory");
  }
  return factory;
}

std::shared_ptr<IBeanFactory> GetDefaultFactory() {
  std::lock_guard<std::mutex> lock(s_defaultMutex);
  return s_defaultFactory.lock();
}

}  // namespace Internal

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

CContainer::CContainer(const char* xml, bool integrate) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Loading configuration from xml (%s)...",
                ModeWord(integrate));
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  m_factory = Internal::CreateFactory(integrate);
  LoadText(Impl(m_factory, kConstructor), xml, kConstructor);
  timer.Stop();
  LogSuccess(timer, kConstructor);
}

CContainer::CContainer(const wchar_t* file, bool integrate) {
  s_logger.Info(__FILE__, __LINE__, kConstructor, L"Loading configuration from file '%s' (%s)...",
                file != nullptr ? file : L"", ModeWord(integrate));
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  m_factory = Internal::CreateFactory(integrate);
  LoadFile(Impl(m_factory, kConstructor), file, kConstructor);
  timer.Stop();
  LogSuccess(timer, kConstructor);
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

void CContainer::Reset(const char* xml) {
  CBeanFactoryImpl& impl = Impl(m_factory, kReset);
  impl.Reset();
  s_logger.Info(__FILE__, __LINE__, kReset, L"Resetting configuration from xml (%s)...",
                ModeWord(IsDefault(m_factory)));
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  LoadText(impl, xml, kReset);
  timer.Stop();
  LogSuccess(timer, kReset);
}

void CContainer::Reset(const wchar_t* file) {
  CBeanFactoryImpl& impl = Impl(m_factory, kReset);
  s_logger.Info(__FILE__, __LINE__, kReset, L"Resetting configuration from file '%s' (%s)...",
                file != nullptr ? file : L"", ModeWord(IsDefault(m_factory)));
  CbTimer timer(CbTimer::Milliseconds);
  timer.Start();
  impl.Reset();
  LoadFile(impl, file, kReset);
  timer.Stop();
  LogSuccess(timer, kReset);
}

}  // namespace Ostrel
