// Costs of the configuration loader for documents of 1,000, 10,000 and 100,000 beans:
// XMLNode::ParseString of the text as the baseline, building a CXMLResource from the
// same text, merging it into an empty store, building every bean's configuration on
// first need, and finding an already built configuration. After the runs a summary
// relates the figures to each other. Nothing here judges a time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <ostrel/Ostrel.h>

#include "CDefinitionStore.h"
#include "loader/CXMLResource.h"
#include "xml/XMLNode.h"

namespace {

// Thread CPU time: the figures stay meaningful on a machine busy with other work.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  }
};
using Ostrel::CXMLResource;

const char* const kClasses[] = {"shop::CBasket", "shop::CCatalogue", "shop::CPriceList",
                                "billing::CInvoice", "billing::CTaxTable"};

// A wrapper that costs next to nothing: it names a non-empty type for every argument so
// that configured properties pass their check.
class CCheapWrapper : public Ostrel::IBeanWrapper {
public:
  explicit CCheapWrapper(const char* name) : m_name(name) {}
  const char* GetClassName() const override { return m_name; }
  CbSmartPointer<IReferenceCounted> Create(const char*, std::size_t, const Ostrel::ArgumentVector*,
                                           std::shared_ptr<const Ostrel::IBeanWrapper>, const char*,
                                           const Ostrel::DependencyList&) const override {
    return nullptr;
  }
  bool Invoke(IReferenceCounted*, const char*, std::size_t, const Ostrel::ArgumentVector*) const override {
    return false;
  }
  void GetArgumentTypes(const char*, std::size_t count, std::vector<std::string>& types) override {
    types.assign(count, "any");
  }

private:
  const char* m_name;
};

template <int I>
Ostrel::IBeanWrapper* MakeCheap() {
  return new CCheapWrapper(kClasses[I]);
}

void RegisterMakers() {
  OSTREL_REGISTER_WRAPPER_MAKER(kClasses[0], &MakeCheap<0>);
  OSTREL_REGISTER_WRAPPER_MAKER(kClasses[1], &MakeCheap<1>);
  OSTREL_REGISTER_WRAPPER_MAKER(kClasses[2], &MakeCheap<2>);
  OSTREL_REGISTER_WRAPPER_MAKER(kClasses[3], &MakeCheap<3>);
  OSTREL_REGISTER_WRAPPER_MAKER(kClasses[4], &MakeCheap<4>);
  Ostrel::GetLocalLibrary().RegisterTypeID("shop::IBasket", "{bench-basket}");
}

// `beans` definitions (a multiple of 100): per hundred, 90 written out with constructor
// arguments, value and reference properties (every 30th providing an interface) and a
// "for" loop that makes the other 10.
std::string GenerateDocument(int beans) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ostrel>\n  <library path=\"";
  text += LOADER_BENCH_PLUGIN;
  text += "\">\n    <beans>\n";
  std::string loops;
  for (int block = 0; block < beans / 100; ++block) {
    const std::string k = std::to_string(block);
    loops += "      <for first=\"1\" last=\"10\" substitute=\"i\">\n"
             "        <bean name=\"loop" + k + "_%i%\" class=\"billing::CInvoice\">"
             "<constructor-arg><argument><value type=\"int\">%i%</value></argument>"
             "</constructor-arg><properties><property name=\"Limit\"><value type=\"double\">"
             "%i%.5</value></property></properties></bean>\n      </for>\n";
    for (int i = block * 90; i < (block + 1) * 90; ++i) {
      const std::string id = std::to_string(i);
      text += "      <bean name=\"b" + id + "\" class=\"" + kClasses[i % 5] + "\" singleton=\"" +
              (i % 3 == 0 ? "false" : "true") + "\">\n";
      text += "        <constructor-arg><argument><value type=\"int\">" + id + "</value></argument>";
      if (i % 4 == 1) text += "<argument><value type=\"char*\">Shop &amp; Co " + id + "</value></argument>";
      text += "</constructor-arg>\n        <properties>\n"
              "          <property name=\"Owner\"><ref bean=\"b" + std::to_string(i > 0 ? i - 1 : 0) +
              "\"/></property>\n          <property name=\"Limit\"><value type=\"double\">" +
              std::to_string(i % 7) + ".5</value></property>\n        </properties>\n";
      if (i % 30 == 0) text += "        <provides><interface>shop::IBasket</interface></provides>\n";
      text += "      </bean>\n";
    }
  }
  text += loops + "    </beans>\n  </library>\n</ostrel>\n";
  return text;
}

const std::string& Document(int beans) {
  static std::map<int, std::string> documents;
  std::string& text = documents[beans];
  if (text.empty()) text = GenerateDocument(beans);
  return text;
}

// The fastest iteration of the last run of each benchmark, in seconds, by name and
// size: on a machine busy with other work the least disturbed figure.
std::map<std::string, std::map<int, double>> g_seconds;

double Seconds(double since) { return Clock::now() - since; }

std::vector<std::string> Names(const std::vector<std::unique_ptr<Ostrel::SLibrary>>& libraries) {
  std::vector<std::string> names;
  for (const auto& library : libraries) {
    for (const auto& bean : library->beans) names.push_back(bean.name);
  }
  return names;
}

// Runs `body` once per iteration; `body` returns the seconds to count for it.
template <class F>
void Measure(benchmark::State& state, const char* name, F&& body) {
  double best = 1e30;
  for (auto _ : state) {
    const double seconds = body();
    state.SetIterationTime(seconds);
    best = std::min(best, seconds);
  }
  const int beans = static_cast<int>(state.range(0));
  g_seconds[name][beans] = best;
  state.counters["ns/bean"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * beans * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ParseString(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Measure(state, "parse", [&] {
    const auto start = Clock::now();
    {
      // Released inside the measurement, as the loader releases its tree.
      Ostrel::XMLNode root = Ostrel::XMLNode::ParseString(text.c_str(), "ostrel");
      benchmark::DoNotOptimize(root.GetChildCount());
    }
    return Seconds(start);
  });
}

void BM_BuildResource(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Measure(state, "build", [&] {
    const auto start = Clock::now();
    CXMLResource resource(text.c_str());
    benchmark::DoNotOptimize(resource.GetLibraries().size());
    return Seconds(start);  // the resource is released after the clock stopped
  });
}

// ParseString and the resource build in turns, so that both meet the same load of the
// machine; the summary relates the fastest of each.
void BM_ParseThenBuild(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  double bestParse = 1e30;
  double bestBuild = 1e30;
  Measure(state, "pair", [&] {
    auto start = Clock::now();
    {
      Ostrel::XMLNode root = Ostrel::XMLNode::ParseString(text.c_str(), "ostrel");
      benchmark::DoNotOptimize(root.GetChildCount());
    }
    const double parse = Seconds(start);
    start = Clock::now();
    double build = 0;
    {
      CXMLResource resource(text.c_str());
      benchmark::DoNotOptimize(resource.GetLibraries().size());
      build = Seconds(start);
    }
    bestParse = std::min(bestParse, parse);
    bestBuild = std::min(bestBuild, build);
    return parse + build;
  });
  g_seconds["pair-parse"][static_cast<int>(state.range(0))] = bestParse;
  g_seconds["pair-build"][static_cast<int>(state.range(0))] = bestBuild;
}

void BM_Integrate(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Measure(state, "integrate", [&] {
    CXMLResource loaded(text.c_str());
    Ostrel::CDefinitionStore store;
    const auto start = Clock::now();
    store.GetDefinitions().Merge(loaded.GetDefinitions());
    return Seconds(start);
  });
}

void BM_FindEveryBean(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Measure(state, "find", [&] {
    CXMLResource loaded(text.c_str());
    Ostrel::CDefinitionStore store;
    store.GetDefinitions().Merge(loaded.GetDefinitions());
    const std::vector<std::string> names = Names(store.GetDefinitions().GetLibraries());
    const auto start = Clock::now();
    for (const std::string& name : names) benchmark::DoNotOptimize(store.FindBeanConfig(name.c_str()));
    const double seconds = Seconds(start);
    if (store.GetConfigCount() != names.size()) state.SkipWithError("not every bean was built");
    return seconds;
  });
}

// The whole load: resource from text, merge into an empty store, every configuration.
void BM_LoadAll(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Measure(state, "load", [&] {
    const auto start = Clock::now();
    Ostrel::CDefinitionStore store;
    {
      CXMLResource loaded(text.c_str());
      store.GetDefinitions().Merge(loaded.GetDefinitions());
    }
    for (const auto& library : store.GetDefinitions().GetLibraries()) {
      for (const auto& bean : library->beans) benchmark::DoNotOptimize(store.FindBeanConfig(bean.name.c_str()));
    }
    return Seconds(start);
  });
}

constexpr int kLookups = 1000;

void BM_FindBuiltBean(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  CXMLResource loaded(text.c_str());
  Ostrel::CDefinitionStore store;
  store.GetDefinitions().Merge(loaded.GetDefinitions());
  const std::vector<std::string> names = Names(store.GetDefinitions().GetLibraries());
  for (const std::string& name : names) store.FindBeanConfig(name.c_str());
  // Each iteration looks up 1,000 names in turn.
  std::size_t i = 0;
  Measure(state, "found", [&] {
    const auto start = Clock::now();
    for (int k = 0; k < kLookups; ++k) {
      benchmark::DoNotOptimize(store.FindBeanConfig(names[i].c_str()));
      i = i + 1 == names.size() ? 0 : i + 1;
    }
    return Seconds(start);
  });
  state.counters["ns/bean"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kLookups * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ParseString)->Apply(Sizes);
BENCHMARK(BM_BuildResource)->Apply(Sizes);
BENCHMARK(BM_ParseThenBuild)->Apply(Sizes);
// Runs whose untimed preparation outweighs the timed part get fixed iteration counts.
#define LOADER_FIXED_SIZES(function)                                                          \
  BENCHMARK(function)->Arg(1000)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond); \
  BENCHMARK(function)->Arg(10000)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond); \
  BENCHMARK(function)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond)
LOADER_FIXED_SIZES(BM_Integrate);
LOADER_FIXED_SIZES(BM_FindEveryBean);
BENCHMARK(BM_LoadAll)->Apply(Sizes);
BENCHMARK(BM_FindBuiltBean)->Arg(10000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void PrintSummary() {
  auto at = [](const char* name, int beans) {
    auto it = g_seconds.find(name);
    if (it == g_seconds.end() || it->second.count(beans) == 0) return -1.0;
    return it->second.at(beans);
  };
  std::printf("\nSummary: fastest iteration of each run, thread CPU time (goals in brackets)\n");
  for (int beans : {1000, 10000, 100000}) {
    const double parse = at("parse", beans);
    const double build = at("build", beans);
    if (parse > 0 && build > 0) {
      std::printf("  %6d beans: ParseString %8.3f ms, resource %8.3f ms, ratio %.2fx  [<= 2x]\n",
                  beans, parse * 1e3, build * 1e3, build / parse);
    }
    if (at("find", beans) > 0) {
      std::printf("  %6d beans: Integrate %8.3f ms, first FindBeanConfig %7.1f ns/bean\n", beans,
                  at("integrate", beans) * 1e3, at("find", beans) * 1e9 / beans);
    }
  }
  for (int beans : {1000, 10000, 100000}) {
    const double parse = at("pair-parse", beans);
    const double build = at("pair-build", beans);
    if (parse > 0 && build > 0) {
      std::printf("  %6d beans, in turns: ParseString %8.3f ms, resource %8.3f ms, ratio %.2fx  [<= 2x]\n",
                  beans, parse * 1e3, build * 1e3, build / parse);
    }
  }
  const double small = at("build", 1000) / 1000;
  const double large = at("build", 100000) / 100000;
  if (small > 0 && large > 0) {
    std::printf("  resource per bean: %.1f ns at 1k, %.1f ns at 100k, ratio %.2fx  [<= 1.3x]\n",
                small * 1e9, large * 1e9, large / small);
  }
  if (at("found", 10000) > 0) {
    std::printf("  FindBeanConfig of a built bean: %.1f ns\n", at("found", 10000) * 1e9 / kLookups);
  }
  if (at("load", 10000) > 0) {
    std::printf("  10,000 beans, text to every configuration: %.2f ms  [< 19 ms]\n",
                at("load", 10000) * 1e3);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Measured as a program that has run a thread: shared counters then use atomic steps.
  std::thread([] {}).join();
  RegisterMakers();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
