// Memory of loads, each figure against a baseline taken in the same run:
//   - 50,000 one-bean integrated loads: how much the process's resident set grows
//     against how much heap the loads keep, and the time of a load after them against
//     the time of a load before them;
//   - a lazily loaded document of 100,000 beans: heap bytes per definition, beside the
//     document's bytes per definition;
//   - a 20 MB text value: the peak resident set while it loads and while its bean is
//     made, against the value's size;
//   - the allocations (operator new) of one one-bean integrated load, and their bytes.
// Figures are printed, never asserted; the table at the end relates each to its goal.
// Peaks come from the kernel's high-water mark, reset before each measurement.
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <ostrel/Ostrel.h>

// Every allocation through operator new, in this program and the libraries it loads.
// The replacements take their memory from malloc, so free gives it back.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
std::atomic<long> g_allocations{0};
std::atomic<long> g_allocatedBytes{0};

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  g_allocatedBytes.fetch_add(static_cast<long>(size), std::memory_order_relaxed);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr const char* kBeansLibrary = CONTAINER_BENCH_BEANS;
constexpr int kIntegratedLoads = 50000;
constexpr int kTimedLoads = 50;  // loads per timed batch, before and after
constexpr int kLazyBeans = 100000;
constexpr std::size_t kValueBytes = std::size_t{20} << 20;

std::map<std::string, double> g_figures;

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Heap bytes in use (small blocks and mapped ones).
double HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

// A "Vm...:" line of /proc/self/status, in bytes.
double StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) return std::stod(line.substr(prefix.size())) * 1024;
  }
  return -1;
}
double ResidentBytes() { return StatusBytes("VmRSS"); }
double PeakBytes() { return StatusBytes("VmHWM"); }
// Sets the high-water mark to the current resident set.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string Header() {
  return std::string("<ostrel><library path=\"") + kBeansLibrary + "\"><beans>\n";
}
const char* const kFooter = "</beans></library></ostrel>\n";

// One non-lazy singleton with a constructor argument and two literal properties.
std::string OneBean(int serial) {
  const std::string name = "load" + std::to_string(serial);
  return Header() + "<bean name=\"" + name +
         "\" class=\"bench::CNode\" singleton=\"true\" lazy=\"false\" init-method=\"Init\">"
         "<constructor-arg><argument><value type=\"int\">7</value></argument></constructor-arg>"
         "<properties><property name=\"SetLimit\"><value type=\"double\">1.5</value></property>"
         "<property name=\"SetLabel\"><value type=\"char*\">" +
         name + "</value></property></properties></bean>\n" + kFooter;
}

// Thread CPU seconds of one integrated load from `serial` on: the fastest mean of ten
// batches, the least disturbed figure on a busy machine.
double TimeLoads(int& serial) {
  double fastest = 1e9;
  for (int batch = 0; batch < 10; ++batch) {
    const double start = ThreadSeconds();
    for (int i = 0; i < kTimedLoads; ++i) Ostrel::CContainer(OneBean(serial++).c_str(), true);
    fastest = std::min(fastest, (ThreadSeconds() - start) / kTimedLoads);
  }
  return fastest;
}

void IntegratedLoads(benchmark::State& state) {
  for (auto _ : state) {
    Ostrel::CContainer holder;  // keeps the default factory and what the loads put there
    int serial = 0;
    Ostrel::CContainer(OneBean(serial++).c_str(), true);  // the library is loaded once
    const double before = TimeLoads(serial);
    const double heap = HeapBytes();
    const double resident = ResidentBytes();
    while (serial < kIntegratedLoads) Ostrel::CContainer(OneBean(serial++).c_str(), true);
    g_figures["integrated-heap"] = HeapBytes() - heap;
    g_figures["integrated-rss"] = ResidentBytes() - resident;
    g_figures["load-first"] = before;
    g_figures["load-after"] = TimeLoads(serial);
    const std::string text = OneBean(serial++);
    const long allocations = g_allocations.load();
    const long bytes = g_allocatedBytes.load();
    Ostrel::CContainer(text.c_str(), true);
    g_figures["load-allocations"] = static_cast<double>(g_allocations.load() - allocations);
    g_figures["load-allocated"] = static_cast<double>(g_allocatedBytes.load() - bytes);
    holder.Reset();
  }
}

std::string LazyDocument() {
  std::string text = Header();
  for (int i = 0; i < kLazyBeans; ++i) {
    const std::string name = "b" + std::to_string(i);
    text += "<bean name=\"" + name + "\" class=\"bench::CNode\" singleton=\"" +
            (i % 3 == 0 ? "true" : "false") +
            "\"><constructor-arg><argument><value type=\"int\">" + std::to_string(i) +
            "</value></argument></constructor-arg><properties>"
            "<property name=\"SetLimit\"><value type=\"double\">2.5</value></property>"
            "<property name=\"SetLabel\"><value type=\"char*\">" + name + "</value></property>"
            "<property name=\"SetOwner\"><ref bean=\"b0\"/></property></properties></bean>\n";
  }
  return text + kFooter;
}

void LazyDefinitions(benchmark::State& state) {
  const std::string text = LazyDocument();
  for (auto _ : state) {
    const double heap = HeapBytes();
    Ostrel::CContainer container(text.c_str(), false);
    g_figures["definition-heap"] = (HeapBytes() - heap) / kLazyBeans;
    g_figures["definition-text"] = static_cast<double>(text.size()) / kLazyBeans;
  }
}

void LargeValue(benchmark::State& state) {
  const std::string text = Header() +
                           "<bean name=\"big\" class=\"bench::CNode\"><properties>"
                           "<property name=\"SetLabel\"><value type=\"char*\">" +
                           std::string(kValueBytes, 'x') +
                           "</value></property></properties></bean>\n" + kFooter;
  for (auto _ : state) {
    malloc_trim(0);
    ResetPeak();
    double base = ResidentBytes();
    Ostrel::CContainer container(text.c_str(), false);
    g_figures["value-load"] = PeakBytes() - base;
    malloc_trim(0);
    ResetPeak();
    base = ResidentBytes();
    benchmark::DoNotOptimize(container.GetFactory()->GetBean("big").Get());
    g_figures["value-bean"] = PeakBytes() - base;
  }
}

void Line(const char* label, double measured, double baseline, const char* unit, double scale,
          double goal) {
  if (measured < 0 || baseline <= 0) {
    std::printf("  %-44s not measured\n", label);
    return;
  }
  const double ratio = measured / baseline;
  std::printf("  %-44s %10.2f %-2s vs %10.2f %-2s %7.2fx", label, measured * scale, unit,
              baseline * scale, unit, ratio);
  if (goal > 0) std::printf("   <= %.1fx  %s", goal, ratio <= goal ? "met" : "missed");
  std::printf("\n");
}

double Figure(const char* key) {
  auto it = g_figures.find(key);
  return it == g_figures.end() ? -1 : it->second;
}

void PrintTable() {
  std::printf("\nRatios, one run (repeat the program for more)\n");
  Line("50,000 integrated loads: RSS growth vs heap", Figure("integrated-rss"),
       Figure("integrated-heap"), "MB", 1.0 / (1 << 20), 2.0);
  Line("load after 50,000 vs before (CPU)", Figure("load-after"), Figure("load-first"), "us",
       1e6, 1.2);
  Line("lazy 100,000: heap per definition vs text", Figure("definition-heap"),
       Figure("definition-text"), "B", 1.0, 0);
  Line("20 MB value: peak while loading vs size", Figure("value-load"),
       static_cast<double>(kValueBytes), "MB", 1.0 / (1 << 20), 3.0);
  Line("20 MB value: peak while made vs size", Figure("value-bean"),
       static_cast<double>(kValueBytes), "MB", 1.0 / (1 << 20), 3.0);
  std::printf("  one-bean integrated load: %.0f allocations (operator new), %.0f bytes\n",
              Figure("load-allocations"), Figure("load-allocated"));
}

}  // namespace

int main(int argc, char** argv) {
  // A second thread has existed: shared counts use real atomic operations.
  std::thread([] {}).join();
  // The resident set's growth first, while no earlier stage has left free memory behind
  // for the loads to reuse; the peaks are taken after giving free memory back.
  benchmark::RegisterBenchmark("BM_IntegratedLoads", IntegratedLoads)->Iterations(1);
  benchmark::RegisterBenchmark("BM_LargeValue", LargeValue)->Iterations(1);
  benchmark::RegisterBenchmark("BM_LazyDefinitions", LazyDefinitions)->Iterations(1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintTable();
  return 0;
}
