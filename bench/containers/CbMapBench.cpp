// CbMap<std::string, int> against std::unordered_map<std::string, int> in one run:
// lookups that hit and miss, building a whole map, and iteration, at 1k, 100k and 1M
// random keys of 10-30 characters. Each figure is per operation (per key).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/CbMap.h"

namespace {

// Keys present in the maps, keys absent from them, and the present keys in a
// shuffled order for lookups, so that lookups do not walk memory in insertion order.
struct SKeys {
  std::vector<std::string> present;
  std::vector<std::string> absent;
  std::vector<std::string> shuffled;
};

const SKeys& KeysOf(std::size_t count) {
  static std::map<std::size_t, SKeys> cache;
  auto found = cache.find(count);
  if (found != cache.end()) return found->second;
  static const char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_./:";
  std::mt19937_64 random(0x5EEDu + count);
  std::uniform_int_distribution<int> length(10, 30);
  std::uniform_int_distribution<int> letter(0, sizeof kAlphabet - 2);
  std::unordered_set<std::string> seen;
  SKeys keys;
  while (keys.present.size() + keys.absent.size() < 2 * count) {
    std::string key(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : key) c = kAlphabet[letter(random)];
    if (!seen.insert(key).second) continue;
    (keys.present.size() <= keys.absent.size() ? keys.present : keys.absent).push_back(key);
  }
  keys.shuffled = keys.present;
  std::shuffle(keys.shuffled.begin(), keys.shuffled.end(), random);
  return cache.emplace(count, std::move(keys)).first->second;
}

struct SCbMapSide {
  using Map = CbMap<std::string, int>;
  static constexpr const char* kName = "CbMap";
  static void Insert(Map& map, const std::string& key, int value) { map[key] = value; }
  static bool Contains(const Map& map, const std::string& key) {
    return map.Lookup(key.c_str()) != nullptr;
  }
  static std::int64_t Sum(const Map& map) {
    std::int64_t sum = 0;
    for (const auto& association : map) sum += association.value;
    return sum;
  }
};

struct SStdSide {
  using Map = std::unordered_map<std::string, int>;
  static constexpr const char* kName = "unordered_map";
  static void Insert(Map& map, const std::string& key, int value) { map[key] = value; }
  static bool Contains(const Map& map, const std::string& key) { return map.find(key) != map.end(); }
  static std::int64_t Sum(const Map& map) {
    std::int64_t sum = 0;
    for (const auto& entry : map) sum += entry.second;
    return sum;
  }
};

// One map per side and size, built once for the lookup and iteration figures.
template <class Side>
const typename Side::Map& BuiltMap(std::size_t count) {
  static std::map<std::size_t, std::unique_ptr<typename Side::Map>> cache;
  auto& map = cache[count];
  if (!map) {
    map = std::make_unique<typename Side::Map>();
    int value = 0;
    for (const std::string& key : KeysOf(count).present) Side::Insert(*map, key, value++);
  }
  return *map;
}

template <class Side>
void Lookup(benchmark::State& state, std::size_t count, bool hit) {
  const auto& map = BuiltMap<Side>(count);
  const std::vector<std::string>& keys = hit ? KeysOf(count).shuffled : KeysOf(count).absent;
  for (auto _ : state) {
    std::size_t found = 0;
    for (const std::string& key : keys) found += Side::Contains(map, key);
    if (found != (hit ? count : 0)) state.SkipWithError("wrong lookup result");
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <class Side>
void Insert(benchmark::State& state, std::size_t count) {
  const std::vector<std::string>& keys = KeysOf(count).present;
  for (auto _ : state) {
    auto map = std::make_unique<typename Side::Map>();
    int value = 0;
    for (const std::string& key : keys) Side::Insert(*map, key, value++);
    benchmark::DoNotOptimize(map.get());
    state.PauseTiming();  // destruction is not part of the figure
    map.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <class Side>
void Iterate(benchmark::State& state, std::size_t count) {
  const auto& map = BuiltMap<Side>(count);
  const std::int64_t expected = static_cast<std::int64_t>(count) * (count - 1) / 2;
  for (auto _ : state) {
    const std::int64_t sum = Side::Sum(map);
    if (sum != expected) state.SkipWithError("wrong iteration sum");
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <class Side>
void Register(const std::string& operation, std::size_t count) {
  const std::string name = operation + "/" + Side::kName + "/" + std::to_string(count);
  if (operation == "LookupHit") {
    benchmark::RegisterBenchmark(name.c_str(), Lookup<Side>, count, true);
  } else if (operation == "LookupMiss") {
    benchmark::RegisterBenchmark(name.c_str(), Lookup<Side>, count, false);
  } else if (operation == "Insert") {
    benchmark::RegisterBenchmark(name.c_str(), Insert<Side>, count);
  } else {
    benchmark::RegisterBenchmark(name.c_str(), Iterate<Side>, count);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Once a thread has run, the C++ runtime takes its atomic paths (reference counts of
  // shared state and the like); measure the multi-threaded case, as in the container.
  std::thread([] {}).join();
  for (const char* operation : {"LookupHit", "LookupMiss", "Insert", "Iterate"}) {
    for (std::size_t count : {std::size_t{1000}, std::size_t{100000}, std::size_t{1000000}}) {
      Register<SCbMapSide>(operation, count);
      Register<SStdSide>(operation, count);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
