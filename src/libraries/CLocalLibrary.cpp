#include "libraries/CLocalLibrary.h"

#include <atomic>
#include <cstdlib>
#include <typeinfo>

#include <tamarack/CbCriticalSectionAuto.h>

#include "support/Throw.h"

namespace Ostrel {
namespace {

std::atomic<CLocalLibrary*> s_instance{nullptr};
std::once_flag s_destroyerRegistered;

const char* TypeName() { return typeid(CLocalLibrary).name(); }

std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

CLocalLibrary& CLocalLibrary::GetInstance() {
  CLocalLibrary* instance = s_instance.load(std::memory_order_acquire);
  if (instance != nullptr) {
    return *instance;
  }
  CbCriticalSectionAuto lock(Singleton::GetCriticalSectionSingleton());
  std::call_once(s_destroyerRegistered, [] { std::atexit(&CLocalLibrary::Destroy); });
  instance = s_instance.load(std::memory_order_relaxed);
  if (instance == nullptr) {
    instance = new CLocalLibrary;
    s_instance.store(instance, std::memory_order_release);
    Singleton::IncrementSingletonCounter(TypeName());
  }
  return *instance;
}

void CLocalLibrary::Destroy() {
  CLocalLibrary* instance = s_instance.load(std::memory_order_acquire);
  if (instance == nullptr) {
    return;
  }
  Singleton::Log(Singleton::Destroyed, TypeName());
  delete instance;
  s_instance.store(nullptr, std::memory_order_release);
  Singleton::DecrementSingletonCounter(TypeName());
}

void* CLocalLibrary::GetFunction(const char* name) const {
  if (name == nullptr) {
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  auto* entry = m_makers.Lookup(name);
  return entry != nullptr ? entry->value : nullptr;
}

void CLocalLibrary::RegisterWrapperMaker(const char* makerName, void* maker) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_makers.GetOrInsert(Text(makerName))->value = maker;
}

bool CLocalLibrary::UnregisterWrapperMaker(const char* makerName) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_makers.Remove(Text(makerName));
}

void CLocalLibrary::RegisterTypeID(const char* className, const char* typeId) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_typeIds.GetOrInsert(Text(className))->value = Text(typeId);
}

std::string CLocalLibrary::GetTypeID(const char* className) const {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (auto* entry = m_typeIds.Lookup(Text(className))) {
      return entry->value;
    }
  }
  OSTREL_THROW("Ostrel::CLocalLibrary::GetTypeID",
               "No type id for class '" + Text(className) + "' registered");
}

bool CLocalLibrary::HasTypeID(const char* className) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_typeIds.Lookup(Text(className)) != nullptr;
}

ILibraryConfiguration& GetLocalLibrary() { return CLocalLibrary::GetInstance(); }

}  // namespace Ostrel
