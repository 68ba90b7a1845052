#include <tamarack/Singleton.h>

#include <map>
#include <mutex>

namespace {

struct SBookkeeping {
  std::mutex mutex;
  std::map<std::string, int> counters;
  std::vector<std::pair<Singleton::ELogEvent, std::string>> log;
};

SBookkeeping& Bookkeeping() {
  // Never destroyed: singletons are destroyed at process exit, possibly after this
  // library's own static objects.
  static SBookkeeping* bookkeeping = new SBookkeeping;
  return *bookkeeping;
}

std::string Name(const char* typeName) { return typeName != nullptr ? typeName : ""; }

}  // namespace

namespace Singleton {

CbCriticalSection& GetCriticalSectionSingleton() {
  static CbCriticalSection* section = new CbCriticalSection;
  return *section;
}

void IncrementSingletonCounter(const char* typeName) {
  SBookkeeping& b = Bookkeeping();
  std::lock_guard<std::mutex> lock(b.mutex);
  ++b.counters[Name(typeName)];
  b.log.emplace_back(Created, Name(typeName));
}

void DecrementSingletonCounter(const char* typeName) {
  SBookkeeping& b = Bookkeeping();
  std::lock_guard<std::mutex> lock(b.mutex);
  --b.counters[Name(typeName)];
}

void Log(ELogEvent event, const char* typeName) {
  SBookkeeping& b = Bookkeeping();
  std::lock_guard<std::mutex> lock(b.mutex);
  // Creation is recorded by IncrementSingletonCounter; keep one entry per event.
  if (event != Created) {
    b.log.emplace_back(event, Name(typeName));
  }
}

int GetSingletonCounter(const char* typeName) {
  SBookkeeping& b = Bookkeeping();
  std::lock_guard<std::mutex> lock(b.mutex);
  auto it = b.counters.find(Name(typeName));
  return it == b.counters.end() ? 0 : it->second;
}

std::vector<std::pair<ELogEvent, std::string>> GetSingletonLog() {
  SBookkeeping& b = Bookkeeping();
  std::lock_guard<std::mutex> lock(b.mutex);
  return b.log;
}

}  // namespace Singleton
