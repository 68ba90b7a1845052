// The container templates. CbMap: contents and iteration order checked against a model
// through random edits, the hashes, moves, and lookups by views and derived pointers.
// CbList: order and value lifetimes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/CbList.h"
#include "support/CbMap.h"

namespace {

// A value that counts its live instances.
struct SCounted {
  static inline int live = 0;
  explicit SCounted(int v = 0) : value(v) { ++live; }
  SCounted(const SCounted& other) : value(other.value) { ++live; }
  ~SCounted() { --live; }
  int value;
};

// Distinct keys of each key type, by index. Pointer keys are never dereferenced.
template <class K>
K Key(int i) {
  const std::string text = "key/" + std::to_string(i * 7919);
  if constexpr (std::is_pointer_v<K>) return reinterpret_cast<K>(std::uintptr_t(i + 1) * 16);
  if constexpr (!std::is_pointer_v<K>) return K(text.begin(), text.end());
}

// What the model knows of one key.
struct SModelEntry {
  std::uint64_t hash;
  std::uint64_t sequence;  // of its latest insertion, or re-insertion by growth
  int value;
};

// The order a map must iterate `model` in: buckets ascending, within a bucket the
// latest (re-)insertion first.
template <class K>
std::vector<K> ModelOrder(std::uint32_t bucketCount, const std::map<K, SModelEntry>& model) {
  std::vector<std::pair<K, SModelEntry>> order(model.begin(), model.end());
  const std::uint64_t mask = bucketCount - 1;
  std::sort(order.begin(), order.end(), [mask](const auto& a, const auto& b) {
    const std::uint64_t ba = a.second.hash & mask, bb = b.second.hash & mask;
    return ba != bb ? ba < bb : a.second.sequence > b.second.sequence;
  });
  std::vector<K> keys;
  for (const auto& entry : order) keys.push_back(entry.first);
  return keys;
}

template <class K>
class CbMapTypedTest : public ::testing::Test {};
using KeyTypes = ::testing::Types<std::string, std::wstring, const int*>;
TYPED_TEST_SUITE(CbMapTypedTest, KeyTypes);

TYPED_TEST(CbMapTypedTest, RandomEditsKeepContentsAndOrderOfModel) {
  using Map = CbMap<TypeParam, SCounted>;
  SCounted::live = 0;
  Map map;
  std::map<TypeParam, SModelEntry> model;
  std::mt19937 random(20240611);
  std::uint64_t sequence = 0;
  std::uint32_t bucketCount = map.GetBucketCount();
  for (int step = 0; step < 4000; ++step) {
    const TypeParam key = Key<TypeParam>(static_cast<int>(random() % 800));
    const auto found = model.find(key);
    if (step == 2600) {
      map.RemoveAll();
      model.clear();
    } else if (random() % 100 < (step < 2400 ? 60u : 35u)) {
      bool inserted = false;
      map.GetOrInsert(key, &inserted)->value.value = step;
      ASSERT_EQ(inserted, found == model.end()) << step;
      model[key] = {Map::HashOf(key), inserted ? sequence++ : found->second.sequence, step};
      if (map.GetBucketCount() != bucketCount) {
        // Growth re-inserts every association in the order it iterated before.
        for (const TypeParam& k : ModelOrder(bucketCount, model)) model[k].sequence = sequence++;
        bucketCount = map.GetBucketCount();
      }
    } else {
      ASSERT_EQ(map.Remove(key), found != model.end()) << step;
      if (found != model.end()) model.erase(found);
    }
    ASSERT_EQ(map.GetCount(), model.size()) << step;
    ASSERT_EQ(SCounted::live, static_cast<int>(model.size())) << step;
    const std::vector<TypeParam> expected = ModelOrder(bucketCount, model);
    std::vector<TypeParam> order;
    for (const auto& association : map) {
      order.push_back(association.key);
      ASSERT_EQ(map.Lookup(association.key)->value.value, model.at(association.key).value) << step;
    }
    ASSERT_EQ(order, expected) << step;
    ASSERT_EQ(map.GetHeadBucket(),
              expected.empty() ? Map::kNoBucket : model[expected[0]].hash & (bucketCount - 1))
        << step;
  }
  EXPECT_GE(map.GetBucketCount(), 1024u);
  Map moved(std::move(map));
  EXPECT_EQ(moved.GetCount(), model.size());
  map[Key<TypeParam>(1)].value = 1;  // a moved-from map is usable again
  moved = std::move(map);            // and the target's old values go
  EXPECT_EQ(SCounted::live, 1);
}

// Narrow strings: h * 33 + each byte as a signed char, which the map takes in steps of
// eight and four bytes; statistics keys: 64-bit FNV-1a.
TEST(CbMapTest, HashesByTheirDefinitions) {
  const std::string text = "the quick \xC3\xA9\xC3\xA9 brown fox jumps over";
  std::uint64_t h = 0;  // of the first n bytes
  for (std::size_t n = 0; n < text.size(); ++n) {
    EXPECT_EQ((CbMap<std::string, int>::HashOf(text.substr(0, n))), h) << n;
    h = h * 33 + std::uint64_t(std::int64_t(static_cast<signed char>(text[n])));
  }
  EXPECT_EQ((CbMap<std::wstring, int>::HashOf(L"\u00e9\U0001F600")),  // by wchar_t unit
            sizeof(wchar_t) == 2 ? (233u * 33 + 0xD83D) * 33 + 0xDE00 : 233u * 33 + 0x1F600);
  EXPECT_EQ((CbMap<std::string, int, CbFnv1aHash>::HashOf("a")), 0xaf63dc4c8601ec8cull);
}

struct SBoth : std::string, SCounted {};

TEST(CbMapTest, LooksUpByViewsAndByPointersToDerivedObjects) {
  CbMap<std::string, int> map;
  const std::string_view text = "alphabet";
  map.GetOrInsert(text.substr(0, 3))->value = 2;
  EXPECT_EQ(map.Lookup("alp")->key, "alp");
  EXPECT_EQ(map.Lookup(text), nullptr);
  SBoth both;  // its SCounted part lies at another address
  CbMap<const SCounted*, int> pointers;
  pointers[&both] = 4;
  ASSERT_NE(static_cast<const void*>(&both), static_cast<const SCounted*>(&both));
  EXPECT_TRUE(pointers.Remove(&both));
}

TEST(CbListTest, AddsAtBothEndsRemovesAnywhereAndDestroysEachValueOnce) {
  SCounted::live = 0;
  {
    CbList<SCounted> list;
    for (int i = 1; i <= 12; ++i) list.AddTail(SCounted(i));  // more than one block of nodes
    list.AddHead(SCounted(0));
    list.Remove(list.GetAt(4));
    list.Remove(list.GetHead());
    list.Remove(list.GetTail());
    std::vector<int> forward, backward;  // both directions must agree
    for (auto* n = list.GetHead(); n; n = n->next) forward.push_back(n->value.value);
    for (auto* n = list.GetTail(); n; n = n->previous) backward.push_back(n->value.value);
    EXPECT_EQ(forward, (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(std::vector<int>(backward.rbegin(), backward.rend()), forward);
    list.RemoveAll();
    EXPECT_EQ(SCounted::live, 0);
    list.AddHead(SCounted(30));  // an emptied list takes new values
  }
  EXPECT_EQ(SCounted::live, 0);
}

}  // namespace
