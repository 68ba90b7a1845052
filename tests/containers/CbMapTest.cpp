// CbMap: hash values, bucket and iteration order (checked against a model through
// random edits), growth, the association pool, value lifetimes and lookups by
// `const char*` and string views.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "Counted.h"
#include "support/CbMap.h"

namespace {

// Distinct keys of each key type, by index.
template <class K>
struct Keys;
template <>
struct Keys<std::string> {
  static std::string Make(int i) { return "key/" + std::to_string(i * 7919) + "\xC3\xA9"; }
};
template <>
struct Keys<std::wstring> {
  static std::wstring Make(int i) { return L"wide\u00e9/" + std::to_wstring(i); }
};
template <>
struct Keys<const int*> {
  static const int* Make(int i) {
    static int storage[4096];
    return &storage[i];
  }
};

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
  std::vector<std::pair<const K*, const SModelEntry*>> order;
  for (const auto& [key, entry] : model) order.emplace_back(&key, &entry);
  const std::uint64_t mask = bucketCount - 1;
  std::sort(order.begin(), order.end(), [mask](const auto& a, const auto& b) {
    const std::uint64_t ba = a.second->hash & mask, bb = b.second->hash & mask;
    return ba != bb ? ba < bb : a.second->sequence > b.second->sequence;
  });
  std::vector<K> keys;
  for (const auto& entry : order) keys.push_back(*entry.first);
  return keys;
}

template <class Map>
auto Order(const Map& map) {
  std::vector<std::decay_t<decltype(map.GetFirst()->key)>> keys;
  for (const auto& association : map) keys.push_back(association.key);
  return keys;
}

template <class K>
class CbMapTypedTest : public ::testing::Test {
protected:
  using Map = CbMap<K, SCounted>;
  void SetUp() override { SCounted::live = 0; }
  void TearDown() override { EXPECT_EQ(SCounted::live, 0); }
};
using KeyTypes = ::testing::Types<std::string, std::wstring, const int*>;
TYPED_TEST_SUITE(CbMapTypedTest, KeyTypes);

TYPED_TEST(CbMapTypedTest, RandomEditsKeepContentsAndOrderOfModel) {
  using Map = typename TestFixture::Map;
  Map map;
  std::map<TypeParam, SModelEntry> model;
  std::mt19937 random(20240611);
  std::uint64_t sequence = 0;
  std::uint32_t bucketCount = map.GetBucketCount();
  for (int step = 0; step < 4000; ++step) {
    const TypeParam key = Keys<TypeParam>::Make(static_cast<int>(random() % 800));
    const auto found = model.find(key);
    if (step == 2600) {
      map.RemoveAll();
      model.clear();
    } else if (random() % 100 < (step < 2400 ? 60u : 35u)) {
      bool inserted = false;
      map.GetOrInsert(key, &inserted)->value.value = step;
      ASSERT_EQ(inserted, found == model.end()) << step;
      if (inserted) {
        model[key] = SModelEntry{Map::HashOf(key), sequence++, step};
        if (map.GetBucketCount() != bucketCount) {
          // Growth re-inserts every association in the order it iterated before.
          for (const TypeParam& k : ModelOrder(bucketCount, model)) model[k].sequence = sequence++;
          bucketCount = map.GetBucketCount();
        }
      } else {
        found->second.value = step;
      }
    } else {
      ASSERT_EQ(map.Remove(key), found != model.end()) << step;
      if (found != model.end()) model.erase(found);
    }
    ASSERT_EQ(map.GetCount(), model.size()) << step;
    ASSERT_EQ(SCounted::live, static_cast<int>(model.size())) << step;
    const std::vector<TypeParam> expected = ModelOrder(map.GetBucketCount(), model);
    ASSERT_EQ(Order(map), expected) << step;
    ASSERT_EQ(map.GetHeadBucket(),
              expected.empty() ? Map::kNoBucket : model[expected[0]].hash & (map.GetBucketCount() - 1))
        << step;
    if (step % 97 == 0) {
      for (const auto& [k, entry] : model) ASSERT_EQ(map.Lookup(k)->value.value, entry.value) << step;
    }
  }
  EXPECT_GE(map.GetBucketCount(), 1024u);
}

TYPED_TEST(CbMapTypedTest, GrowsAtThe96thInsertionInto128Buckets) {
  using Map = typename TestFixture::Map;
  Map map(128);
  std::map<TypeParam, SModelEntry> model;
  for (int i = 0; i < 96; ++i) {
    EXPECT_EQ(map.GetBucketCount(), 128u) << i;
    const TypeParam key = Keys<TypeParam>::Make(i);
    map[key].value = i;
    model[key] = SModelEntry{Map::HashOf(key), std::uint64_t(i), i};
  }
  EXPECT_EQ(map.GetBucketCount(), 256u);
  // Growth re-inserted every association in its order before, so within a bucket the
  // one that iterated last before comes first now.
  std::uint64_t sequence = 96;
  for (const TypeParam& k : ModelOrder(128, model)) model[k].sequence = sequence++;
  EXPECT_EQ(Order(map), ModelOrder(256, model));
  EXPECT_EQ(SCounted::live, 96);
  for (int i = 0; i < 96; ++i) EXPECT_EQ(map.Lookup(Keys<TypeParam>::Make(i))->value.value, i);
}

TYPED_TEST(CbMapTypedTest, MovedAndSwappedMapsKeepTheirAssociationsOnce) {
  using Map = typename TestFixture::Map;
  Map a;
  for (int i = 0; i < 300; ++i) a[Keys<TypeParam>::Make(i)].value = i;
  Map b(std::move(a));
  EXPECT_EQ(b.Lookup(Keys<TypeParam>::Make(299))->value.value, 299);
  EXPECT_EQ(a.GetCount(), 0u);  // empty and usable again
  for (int i = 0; i < 200; ++i) a[Keys<TypeParam>::Make(1000 + i)].value = i;
  a.Swap(b);
  EXPECT_EQ(a.GetCount(), 300u);
  EXPECT_EQ(b.Lookup(Keys<TypeParam>::Make(1199))->value.value, 199);
  b = std::move(a);
  EXPECT_EQ(b.GetCount(), 300u);
  EXPECT_EQ(SCounted::live, 300);
}

using StringMap = CbMap<std::string, int>;

TEST(CbMapTest, HashesNarrowBytesSignedWideUnitsAndPointersByFnv1a) {
  EXPECT_EQ(StringMap::HashOf("abc"), ((97u * 33 + 98) * 33 + 99));
  EXPECT_EQ(StringMap::HashOf(std::string("\xC3\xA9\xC3\xA9\xC3\xA9")), 0xffffffff6b6c1064ull);
  // 0xC3 0xA9 count as -61 and -87: -61 * 33 - 87, not 195 * 33 + 169 = 6604.
  EXPECT_EQ(StringMap::HashOf("\xC3\xA9"), std::uint64_t{0} - 2100);
  EXPECT_EQ(StringMap::HashOf("the quick brown fox jumps over"), 0xf69d3dfd4af551beull);
  EXPECT_EQ((CbMap<std::wstring, int>::HashOf(L"abc")), 108966u);
  EXPECT_EQ((CbMap<std::wstring, int>::HashOf(L"\u00e9\U0001F600")), 233u * 33 + 0x1F600);
  using FnvMap = CbMap<std::string, int, CbFnv1aHash>;
  EXPECT_EQ(FnvMap::HashOf(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(FnvMap::HashOf("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(FnvMap::HashOf(std::string_view("foobar")), 0x85944171f73967e8ull);
  const std::uint64_t address = 0x0102030405060708ull;  // bytes 08 07 ... 01 in memory
  EXPECT_EQ((CbMap<const int*, int>::HashOf(reinterpret_cast<const int*>(address))),
            0x0c6d4496e17859d5ull);

  FnvMap statistics;
  statistics["foobar"] = 7;
  EXPECT_EQ(statistics.GetHeadBucket(), 0x85944171f73967e8ull & 127);
  EXPECT_EQ(statistics.Lookup("foobar")->value, 7);
}

// The `skip`-th of the keys "k0", "k1", ... that fall into `bucket` of 128.
std::string KeyInBucket(std::uint32_t bucket, int skip = 0) {
  for (int i = 0;; ++i) {
    std::string key = "k" + std::to_string(i);
    if ((StringMap::HashOf(key) & 127) == bucket && skip-- == 0) return key;
  }
}

TEST(CbMapTest, IteratesBucketsUpwardNewestFirstAndTracksTheHeadBucket) {
  EXPECT_EQ(StringMap(100).GetBucketCount(), 64u);
  EXPECT_EQ(StringMap(128).GetBucketCount(), 128u);
  const std::string first = KeyInBucket(5), second = KeyInBucket(2), third = KeyInBucket(5, 1);
  StringMap map;
  EXPECT_EQ(map.GetHeadBucket(), StringMap::kNoBucket);
  map[first] = 1;
  map[second] = 2;
  map[third] = 3;
  EXPECT_EQ(Order(map), (std::vector<std::string>{second, third, first}));
  EXPECT_EQ(map.GetHeadBucket(), 2u);
  std::vector<int> values;
  for (auto* a = map.GetFirst(); a != nullptr; a = StringMap::GetNext(a)) values.push_back(a->value);
  EXPECT_EQ(values, (std::vector<int>{2, 3, 1}));

  EXPECT_TRUE(map.Remove(second));  // the head bucket's last association
  EXPECT_EQ(map.GetHeadBucket(), 5u);
  EXPECT_TRUE(map.Remove(third));  // the front of the head bucket
  EXPECT_EQ(map.GetHeadBucket(), 5u);
  EXPECT_FALSE(map.Remove(third));
  EXPECT_TRUE(map.Remove(first));
  EXPECT_EQ(map.GetHeadBucket(), StringMap::kNoBucket);
  EXPECT_EQ(map.GetFirst(), nullptr);

  map[KeyInBucket(9)] = 9;
  EXPECT_EQ(map.GetHeadBucket(), 9u);
}

TEST(CbMapTest, PoolBlocksHold128Then192Then288Then432Associations) {
  StringMap map;
  std::vector<std::uint32_t> blocksAfter;
  for (int i = 1; i <= 1041; ++i) {
    map["p" + std::to_string(i)] = i;
    if (i == 128 || i == 129 || i == 320 || i == 321 || i == 608 || i == 609 || i == 1040 || i == 1041) {
      blocksAfter.push_back(map.GetBlockCount());
    }
  }
  EXPECT_EQ(blocksAfter, (std::vector<std::uint32_t>{1, 2, 2, 3, 3, 4, 4, 5}));
  EXPECT_EQ(map.GetNextBlockSize(), 972u);
}

TEST(CbMapTest, RemovedAssociationsAreReusedLastFirstWithoutNewBlocks) {
  StringMap map;
  std::vector<StringMap::Association*> slots;
  for (int i = 0; i < 128; ++i) slots.push_back(map.GetOrInsert("r" + std::to_string(i)));
  map.Remove("r10");
  map.Remove("r77");
  EXPECT_EQ(map.GetOrInsert("fresh one"), slots[77]);
  EXPECT_EQ(map.GetOrInsert("fresh two"), slots[10]);
  EXPECT_EQ(map.GetBlockCount(), 1u);
  map.RemoveAll();
  for (int i = 0; i < 128; ++i) map["again" + std::to_string(i)];
  EXPECT_EQ(map.GetBlockCount(), 1u);
}

TEST(CbMapTest, OwningValuesAreDeletedOnRemovalAndDestruction) {
  SCounted::live = 0;
  {
    CbMap<std::string, std::unique_ptr<SCounted>> map;
    for (int i = 0; i < 200; ++i) map["o" + std::to_string(i)] = std::make_unique<SCounted>(i);
    EXPECT_EQ(SCounted::live, 200);
    EXPECT_TRUE(map.Remove("o5"));
    EXPECT_EQ(SCounted::live, 199);
    EXPECT_EQ(map.Lookup("o6")->value->value, 6);
  }
  EXPECT_EQ(SCounted::live, 0);
}

TEST(CbMapTest, LooksUpStringKeysByPointerAndView) {
  StringMap map;
  map["alpha"] = 1;
  bool inserted = true;
  const std::string_view text = "alphabet";
  EXPECT_EQ(map.GetOrInsert(text.substr(0, 5), &inserted)->value, 1);
  EXPECT_FALSE(inserted);
  map.GetOrInsert(text.substr(0, 3), &inserted)->value = 2;
  EXPECT_TRUE(inserted);
  EXPECT_EQ(map.Lookup(std::string("alp"))->value, 2);
  EXPECT_EQ(map.Lookup("alp")->key, "alp");
  EXPECT_EQ(map.Lookup(text), nullptr);
  const char* pointer = "alpha";
  EXPECT_TRUE(map.Remove(pointer));
  EXPECT_EQ(map.GetCount(), 1u);

  CbMap<std::wstring, std::wstring> wide;
  wide[L"schl\u00fcssel"] = L"wert";
  EXPECT_EQ(wide.Lookup(L"schl\u00fcssel")->value, L"wert");
  EXPECT_EQ(wide.Lookup(std::wstring_view(L"schl\u00fcssel2", 9))->value, L"wert");
}

struct SLeft {
  int left = 0;
};
struct SRight {
  int right = 0;
};
struct SBoth : SLeft, SRight {};

TEST(CbMapTest, FindsPointerKeysThroughPointersToDerivedObjects) {
  SBoth both;
  CbMap<const SRight*, int> map;
  map[&both] = 1;  // stored as the address of the SRight part
  EXPECT_NE(static_cast<const void*>(&both), static_cast<const SRight*>(&both));
  ASSERT_NE(map.Lookup(&both), nullptr);
  EXPECT_EQ(map.Lookup(static_cast<SRight*>(&both))->value, 1);
  EXPECT_TRUE(map.Remove(&both));
  EXPECT_EQ(map.Lookup(&both), nullptr);
}

}  // namespace
