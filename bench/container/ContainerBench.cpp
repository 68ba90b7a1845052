// Whole containers through the public API, each figure against a baseline measured in
// the same run:
//   - loading 1,000, 10,000 and 100,000 beans, lazy and with eager singletons, and
//     destroying the eager container, against pugixml parsing and walking the text;
//   - a cached singleton against a locked std::unordered_map look-up;
//   - prototypes against `new` plus two virtual setters;
//   - an integrated load into a default factory holding 10,000 earlier loads against
//     the same load into an empty one;
//   - cached singletons from two threads against one.
// Beans come from the plug-in library CONTAINER_BENCH_BEANS (BenchBeans.cpp), so every
// bean is really created, wired and initialised. Figures are printed, never asserted;
// the table at the end relates each to its goal.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>
#include <ostrel/Ostrel.h>
#include <pugixml.hpp>

#include "PlainNode.h"

namespace {

constexpr const char* kBeansLibrary = CONTAINER_BENCH_BEANS;
constexpr int kSizes[] = {1000, 10000, 100000};

// Thread CPU time in seconds: the figures stay meaningful on a machine busy with other
// work. Loading and destroying a container run on the calling thread.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---------------------------------------------------------------------------------------
// Configurations

std::string Name(int index) { return "b" + std::to_string(index); }

bool IsSingleton(int index) { return index % 3 == 0; }
// A third of the singletons; non-lazy in the eager variant.
bool IsEarly(int index) { return index % 9 == 0; }
// Every bean after the first refers to the nearest earlier ninth bean, and the ninth
// beans to b0: singletons, so references are cheap and never cyclic, and in the eager
// variant ones that the load creates anyway, so the load creates exactly the non-lazy
// beans. Chains stay at most three beans long: resolution recurses along references,
// and a chain of some thousands of beans overflows the stack.
int OwnerOf(int index) { return IsEarly(index) ? 0 : (index - 1) / 9 * 9; }

std::string Header() {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ostrel>\n  <library path=\"") +
         kBeansLibrary + "\">\n    <beans>\n";
}
const char* const kFooter = "    </beans>\n  </library>\n</ostrel>\n";

// `beans` beans "b0", "b1", ...: each with an int constructor argument, a double and a
// text property, a reference (all but b0) and an init method. Every third is a
// singleton; with `eager`, every ninth is also lazy="false".
std::string GenerateDocument(int beans, bool eager) {
  std::string text = Header();
  text.reserve(static_cast<std::size_t>(beans) * 420);
  for (int i = 0; i < beans; ++i) {
    const std::string id = std::to_string(i);
    text += "      <bean name=\"b" + id + "\" class=\"bench::CNode\"";
    if (IsSingleton(i)) text += " singleton=\"true\"";
    if (eager && IsEarly(i)) text += " lazy=\"false\"";
    text += " init-method=\"Init\">\n";
    text += "        <constructor-arg><argument><value type=\"int\">" + id;
    text += "</value></argument></constructor-arg>\n        <properties>\n";
    text += "          <property name=\"SetLimit\"><value type=\"double\">";
    text += std::to_string(i % 100) + ".5</value></property>\n";
    text += "          <property name=\"SetLabel\"><value type=\"char*\">node " + id;
    text += "</value></property>\n";
    if (i > 0) {
      text += "          <property name=\"SetOwner\"><ref bean=\"" + Name(OwnerOf(i)) +
              "\"/></property>\n";
    }
    text += "        </properties>\n      </bean>\n";
  }
  return text + kFooter;
}

const std::string& Document(int beans, bool eager) {
  static std::map<std::pair<int, bool>, std::string> documents;
  std::string& text = documents[{beans, eager}];
  if (text.empty()) text = GenerateDocument(beans, eager);
  return text;
}

// The prototypes measured one by one: "plain" has two literal properties and a
// reference, "full" also a constructor argument and an init method.
std::string PrototypeDocument() {
  const std::string properties =
      "<properties>"
      "<property name=\"SetLimit\"><value type=\"double\">2.5</value></property>"
      "<property name=\"SetLabel\"><value type=\"char*\">node 7</value></property>"
      "<property name=\"SetOwner\"><ref bean=\"owner\"/></property>"
      "</properties>";
  return Header() + "<bean name=\"owner\" class=\"bench::CNode\" singleton=\"true\"/>\n" +
         "<bean name=\"plain\" class=\"bench::CNode\">" + properties + "</bean>\n" +
         "<bean name=\"full\" class=\"bench::CNode\" init-method=\"Init\">"
         "<constructor-arg><argument><value type=\"int\">7</value></argument></constructor-arg>" +
         properties + "</bean>\n" + kFooter;
}

// One small configuration of an integrated load, its names made unique by `serial`: a
// non-lazy singleton, a prototype and a lazy singleton that refer to it.
std::string SmallDocument(int serial) {
  const std::string prefix = "load" + std::to_string(serial);
  const std::string argument = "<constructor-arg><argument><value type=\"int\">" +
                               std::to_string(serial) + "</value></argument></constructor-arg>";
  const std::string literals =
      "<property name=\"SetLimit\"><value type=\"double\">1.5</value></property>"
      "<property name=\"SetLabel\"><value type=\"char*\">" +
      prefix + "</value></property>";
  const std::string reference =
      "<property name=\"SetOwner\"><ref bean=\"" + prefix + "s\"/></property>";
  std::string text = Header();
  text += "<bean name=\"" + prefix + "s\" class=\"bench::CNode\" singleton=\"true\"";
  text += " lazy=\"false\" init-method=\"Init\">" + argument;
  text += "<properties>" + literals + "</properties></bean>\n";
  text += "<bean name=\"" + prefix + "p\" class=\"bench::CNode\" init-method=\"Init\">" + argument;
  text += "<properties>" + literals + reference + "</properties></bean>\n";
  text += "<bean name=\"" + prefix + "q\" class=\"bench::CNode\" singleton=\"true\">";
  text += "<properties>" + literals + reference + "</properties></bean>\n";
  return text + kFooter;
}

int g_nextLoad = 0;  // serial of the next integrated load: every load names new beans

// ---------------------------------------------------------------------------------------
// Figures

// Seconds by key: the fastest iteration of manually timed runs, the fastest repetition
// (CPU time per iteration) of the others.
std::map<std::string, double> g_seconds;

void Keep(const std::string& key, double seconds) {
  auto it = g_seconds.emplace(key, seconds).first;
  it->second = std::min(it->second, seconds);
}

// Runs `body` once per iteration; `body` returns the seconds to count for it.
template <class F>
void Measure(benchmark::State& state, const std::string& key, F&& body) {
  for (auto _ : state) {
    const double seconds = body();
    state.SetIterationTime(seconds);
    Keep(key, seconds);
  }
}

std::string SizeKey(const char* what, int beans) {
  return std::string(what) + "/" + std::to_string(beans);
}

// ---------------------------------------------------------------------------------------
// Loading and destroying

// Every element and attribute: the least any reader of the document does.
std::size_t Walk(const pugi::xml_node& node) {
  std::size_t sum = std::strlen(node.name()) + std::strlen(node.value());
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    sum += std::strlen(attribute.name()) + std::strlen(attribute.value());
  }
  for (const pugi::xml_node& child : node.children()) sum += Walk(child);
  return sum;
}

void PugiParseWalk(benchmark::State& state, int beans, bool eager) {
  const std::string& text = Document(beans, eager);
  Measure(state, SizeKey(eager ? "pugi-eager" : "pugi-lazy", beans), [&] {
    const double start = ThreadSeconds();
    {
      pugi::xml_document document;
      if (!document.load_string(text.c_str()))
        state.SkipWithError("pugixml cannot parse the document");
      benchmark::DoNotOptimize(Walk(document));
    }  // destroyed inside the measurement
    return ThreadSeconds() - start;
  });
}

void Load(benchmark::State& state, int beans, bool eager) {
  const std::string& text = Document(beans, eager);
  Measure(state, SizeKey(eager ? "load-eager" : "load-lazy", beans), [&] {
    const double start = ThreadSeconds();
    Ostrel::CContainer container(text.c_str(), false);
    return ThreadSeconds() - start;  // destroyed after the clock stopped
  });
}

// A strict load of the lazy document, its libraries loaded by a strict load before.
void StrictLoad(benchmark::State& state, int beans) {
  const std::string& text = Document(beans, false);
  Ostrel::SLoadOptions strict;
  strict.strict = true;
  try {
    Ostrel::CContainer warm(text.c_str(), false, strict);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  Measure(state, SizeKey("load-strict", beans), [&] {
    const double start = ThreadSeconds();
    Ostrel::CContainer container(text.c_str(), false, strict);
    return ThreadSeconds() - start;
  });
}

void Destroy(benchmark::State& state, int beans) {
  const std::string& text = Document(beans, true);
  Measure(state, SizeKey("destroy", beans), [&] {
    auto container = std::make_unique<Ostrel::CContainer>(text.c_str(), false);
    const double start = ThreadSeconds();
    container.reset();
    return ThreadSeconds() - start;
  });
}

// ---------------------------------------------------------------------------------------
// Look-ups and prototypes

constexpr const char* kCachedName = "b501";  // a lazy singleton of the 1,000-bean document

void CachedSingleton(benchmark::State& state) {
  Ostrel::CContainer container(Document(1000, true).c_str(), false);
  Ostrel::IBeanFactory* factory = container.GetFactory();
  if (!factory->GetBean(kCachedName)) state.SkipWithError("the singleton cannot be made");
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean(kCachedName);
    benchmark::DoNotOptimize(bean.Get());
  }
}

using bench::CPlainNode;
using bench::IPlainNode;

// Baseline: a hand-written registry of the same names under a recursive lock.
void MapLookup(benchmark::State& state) {
  std::recursive_mutex mutex;
  std::unordered_map<std::string, std::shared_ptr<IPlainNode>> map;
  for (int i = 0; i < 1000; ++i) map[Name(i)] = std::make_shared<CPlainNode>();
  const std::string key = kCachedName;
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

void Prototype(benchmark::State& state, const char* name) {
  Ostrel::CContainer container(PrototypeDocument().c_str(), false);
  Ostrel::IBeanFactory* factory = container.GetFactory();
  if (!factory->GetBean(name)) state.SkipWithError("the prototype cannot be made");
  for (auto _ : state) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean(name);
    benchmark::DoNotOptimize(bean.Get());
    bean.Reset();
  }
}

// Baseline: the object made by hand; the pointer is opaque to the compiler, so both
// setter calls stay virtual.
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

// ---------------------------------------------------------------------------------------
// Integrated loads

constexpr int kEarlierLoads = 10000;

void IntegratedLoad(benchmark::State& state, int earlier) {
  std::vector<Ostrel::CContainer> kept;  // they hold the default factory and its beans
  kept.reserve(static_cast<std::size_t>(earlier));
  for (int i = 0; i < earlier; ++i) kept.emplace_back(SmallDocument(g_nextLoad++).c_str(), true);
  Measure(state, "integrated/" + std::to_string(earlier), [&] {
    const std::string text = SmallDocument(g_nextLoad++);
    const double start = ThreadSeconds();
    Ostrel::CContainer container(text.c_str(), true);
    return ThreadSeconds() - start;  // released after the clock stopped
  });
}

// ---------------------------------------------------------------------------------------
// Two threads

constexpr int kRounds = 60;  // passes over every singleton name, per thread
constexpr const char* kContainerThreads = "threads-container";
constexpr const char* kMapMutex = "threads-map-mutex";
constexpr const char* kMapSharedMutex = "threads-map-shared-mutex";
constexpr const char* kMapNoLock = "threads-map-no-lock";

// For the look-up that takes no lock: the map is never written while threads read it.
struct SNoMutex {};
struct SNoLock {
  explicit SNoLock(SNoMutex&) {}
};

// Runs `work` on `threads` threads at once (thread t gets t and the count) and returns
// the wall time from the common start to the end of the last one.
template <class F>
double RunThreads(int threads, const F& work) {
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      ready.fetch_add(1);
      while (!go.load(std::memory_order_acquire)) std::this_thread::yield();
      work(t, threads);
    });
  }
  while (ready.load() < threads) std::this_thread::yield();
  const double start = WallSeconds();
  go.store(true, std::memory_order_release);
  for (std::thread& thread : pool) thread.join();
  return WallSeconds() - start;
}

// Each iteration runs the same per-thread work on one thread, then on two, so that both
// meet the same load of the machine; the fastest of each is kept.
template <class Lookup>
void MeasureThreads(benchmark::State& state, const std::string& key, std::size_t names,
                    const Lookup& lookup) {
  // Thread t starts at its own offset, so two threads do not walk in step.
  auto work = [&](int t, int threads) {
    const std::size_t first =
        names * static_cast<std::size_t>(t) / static_cast<std::size_t>(threads);
    for (int round = 0; round < kRounds; ++round) {
      for (std::size_t i = first; i < names; ++i) lookup(i);
      for (std::size_t i = 0; i < first; ++i) lookup(i);
    }
  };
  for (auto _ : state) {
    const double one = RunThreads(1, work);
    const double two = RunThreads(2, work);
    Keep(key + "/1", one);
    Keep(key + "/2", two);
    state.SetIterationTime(one + two);
  }
}

void ThreadsContainer(benchmark::State& state) {
  Ostrel::CContainer container(Document(10000, true).c_str(), false);
  Ostrel::IBeanFactory* factory = container.GetFactory();
  std::vector<std::string> names;
  for (int i = 0; i < 10000; i += 3) names.push_back(Name(i));
  std::vector<const char*> pointers;
  for (const std::string& name : names) {
    if (!factory->GetBean(name.c_str())) state.SkipWithError("a singleton cannot be made");
    pointers.push_back(name.c_str());
  }
  MeasureThreads(state, kContainerThreads, pointers.size(), [&](std::size_t i) {
    CbSmartPointer<IReferenceCounted> bean = factory->GetBean(pointers[i]);
    benchmark::DoNotOptimize(bean.Get());
  });
}

template <class Mutex, class Lock>
void ThreadsMap(benchmark::State& state, const char* key) {
  Mutex mutex;
  std::unordered_map<std::string, std::shared_ptr<IPlainNode>> map;
  std::vector<std::string> names;
  for (int i = 0; i < 10000; i += 3) {
    names.push_back(Name(i));
    map[names.back()] = std::make_shared<CPlainNode>();
  }
  MeasureThreads(state, key, names.size(), [&](std::size_t i) {
    std::shared_ptr<IPlainNode> found;
    {
      Lock lock(mutex);
      auto it = map.find(names[i]);
      if (it != map.end()) found = it->second;
    }
    benchmark::DoNotOptimize(found.get());
  });
}

// ---------------------------------------------------------------------------------------
// Registration

// Loading runs get fixed iteration counts by size: 100,000 beans take a second or so.
template <class F>
void RegisterSizes(const std::string& name, F function) {
  for (int beans : kSizes) {
    benchmark::RegisterBenchmark((name + "/" + std::to_string(beans)).c_str(), function, beans)
        ->Iterations(beans >= 100000  ? 3
                     : beans >= 10000 ? 8
                                      : 40)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
}

// Benchmarks that make few beans run first, before any large container has existed:
// once large containers came and went, making and releasing an instance costs several
// times more in this process (the process-wide bean statistics dominate the profile).
// The prototype runs once more after them to show it.
void RegisterSmall() {
  benchmark::RegisterBenchmark("BM_CachedSingleton", CachedSingleton)->Repetitions(3)->MinTime(0.2);
  benchmark::RegisterBenchmark("BM_MapLookup", MapLookup)->Repetitions(3)->MinTime(0.2);
  benchmark::RegisterBenchmark("BM_Prototype/plain", Prototype, "plain")
      ->Repetitions(3)
      ->MinTime(0.2);
  benchmark::RegisterBenchmark("BM_Prototype/full", Prototype, "full")
      ->Repetitions(3)
      ->MinTime(0.2);
  benchmark::RegisterBenchmark("BM_PlainNew", PlainNew)->Repetitions(3)->MinTime(0.2);

  // The empty case first: no container of the run holds the default factory then.
  for (int earlier : {0, kEarlierLoads}) {
    benchmark::RegisterBenchmark(
        ("BM_IntegratedLoad/" + std::to_string(earlier) + "_before").c_str(), IntegratedLoad,
        earlier)
        ->Iterations(earlier == 0 ? 2000 : 200)  // a load into the full factory takes ms
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }
}

void RegisterLarge() {
  RegisterSizes("BM_PugiParseWalk/lazy_text",
                [](benchmark::State& s, int n) { PugiParseWalk(s, n, false); });
  RegisterSizes("BM_Load/lazy", [](benchmark::State& s, int n) { Load(s, n, false); });
  benchmark::RegisterBenchmark("BM_Load/strict/10000", StrictLoad, 10000)
      ->Iterations(8)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  RegisterSizes("BM_PugiParseWalk/eager_text",
                [](benchmark::State& s, int n) { PugiParseWalk(s, n, true); });
  RegisterSizes("BM_Load/eager", [](benchmark::State& s, int n) { Load(s, n, true); });
  RegisterSizes("BM_Destroy/eager", Destroy);

  // Counted rounds, never a deadline: every run does the same work.
  auto threads = [](benchmark::internal::Benchmark* b) {
    b->Iterations(8)->UseManualTime()->Unit(benchmark::kMillisecond);
  };
  threads(benchmark::RegisterBenchmark("BM_Threads/container", ThreadsContainer));
  threads(benchmark::RegisterBenchmark("BM_Threads/map_no_lock", ThreadsMap<SNoMutex, SNoLock>,
                                       kMapNoLock));
  threads(benchmark::RegisterBenchmark(
      "BM_Threads/map_mutex", ThreadsMap<std::mutex, std::lock_guard<std::mutex>>, kMapMutex));
  threads(benchmark::RegisterBenchmark(
      "BM_Threads/map_shared_mutex",
      ThreadsMap<std::shared_mutex, std::shared_lock<std::shared_mutex>>, kMapSharedMutex));

  // The same prototype again, now that large containers came and went.
  benchmark::RegisterBenchmark("BM_Prototype/full_after_large", Prototype, "full")
      ->Repetitions(3)
      ->MinTime(0.2);
}

// ---------------------------------------------------------------------------------------
// Report

// Keeps the fastest repetition of every automatically timed run, as CPU seconds.
class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      Keep("cpu:" + run.run_name.function_name,
           run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

double Figure(const std::string& key) {
  auto it = g_seconds.find(key);
  return it == g_seconds.end() ? -1 : it->second;
}

// One line: measured and baseline with a unit scale, their ratio, the goal and whether
// the ratio meets it (`atMost`: ratio <= goal, else ratio >= goal).
void Line(const std::string& label, double measured, double baseline, double scale,
          const char* unit, double goal, bool atMost = true) {
  if (measured <= 0 || baseline <= 0) {
    std::printf("  %-38s not measured\n", label.c_str());
    return;
  }
  const double ratio = measured / baseline;
  const bool met = atMost ? ratio <= goal : ratio >= goal;
  std::printf("  %-38s %10.3f %-2s vs %10.3f %-2s %7.2fx   %s %.1fx  %s\n", label.c_str(),
              measured * scale, unit, baseline * scale, unit, ratio, atMost ? "<=" : ">=", goal,
              met ? "met" : "missed");
}

void PrintTable() {
  std::printf(
      "\nRatios, fastest iteration or repetition, CPU time of the measuring thread "
      "(two-thread lines: wall time)\n");
  std::printf("  %-38s %13s    %13s %8s   %s\n", "", "measured", "baseline", "ratio", "goal");
  for (int beans : kSizes) {
    Line("lazy load, " + std::to_string(beans) + " beans", Figure(SizeKey("load-lazy", beans)),
         Figure(SizeKey("pugi-lazy", beans)), 1e3, "ms", 2.0);
  }
  Line("strict vs lazy load, 10000 beans", Figure(SizeKey("load-strict", 10000)),
       Figure(SizeKey("load-lazy", 10000)), 1e3, "ms", 1.5);
  for (int beans : kSizes) {
    Line("eager load, " + std::to_string(beans) + " beans", Figure(SizeKey("load-eager", beans)),
         Figure(SizeKey("pugi-eager", beans)), 1e3, "ms", 3.0);
  }
  for (int beans : kSizes) {
    Line("destroy eager, " + std::to_string(beans) + " beans", Figure(SizeKey("destroy", beans)),
         Figure(SizeKey("pugi-eager", beans)), 1e3, "ms", 1.0);
  }
  Line("cached singleton vs map look-up", Figure("cpu:BM_CachedSingleton"),
       Figure("cpu:BM_MapLookup"), 1e9, "ns", 1.0);
  Line("prototype, 2 literals + ref vs new", Figure("cpu:BM_Prototype/plain"),
       Figure("cpu:BM_PlainNew"), 1e9, "ns", 15.0);
  Line("  + ctor arg + init vs new", Figure("cpu:BM_Prototype/full"), Figure("cpu:BM_PlainNew"),
       1e9, "ns", 20.0);
  Line("  same, after the large containers", Figure("cpu:BM_Prototype/full_after_large"),
       Figure("cpu:BM_PlainNew"), 1e9, "ns", 20.0);
  Line("integrated load, 10,000 before vs 0", Figure("integrated/" + std::to_string(kEarlierLoads)),
       Figure("integrated/0"), 1e6, "us", 1.2);
  // Throughput of two threads over one, each thread doing the work of the single one;
  // the maps show what the machine does without a lock and with a plain one.
  const struct {
    const char* key;
    const char* label;
    double goal;
  } runs[] = {{kContainerThreads, "2 threads vs 1, container", 1.6},
              {kMapNoLock, "  baseline: map, no lock", 0},
              {kMapMutex, "  baseline: map + std::mutex", 0},
              {kMapSharedMutex, "  baseline: map + std::shared_mutex", 0}};
  for (const auto& run : runs) {
    const double one = Figure(std::string(run.key) + "/1");
    const double two = Figure(std::string(run.key) + "/2");
    if (one <= 0 || two <= 0) continue;
    const double ratio = 2 * one / two;
    std::printf("  %-38s %10.3f ms vs %10.3f ms %7.2fx", run.label, two * 1e3, one * 1e3, ratio);
    if (run.goal > 0)
      std::printf("   >= %.1fx  %s", run.goal, ratio >= run.goal ? "met" : "missed");
    std::printf("\n");
  }
}

// ---------------------------------------------------------------------------------------
// Checks before measuring: every document loads and its sample beans are made, so that
// no benchmark measures failures.

bool Made(const Ostrel::CContainer& container, const std::string& name, const char* document) {
  if (container.GetFactory()->GetBean(name.c_str())) return true;
  std::fprintf(stderr, "ContainerBench: bean '%s' of the %s cannot be made (see the log)\n",
               name.c_str(), document);
  return false;
}

std::uint64_t LiveInstances() {
  std::uint64_t live = 0;
  for (const Ostrel::SBeanStatisticsEntry& entry : Ostrel::GetBeanStatistics()) live += entry.live;
  return live;
}

// Loads both variants of the generated document: the lazy one makes nothing at load,
// the eager one exactly its non-lazy singletons, and sample beans of both are made.
bool CheckDocument(int beans) {
  const std::string label = std::to_string(beans) + "-bean document";
  {
    Ostrel::CContainer lazy(Document(beans, false).c_str(), false);
    if (LiveInstances() != 0) {
      std::fprintf(stderr, "ContainerBench: the lazy %s made beans at load\n", label.c_str());
      return false;
    }
    if (!Made(lazy, "b1", "lazy document") || !Made(lazy, Name(beans - 1), "lazy document"))
      return false;
  }
  Ostrel::CContainer eager(Document(beans, true).c_str(), false);
  const std::uint64_t early = LiveInstances();
  const std::uint64_t expected = static_cast<std::uint64_t>((beans + 8) / 9);
  if (early != expected) {
    std::fprintf(stderr, "ContainerBench: the eager %s made %llu beans at load, not %llu\n",
                 label.c_str(), static_cast<unsigned long long>(early),
                 static_cast<unsigned long long>(expected));
    return false;
  }
  if (!Made(eager, "b1", "eager document") || !Made(eager, "b3", "eager document")) return false;
  std::printf("%s: %llu non-lazy singletons made by the eager load\n", label.c_str(),
              static_cast<unsigned long long>(early));
  return true;
}

// The documents of the first phase: the 1,000-bean one, the prototypes, and one
// integrated load.
bool CheckSmallDocuments() {
  if (!CheckDocument(1000)) return false;
  {
    Ostrel::CContainer prototypes(PrototypeDocument().c_str(), false);
    if (!Made(prototypes, "plain", "prototype document") ||
        !Made(prototypes, "full", "prototype document")) {
      return false;
    }
  }
  const std::string prefix = "load" + std::to_string(g_nextLoad);
  Ostrel::CContainer integrated(SmallDocument(g_nextLoad++).c_str(), true);
  if (LiveInstances() != 1) {
    std::fprintf(stderr,
                 "ContainerBench: the integrated load did not make its one non-lazy singleton\n");
    return false;
  }
  return Made(integrated, prefix + "p", "integrated document") &&
         Made(integrated, prefix + "q", "integrated document");
}

// Runs a check; a load that throws fails it (the log has the message).
template <class F>
bool Check(F check) {
  try {
    return check();
  } catch (const IException& exception) {
    std::fprintf(stderr, "ContainerBench: loading failed in %s (the log has the message)\n",
                 exception.GetFunctionName());
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A second thread has existed: shared counts use real atomic operations.
  std::thread([] {}).join();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CRatioReporter reporter;
  // First the benchmarks that make few beans, then the large documents.
  if (!Check(CheckSmallDocuments)) return 1;
  RegisterSmall();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::ClearRegisteredBenchmarks();
  if (!Check([] { return CheckDocument(10000) && CheckDocument(100000); })) return 1;
  RegisterLarge();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintTable();
  return 0;
}
