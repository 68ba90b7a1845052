// A generated graph of classes (see CMakeLists.txt) through the container against the
// same graph built by hand, in the same run: loading the configuration, getting the
// root and destroying the container against `new` of every object and their release;
// the prototype with ten dependencies against `new` and `delete` of the same object.
// The first request of each definition (building its configuration, finding its maker
// and wrapper, resolving its references) is the difference between loading with and
// without getting the root. Figures are printed, never asserted.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <ostrel/Ostrel.h>

#include "GraphClasses.h"

namespace {

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const std::string& Document() {
  static const std::string text = std::string("<ostrel><library path=\"") + GRAPH_BENCH_BEANS +
                                  "\"><beans>\n" + graph::kBeans + "</beans></library></ostrel>\n";
  return text;
}

const std::string kRoot = "c" + std::to_string(graph::kClasses - 1);

std::map<std::string, double> g_seconds;  // fastest iteration or repetition, per key

void Keep(const std::string& key, double seconds) {
  auto it = g_seconds.emplace(key, seconds).first;
  it->second = std::min(it->second, seconds);
}

// Load, optionally the root, optionally the destruction, timed on this thread's CPU.
void Container(benchmark::State& state, bool root, bool destroy) {
  const std::string key = std::string("container") + (root ? "+root" : "") + (destroy ? "+destroy" : "");
  for (auto _ : state) {
    const double start = ThreadSeconds();
    auto container = std::make_unique<Ostrel::CContainer>(Document().c_str(), false);
    if (root && !container->GetFactory()->GetBean(kRoot.c_str())) state.SkipWithError("no root");
    if (destroy) container.reset();
    const double seconds = ThreadSeconds() - start;
    container.reset();
    state.SetIterationTime(seconds);
    Keep(key, seconds);
  }
}

void ByHand(benchmark::State& state) {
  for (auto _ : state) {
    const double start = ThreadSeconds();
    graph::BuildByHand();
    const double seconds = ThreadSeconds() - start;
    state.SetIterationTime(seconds);
    Keep("by hand", seconds);
  }
}

void Prototype(benchmark::State& state) {
  Ostrel::CContainer container(Document().c_str(), false);
  Ostrel::IBeanFactory* factory = container.GetFactory();
  if (!factory->GetBean("proto")) state.SkipWithError("no prototype");
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean("proto");
    benchmark::DoNotOptimize(bean.Get());
  }
}

void ProtoNew(benchmark::State& state) {
  Ostrel::CContainer container(Document().c_str(), false);
  graph::ProtoByHand(container, state);
}

class CReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      if (run.run_name.function_name.rfind("BM_Proto", 0) == 0) {
        Keep(run.run_name.function_name,
             run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void Line(const char* label, const std::string& measured, const std::string& baseline,
          double scale, const char* unit, double goal) {
  const double m = g_seconds.count(measured) ? g_seconds[measured] : 0;
  const double b = g_seconds.count(baseline) ? g_seconds[baseline] : 0;
  if (m <= 0 || b <= 0) return;
  std::printf("  %-44s %10.3f %s vs %10.3f %s %8.2fx", label, m * scale, unit, b * scale, unit, m / b);
  if (goal > 0) std::printf("   <= %.0fx  %s", goal, m / b <= goal ? "met" : "missed");
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::thread([] {}).join();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  auto manual = [](benchmark::internal::Benchmark* b) {
    b->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
  };
  manual(benchmark::RegisterBenchmark("BM_ByHand", ByHand));
  manual(benchmark::RegisterBenchmark("BM_Load", Container, false, false));
  manual(benchmark::RegisterBenchmark("BM_LoadRoot", Container, true, false));
  manual(benchmark::RegisterBenchmark("BM_LoadRootDestroy", Container, true, true));
  benchmark::RegisterBenchmark("BM_Proto", Prototype)->Repetitions(3)->MinTime(0.2);
  benchmark::RegisterBenchmark("BM_ProtoNew", ProtoNew)->Repetitions(3)->MinTime(0.2);
  CReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("\nRatios, fastest iteration or repetition, CPU time (%d classes)\n", graph::kClasses);
  Line("load + root + destroy vs by hand", "container+root+destroy", "by hand", 1e3, "ms", 80);
  Line("prototype with ten dependencies vs new", "BM_Proto", "BM_ProtoNew", 1e9, "ns", 15);
  const double load = g_seconds.count("container") ? g_seconds["container"] : 0;
  const double root = g_seconds.count("container+root") ? g_seconds["container+root"] : 0;
  if (load > 0 && root > 0) {
    std::printf("  %-44s %10.3f us per object\n", "first request (root - load only)",
                (root - load) * 1e6 / graph::kClasses);
  }
  return 0;
}
