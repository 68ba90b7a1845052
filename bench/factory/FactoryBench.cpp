// Bean resolution against plain C++ baselines: a cached singleton against a locked
// std::unordered_map look-up, a configured prototype against `new` plus two setters,
// and a service by type id. Prints the figures, their ratios and the allocations of
// the cached singleton path; asserts nothing.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <unordered_map>

#include <benchmark/benchmark.h>
#include <ostrel/Ostrel.h>

#include "factory/CBeanFactoryImpl.h"
#include "loader/CXMLResource.h"

// Every allocation of the process is counted, so a benchmark can report its own. The
// replacements pair malloc with free, which GCC cannot see through once it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<std::uint64_t> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr const char* kShortName = "single";
constexpr const char* kLongName = "bench.singleton.with.a.long.name";  // beyond 15 characters

class CThing : public CbReferenceCounted {
public:
  int count = 0;
  std::string owner;
  CbSmartPointer<IReferenceCounted> peer;
};

class CThingWrapper : public Ostrel::IBeanWrapper {
public:
  const char* GetClassName() const override { return "bench::CThing"; }

  CbSmartPointer<IReferenceCounted> Create(const char*, std::size_t, const Ostrel::ArgumentVector*,
                                           std::shared_ptr<const Ostrel::IBeanWrapper>, const char*,
                                           const Ostrel::DependencyList&) const override {
    return CbSmartPointer<IReferenceCounted>(new CThing);
  }

  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t count,
              const Ostrel::ArgumentVector* arguments) const override {
    auto* thing = dynamic_cast<CThing*>(instance);
    if (thing == nullptr || count != 1 || arguments == nullptr) return false;
    void* value = (*arguments)[0];
    if (std::strcmp(method, "SetCount") == 0 && value != nullptr) {
      thing->count = *static_cast<int*>(value);
    } else if (std::strcmp(method, "SetOwner") == 0 && value != nullptr) {
      thing->owner = *static_cast<std::string*>(value);
    } else if (std::strcmp(method, "SetPeer") == 0) {
      thing->peer = value != nullptr ? *static_cast<CbSmartPointer<IReferenceCounted>*>(value) : nullptr;
    } else {
      return false;
    }
    return true;
  }

  void GetArgumentTypes(const char* method, std::size_t count, std::vector<std::string>& types) override {
    static const std::map<std::string, std::string> kTypes = {
        {"SetCount", "int"}, {"SetOwner", "char*"}, {"SetPeer", "bean"}};
    auto it = kTypes.find(method);
    for (std::size_t i = 0; i < count; ++i) types.push_back(it != kTypes.end() ? it->second : "");
  }
};

Ostrel::IBeanWrapper* MakeThing() { return new CThingWrapper; }

// The same bean with a wrapper that costs next to nothing: CLean implements the counter
// itself (no virtual base), so the wrapper casts statically, and it dispatches on the
// first letter. It isolates the container's own share of a prototype.
class CLean : public IReferenceCounted {
public:
  SReferenceCounter* GetReferenceCounter() const override { return &m_counter; }
  int count = 0;
  std::string owner;
  CbSmartPointer<IReferenceCounted> peer;

private:
  mutable SReferenceCounter m_counter;
};

class CLeanWrapper : public CThingWrapper {
public:
  const char* GetClassName() const override { return "bench::CLean"; }
  CbSmartPointer<IReferenceCounted> Create(const char*, std::size_t, const Ostrel::ArgumentVector*,
                                           std::shared_ptr<const Ostrel::IBeanWrapper>, const char*,
                                           const Ostrel::DependencyList&) const override {
    return CbSmartPointer<IReferenceCounted>(new CLean);
  }
  bool Invoke(IReferenceCounted* instance, const char* method, std::size_t,
              const Ostrel::ArgumentVector* arguments) const override {
    auto* lean = static_cast<CLean*>(instance);  // made by Create above
    void* value = (*arguments)[0];
    switch (method[3]) {  // Set[C]ount, Set[O]wner, Set[P]eer
      case 'C': lean->count = *static_cast<int*>(value); return true;
      case 'O': lean->owner = *static_cast<std::string*>(value); return true;
      case 'P': lean->peer = *static_cast<CbSmartPointer<IReferenceCounted>*>(value); return true;
      default: return false;
    }
  }
};

Ostrel::IBeanWrapper* MakeLean() { return new CLeanWrapper; }

std::shared_ptr<Ostrel::CBeanFactoryImpl> g_factory;

void Configure() {
  OSTREL_REGISTER_WRAPPER_MAKER("bench::CThing", &MakeThing);
  OSTREL_REGISTER_WRAPPER_MAKER("bench::CLean", &MakeLean);
  Ostrel::GetLocalLibrary().RegisterTypeID("bench::IThing", "{bench-thing}");
  const std::string xml = std::string("<ostrel><library path=\"") + FACTORY_BENCH_LIBRARY +
                          "\"><beans>"
                          "<bean name=\"single\" class=\"bench::CThing\" singleton=\"true\"/>"
                          "<bean name=\"" + kLongName + "\" class=\"bench::CThing\" singleton=\"true\"/>"
                          "<bean name=\"peer\" class=\"bench::CThing\" singleton=\"true\"/>"
                          "<bean name=\"proto\" class=\"bench::CThing\"><properties>"
                          "<property name=\"SetCount\"><value type=\"int\">7</value></property>"
                          "<property name=\"SetOwner\"><value type=\"char*\">owner</value></property>"
                          "<property name=\"SetPeer\"><ref bean=\"peer\"/></property>"
                          "</properties></bean>"
                          "<bean name=\"lean\" class=\"bench::CLean\"><properties>"
                          "<property name=\"SetCount\"><value type=\"int\">7</value></property>"
                          "<property name=\"SetOwner\"><value type=\"char*\">owner</value></property>"
                          "<property name=\"SetPeer\"><ref bean=\"peer\"/></property>"
                          "</properties></bean>"
                          "<bean name=\"service\" class=\"bench::CThing\" singleton=\"true\">"
                          "<provides><interface>bench::IThing</interface></provides></bean>"
                          "</beans></library></ostrel>";
  g_factory = std::make_shared<Ostrel::CBeanFactoryImpl>();
  Ostrel::CXMLResource loaded(xml.c_str());
  g_factory->Integrate(loaded.GetDefinitions());
  g_factory->CreateEagerBeans();
  for (const char* name : {kShortName, kLongName, "peer", "proto", "lean"}) {
    if (!g_factory->GetBean(name, nullptr)) std::fprintf(stderr, "bean '%s' cannot be made\n", name);
  }
  if (!g_factory->GetServiceInstance("{bench-thing}")) std::fprintf(stderr, "no service\n");
}

void ReportAllocations(benchmark::State& state, std::uint64_t before) {
  const std::uint64_t allocations = g_allocations.load() - before;
  state.counters["allocs/iter"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_Singleton(benchmark::State& state, const char* name) {
  const std::uint64_t before = g_allocations.load();
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = g_factory->GetBean(name, nullptr);
    benchmark::DoNotOptimize(bean.Get());
  }
  ReportAllocations(state, before);
}
BENCHMARK_CAPTURE(BM_Singleton, short, kShortName);
BENCHMARK_CAPTURE(BM_Singleton, long, kLongName);

// Baseline: the look-up a hand-written registry would do, under a recursive lock.
void BM_MapLookup(benchmark::State& state, const char* name) {
  static std::recursive_mutex mutex;
  static std::unordered_map<std::string, std::shared_ptr<CThing>> map = [] {
    std::unordered_map<std::string, std::shared_ptr<CThing>> filled;
    for (const char* key : {kShortName, kLongName, "peer", "proto", "service"}) {
      filled[key] = std::make_shared<CThing>();
    }
    return filled;
  }();
  const std::string key = name;
  const std::uint64_t before = g_allocations.load();
  for (auto _ : state) {
    std::shared_ptr<CThing> found;
    {
      std::lock_guard<std::recursive_mutex> lock(mutex);
      auto it = map.find(key);
      if (it != map.end()) found = it->second;
    }
    benchmark::DoNotOptimize(found.get());
  }
  ReportAllocations(state, before);
}
BENCHMARK_CAPTURE(BM_MapLookup, short, kShortName);
BENCHMARK_CAPTURE(BM_MapLookup, long, kLongName);

void BM_Prototype(benchmark::State& state, const char* name) {
  const std::uint64_t before = g_allocations.load();
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = g_factory->GetBean(name, nullptr);
    benchmark::DoNotOptimize(bean.Get());
    bean.Reset();
  }
  ReportAllocations(state, before);
}
BENCHMARK_CAPTURE(BM_Prototype, dynamic_cast_wrapper, "proto");
BENCHMARK_CAPTURE(BM_Prototype, lean_wrapper, "lean");

// Baseline: the object made by hand.
struct SPlainThing {
  int count = 0;
  std::string owner;
  void SetCount(int value) { count = value; }
  void SetOwner(const std::string& value) { owner = value; }
};

void BM_PlainNew(benchmark::State& state) {
  const std::string owner = "owner";
  for (auto _ : state) {
    auto* thing = new SPlainThing;
    benchmark::DoNotOptimize(thing);
    thing->SetCount(7);
    thing->SetOwner(owner);
    benchmark::ClobberMemory();
    delete thing;
  }
}
BENCHMARK(BM_PlainNew);

void BM_Service(benchmark::State& state) {
  const std::uint64_t before = g_allocations.load();
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> service = g_factory->GetServiceInstance("{bench-thing}");
    benchmark::DoNotOptimize(service.Get());
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_Service);

// Prints the usual table and keeps each benchmark's time per iteration for the ratios.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // With repetitions, the fastest run: the one least disturbed by other load.
      const std::string name =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      auto real = m_times.emplace(name, run.GetAdjustedRealTime()).first;
      real->second = std::min(real->second, run.GetAdjustedRealTime());
      auto cpu = m_cpuTimes.emplace(name, run.GetAdjustedCPUTime()).first;
      cpu->second = std::min(cpu->second, run.GetAdjustedCPUTime());
      auto allocs = run.counters.find("allocs/iter");
      if (allocs != run.counters.end()) m_allocations[name] = allocs->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\nRatios, fastest repetition (goals on CPU time: cached singleton <= 1.0x look-up, "
                "prototype <= 15x new)\n");
    Ratio("cached singleton, short name", "BM_Singleton/short", "BM_MapLookup/short", 1.0);
    Ratio("cached singleton, long name ", "BM_Singleton/long", "BM_MapLookup/long", 1.0);
    Ratio("prototype, 2 values + 1 ref ", "BM_Prototype/dynamic_cast_wrapper", "BM_PlainNew", 15.0);
    Ratio("  same, lean wrapper        ", "BM_Prototype/lean_wrapper", "BM_PlainNew", 15.0);
    Ratio("service by type id          ", "BM_Service", "BM_MapLookup/short", 0.0);
    for (const char* name : {"BM_Singleton/short", "BM_Singleton/long", "BM_Prototype/dynamic_cast_wrapper",
                             "BM_Prototype/lean_wrapper", "BM_Service"}) {
      auto it = m_allocations.find(name);
      if (it != m_allocations.end()) std::printf("allocations per call, %-34s %.2f\n", name, it->second);
    }
  }

private:
  void Ratio(const char* label, const std::string& measured, const std::string& baseline, double goal) const {
    auto m = m_times.find(measured);
    auto b = m_times.find(baseline);
    auto mc = m_cpuTimes.find(measured);
    auto bc = m_cpuTimes.find(baseline);
    if (m == m_times.end() || b == m_times.end() || b->second <= 0 || bc->second <= 0) return;
    const double ratio = m->second / b->second;
    const double cpuRatio = mc->second / bc->second;
    std::printf("%s real %8.1f vs %7.1f ns = %6.2fx | cpu %8.1f vs %7.1f ns = %6.2fx", label,
                m->second, b->second, ratio, mc->second, bc->second, cpuRatio);
    // Judged on CPU time: on a shared machine wall time also counts other processes.
    if (goal > 0) std::printf("  (goal %.1fx: %s)", goal, cpuRatio <= goal ? "met" : "missed");
    std::printf("\n");
  }

  std::map<std::string, double> m_times;
  std::map<std::string, double> m_cpuTimes;
  std::map<std::string, double> m_allocations;
};

}  // namespace

int main(int argc, char** argv) {
  // A second thread has existed: shared-pointer counts use real atomic operations.
  std::thread([] {}).join();
  Configure();
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  g_factory.reset();
  return 0;
}
