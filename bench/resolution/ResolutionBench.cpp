// Bean resolution through the public API against plain C++ measured in the same run:
//   - prototypes (two literal properties and a reference; with a constructor argument
//     and an init method too) in documents of 1,000, 10,000 and 100,000 beans, against
//     `new`, two virtual setters and `delete`;
//   - a typed GetBean<T> of a cached singleton against the untyped GetBean, and the
//     untyped one against a locked std::unordered_map find;
//   - two threads against one: creating prototypes of two different beans, cycling
//     through every cached singleton of the 10,000-bean document, and asking for one
//     singleton (against two threads copying one std::shared_ptr). Each thread's CPU time
//     is printed beside the figure: a run that did not get two cores shows as such.
// Figures are printed, never asserted.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>
#include <ostrel/Ostrel.h>

#include "BenchBeans.h"
#include "PlainNode.h"

namespace {

constexpr const char* kBeansLibrary = CONTAINER_BENCH_BEANS;
constexpr int kSizes[] = {1000, 10000, 100000};

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---------------------------------------------------------------------------------------
// Documents: `beans` nodes "b0", "b1", ... with an int constructor argument, a double and
// a text property, a reference to an earlier ninth node (all but b0) and an init method,
// every third a singleton; then the measured beans.

std::string Node(int i) {
  const std::string id = std::to_string(i);
  std::string text = "<bean name=\"b" + id + "\" class=\"bench::CNode\"";
  if (i % 3 == 0) text += " singleton=\"true\"";
  text += " init-method=\"Init\"><constructor-arg><argument><value type=\"int\">" + id +
          "</value></argument></constructor-arg><properties>"
          "<property name=\"SetLimit\"><value type=\"double\">2.5</value></property>"
          "<property name=\"SetLabel\"><value type=\"char*\">node " + id + "</value></property>";
  if (i > 0) {
    const int owner = i % 9 == 0 ? 0 : (i - 1) / 9 * 9;
    text += "<property name=\"SetOwner\"><ref bean=\"b" + std::to_string(owner) + "\"/></property>";
  }
  return text + "</properties></bean>\n";
}

// "plain" and "plain2": two literal properties and a reference; "full": also a
// constructor argument and an init method.
std::string Measured() {
  const std::string properties =
      "<properties>"
      "<property name=\"SetLimit\"><value type=\"double\">2.5</value></property>"
      "<property name=\"SetLabel\"><value type=\"char*\">node 7</value></property>"
      "<property name=\"SetOwner\"><ref bean=\"owner\"/></property>"
      "</properties>";
  return "<bean name=\"owner\" class=\"bench::CNode\" singleton=\"true\"/>\n"
         "<bean name=\"plain\" class=\"bench::CNode\">" + properties + "</bean>\n"
         "<bean name=\"plain2\" class=\"bench::CNode\">" + properties + "</bean>\n"
         "<bean name=\"full\" class=\"bench::CNode\" init-method=\"Init\">"
         "<constructor-arg><argument><value type=\"int\">7</value></argument></constructor-arg>" +
         properties + "</bean>\n";
}

const std::string& Document(int beans) {
  static std::map<int, std::string> documents;
  std::string& text = documents[beans];
  if (text.empty()) {
    text = std::string("<ostrel><library path=\"") + kBeansLibrary + "\"><beans>\n";
    for (int i = 0; i < beans; ++i) text += Node(i);
    text += Measured() + "</beans></library></ostrel>\n";
  }
  return text;
}

// One container per document size, made once.
Ostrel::CContainer& Container(int beans) {
  static std::map<int, std::unique_ptr<Ostrel::CContainer>> containers;
  auto& container = containers[beans];
  if (!container) container = std::make_unique<Ostrel::CContainer>(Document(beans).c_str(), false);
  return *container;
}

// ---------------------------------------------------------------------------------------
// One thread

using bench::CPlainNode;
using bench::IPlainNode;

void PlainNew(benchmark::State& state) {
  const std::string label = "node 7";
  for (auto _ : state) {
    IPlainNode* node = new CPlainNode;
    benchmark::DoNotOptimize(node);
    node->SetLimit(2.5);
    node->SetLabel(label);
    benchmark::ClobberMemory();
    delete node;
  }
}

void Prototype(benchmark::State& state, int beans, const char* name) {
  Ostrel::IBeanFactory* factory = Container(beans).GetFactory();
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean(name);
    benchmark::DoNotOptimize(bean.Get());
  }
}

void Untyped(benchmark::State& state) {
  Ostrel::IBeanFactory* factory = Container(1000).GetFactory();
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean("b501");
    benchmark::DoNotOptimize(bean.Get());
  }
}

void Typed(benchmark::State& state) {
  const Ostrel::CContainer& container = Container(1000);
  for (auto _ : state) {
    CbSmartPointer<bench::INode> bean = container.GetBean<bench::INode>("b501");
    benchmark::DoNotOptimize(bean.Get());
  }
}

void MapLookup(benchmark::State& state) {
  std::recursive_mutex mutex;
  std::unordered_map<std::string, std::shared_ptr<IPlainNode>> map;
  for (int i = 0; i < 1000; ++i) map["b" + std::to_string(i)] = std::make_shared<CPlainNode>();
  const std::string key = "b501";
  for (auto _ : state) {
    std::shared_ptr<IPlainNode> found;
    {
      std::lock_guard<std::recursive_mutex> lock(mutex);
      auto it = map.find(key);
      if (it != map.end()) found = it->second;
    }
    benchmark::DoNotOptimize(found.get());
  }
}

// ---------------------------------------------------------------------------------------
// Two threads

// Fastest wall time of one and of two threads, and the CPU time of each thread in the
// fastest two-thread run.
struct SThreads {
  double one = 0;
  double two = 0;
  double cpu[2] = {0, 0};
};
std::map<std::string, SThreads> g_threads;

// Runs `work(t)` on `threads` threads from a common start; the wall time to the end of
// the last, and each thread's CPU time.
template <class F>
double RunThreads(int threads, const F& work, double* cpu) {
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      ready.fetch_add(1);
      while (!go.load(std::memory_order_acquire)) std::this_thread::yield();
      const double start = ThreadSeconds();
      work(t);
      cpu[t] = ThreadSeconds() - start;
    });
  }
  while (ready.load() < threads) std::this_thread::yield();
  const double start = WallSeconds();
  go.store(true, std::memory_order_release);
  for (std::thread& thread : pool) thread.join();
  return WallSeconds() - start;
}

// Each iteration runs the per-thread work on one thread, then on two at once.
template <class F>
void MeasureThreads(benchmark::State& state, const std::string& key, const F& work) {
  SThreads& best = g_threads[key];
  for (auto _ : state) {
    double cpu[2] = {0, 0};
    const double one = RunThreads(1, work, cpu);
    const double two = RunThreads(2, work, cpu);
    if (best.one == 0 || one < best.one) best.one = one;
    if (best.two == 0 || two < best.two) {
      best.two = two;
      best.cpu[0] = cpu[0];
      best.cpu[1] = cpu[1];
    }
    state.SetIterationTime(one + two);
  }
}

constexpr int kPrototypeRounds = 100000;
constexpr int kSingletonRounds = 30;
constexpr int kSameRounds = 1000000;

void ThreadsPrototypes(benchmark::State& state) {
  Ostrel::IBeanFactory* factory = Container(1000).GetFactory();
  const char* const names[] = {"plain", "plain2"};
  MeasureThreads(state, "prototypes of two beans", [&](int t) {
    for (int round = 0; round < kPrototypeRounds; ++round) {
      CbSmartPointer<IReferenceCounted> bean = factory->GetBean(names[t]);
      benchmark::DoNotOptimize(bean.Get());
    }
  });
}

void ThreadsSingletons(benchmark::State& state) {
  Ostrel::IBeanFactory* factory = Container(10000).GetFactory();
  std::vector<std::string> names;
  for (int i = 0; i < 10000; i += 3) names.push_back("b" + std::to_string(i));
  for (const std::string& name : names) factory->GetBean(name.c_str());
  MeasureThreads(state, "all singletons, 10,000 beans", [&](int t) {
    const std::size_t first = names.size() * static_cast<std::size_t>(t) / 2;  // out of step
    for (int round = 0; round < kSingletonRounds; ++round) {
      for (std::size_t i = 0; i < names.size(); ++i) {
        CbSmartPointer<IReferenceCounted> bean =
            factory->GetBean(names[(first + i) % names.size()].c_str());
        benchmark::DoNotOptimize(bean.Get());
      }
    }
  });
}

void ThreadsSameSingleton(benchmark::State& state) {
  Ostrel::IBeanFactory* factory = Container(1000).GetFactory();
  MeasureThreads(state, "one singleton", [&](int) {
    for (int round = 0; round < kSameRounds; ++round) {
      CbSmartPointer<IReferenceCounted> bean = factory->GetBean("b501");
      benchmark::DoNotOptimize(bean.Get());
    }
  });
}

void ThreadsSharedPointer(benchmark::State& state) {
  const std::shared_ptr<IPlainNode> shared = std::make_shared<CPlainNode>();
  MeasureThreads(state, "  baseline: one std::shared_ptr copied", [&](int) {
    for (int round = 0; round < kSameRounds; ++round) {
      std::shared_ptr<IPlainNode> copy = shared;
      benchmark::DoNotOptimize(copy.get());
    }
  });
}

// ---------------------------------------------------------------------------------------
// Report

std::map<std::string, double> g_cpu;  // fastest repetition, CPU seconds per iteration

class CReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double seconds =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      auto it = g_cpu.emplace(run.run_name.function_name, seconds).first;
      it->second = std::min(it->second, seconds);
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void Line(const std::string& label, const std::string& measured, const std::string& baseline,
          double goal) {
  auto m = g_cpu.find(measured);
  auto b = g_cpu.find(baseline);
  if (m == g_cpu.end() || b == g_cpu.end()) return;
  const double ratio = m->second / b->second;
  std::printf("  %-40s %9.1f ns vs %7.1f ns %7.2fx   <= %.1fx  %s\n", label.c_str(), m->second * 1e9,
              b->second * 1e9, ratio, goal, ratio <= goal ? "met" : "missed");
}

void ThreadsLine(const std::string& key, double goal) {
  const SThreads& t = g_threads[key];
  if (t.one <= 0 || t.two <= 0) return;
  const double ratio = 2 * t.one / t.two;
  std::printf("  %-40s %7.1f ms vs %7.1f ms %6.2fx  (cpu %6.1f + %6.1f ms)", key.c_str(),
              t.two * 1e3, t.one * 1e3, ratio, t.cpu[0] * 1e3, t.cpu[1] * 1e3);
  if (goal > 0) std::printf("   >= %.2fx  %s", goal, ratio >= goal ? "met" : "missed");
  std::printf("\n");
}

void PrintTable() {
  std::printf("\nRatios, fastest repetition, CPU time of the measuring thread\n");
  for (int beans : kSizes) {
    const std::string n = std::to_string(beans);
    Line("prototype, 2 literals + ref, " + n, "BM_Prototype/plain/" + n, "BM_PlainNew", 8.0);
    Line("  + int argument + init, " + n, "BM_Prototype/full/" + n, "BM_PlainNew", 10.0);
  }
  Line("typed GetBean<T> vs untyped GetBean", "BM_CachedSingleton/typed",
       "BM_CachedSingleton/untyped", 1.2);
  Line("cached singleton vs locked map find", "BM_CachedSingleton/untyped", "BM_MapLookup", 0.8);
  std::printf("\nTwo threads against one (throughput: twice one thread's time over two "
              "threads' wall time; each thread's CPU time in the two-thread run)\n");
  ThreadsLine("prototypes of two beans", 1.6);
  ThreadsLine("all singletons, 10,000 beans", 1.8);
  const SThreads& copy = g_threads["  baseline: one std::shared_ptr copied"];
  const double copyRatio = copy.two > 0 ? 2 * copy.one / copy.two : 0;
  ThreadsLine("one singleton", copyRatio);
  ThreadsLine("  baseline: one std::shared_ptr copied", 0);
}

}  // namespace

int main(int argc, char** argv) {
  // A second thread has existed: shared counts use real atomic operations.
  std::thread([] {}).join();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (int beans : kSizes) {
    for (const char* name : {"plain", "plain2", "full", "b1"}) {
      if (!Container(beans).GetFactory()->GetBean(name)) {
        std::fprintf(stderr, "ResolutionBench: bean '%s' cannot be made (see the log)\n", name);
        return 1;
      }
    }
  }
  auto repeat = [](benchmark::internal::Benchmark* b) { b->Repetitions(3)->MinTime(0.2); };
  repeat(benchmark::RegisterBenchmark("BM_PlainNew", PlainNew));
  for (int beans : kSizes) {
    const std::string n = std::to_string(beans);
    repeat(benchmark::RegisterBenchmark(("BM_Prototype/plain/" + n).c_str(), Prototype, beans, "plain"));
    repeat(benchmark::RegisterBenchmark(("BM_Prototype/full/" + n).c_str(), Prototype, beans, "full"));
  }
  repeat(benchmark::RegisterBenchmark("BM_CachedSingleton/untyped", Untyped));
  repeat(benchmark::RegisterBenchmark("BM_CachedSingleton/typed", Typed));
  repeat(benchmark::RegisterBenchmark("BM_MapLookup", MapLookup));
  // Counted rounds, never a deadline: every run does the same work.
  for (auto* b : {benchmark::RegisterBenchmark("BM_Threads/prototypes", ThreadsPrototypes),
                  benchmark::RegisterBenchmark("BM_Threads/singletons", ThreadsSingletons),
                  benchmark::RegisterBenchmark("BM_Threads/same_singleton", ThreadsSameSingleton),
                  benchmark::RegisterBenchmark("BM_Threads/shared_ptr", ThreadsSharedPointer)}) {
    b->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
  }
  CReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintTable();
  return 0;
}
