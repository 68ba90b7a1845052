// Parse throughput of XMLNode::ParseString on configuration documents of 1,000, 10,000
// and 100,000 beans, with pugixml's load_buffer on the same text as the baseline. Each
// iteration includes freeing the tree.
#include <benchmark/benchmark.h>

#include <limits>
#include <map>
#include <string>
#include <thread>

#include <pugixml.hpp>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "ConfigGenerator.h"
#include "xml/XMLNode.h"

namespace {

const std::string& Document(int beans) {
  static std::map<int, std::string> documents;
  std::string& text = documents[beans];
  if (text.empty()) text = GenerateConfiguration(beans);
  return text;
}

void ReportSize(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(text.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void OstrelParseString(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  Ostrel::SXMLResults results;
  const Ostrel::XMLNode check = Ostrel::XMLNode::ParseString(text.c_str(), "ostrel", &results);
  if (results.code != 0 ||
      check.GetChild("library").GetChild("beans").CountChildren("bean") != state.range(0)) {
    state.SkipWithError("parse failed");
    return;
  }
  for (auto _ : state) {
    Ostrel::XMLNode node = Ostrel::XMLNode::ParseString(text.c_str(), "ostrel", &results);
    benchmark::DoNotOptimize(node.GetData());
  }
  ReportSize(state, text);
}

void PugixmlLoadBuffer(benchmark::State& state) {
  const std::string& text = Document(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size());
    benchmark::DoNotOptimize(result.status);
  }
  ReportSize(state, text);
}

BENCHMARK(OstrelParseString)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlLoadBuffer)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // A second thread makes the process multi-threaded, as the container is, so that the
  // C++ runtime takes its thread-safe paths while we measure.
  std::thread([] {}).join();
#ifdef __GLIBC__
  // Keep freed memory in the heap between iterations, for both parsers: otherwise glibc
  // hands large blocks back to the system, and the page faults that bring them back in
  // (expensive and erratic on virtual machines) swamp the parse times.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
