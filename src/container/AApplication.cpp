#include <ostrel/Application.h>

#include <ostrel/Logger.h>
#include <tamarack/CbTimer.h>

namespace Ostrel {
namespace {
const Logging::CLogger s_logger(L"Ostrel");
constexpr const char* kInit = "Ostrel::AApplication::Init";
}  // namespace

AApplication::AApplication() : m_container(nullptr) {}
// A copy gets a container of its own that shares the other's factory, so that each
// copy's Exit releases exactly what it holds.
AApplication::AApplication(const AApplication& other)
    : m_container(other.m_container != nullptr ? new CContainer(*other.m_container) : nullptr) {}

AApplication& AApplication::operator=(const AApplication& other) {
  if (this != &other) {
    CContainer* copy = other.m_container != nullptr ? new CContainer(*other.m_container) : nullptr;
    delete m_container;
    m_container = copy;
  }
  return *this;
}
AApplication::~AApplication() = default;

bool AApplication::Init() {
  try {
    s_logger.Info(__FILE__, __LINE__, kInit, L"Loading configuration:");
    CbTimer timer(CbTimer::Milliseconds);
    timer.Start();
    std::wstring text = GetConfigurationText(eConfigurationStepStartup);
    if (text.empty()) {
      GetFallbackConfigurationText(eConfigurationStepStartup);
    }
    timer.Stop();
    std::wstring time = timer.GetFormatted();
    s_logger.Info(__FILE__, __LINE__, kInit, L"Configuration loading successful (loading time: %s)",
                  time.c_str());
    return true;
  } catch (...) {
    return false;
  }
}

bool AApplication::Exit() {
  try {
    if (m_container == nullptr) {
      return true;
    }
    CContainer* container = m_container;
    m_container = nullptr;
    delete container;
    return true;
  } catch (...) {
    return false;
  }
}

bool AApplication::init(EConfigurationStep, EConfigurationType) { return true; }

}  // namespace Ostrel
