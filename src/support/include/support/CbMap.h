// CbMap<K, V>: a hash map whose associations come from a block pool. Iteration runs
// through the buckets in ascending index and, within a bucket, from the most recently
// inserted association (growth re-inserts every association in the order it iterated
// before); callers rely on that order (release order of singletons and
// the like). Lookups compare the stored 64-bit hash before the key. No lock: owners
// serialise access. String-keyed maps accept `const char*` and string views for lookups
// without building a key.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "support/CbMapHash.h"
#include "support/CbPlexManager.h"

namespace CbMapTypes {

template <class K, class V>
struct SAssociation {
  template <class Q>
  explicit SAssociation(const Q& k) : key(k), value() {}

  // What a lookup reads comes first, so that it shares a cache line with the key.
  SAssociation* bucketNext = nullptr;  // same bucket
  std::uint64_t hash = 0;
  SAssociation* next = nullptr;  // iteration order
  K key;
  V value;
};

}  // namespace CbMapTypes

template <class K, class V, class H = CbMapHash<K>>
class CbMap {
public:
  using Association = CbMapTypes::SAssociation<K, V>;
  static constexpr std::uint32_t kNoBucket = 0xFFFFFFFFu;

  // Bucket count: the largest power of two not above `hashSize`.
  explicit CbMap(std::uint32_t hashSize = 128) : m_plex(kBlockSize) {
    std::uint32_t count = 1;
    while (count <= hashSize / 2) {
      count *= 2;
    }
    m_bucketCount = count;
    m_mask = count - 1;
  }

  // The moved-from map is left empty with 128 buckets, ready for use.
  CbMap(CbMap&& other) noexcept : CbMap(128) { Swap(other); }
  CbMap& operator=(CbMap&& other) noexcept {
    if (this != &other) {
      CbMap taken(std::move(other));
      Swap(taken);
    }
    return *this;
  }
  CbMap(const CbMap&) = delete;
  CbMap& operator=(const CbMap&) = delete;

  ~CbMap() { Clear(); }

  // The association of `key`, or null.
  template <class Q>
  Association* Lookup(const Q& key) const {
    if (m_count == 0) {
      return nullptr;
    }
    const std::uint64_t h = HashOf(key);
    for (Association* a = m_buckets[h & m_mask]; a != nullptr; a = a->bucketNext) {
      if (a->hash == h && Equal(a->key, key)) {
        return a;
      }
    }
    return nullptr;
  }

  // The association of `key`, inserted with a default value when new.
  template <class Q>
  Association* GetOrInsert(const Q& key, bool* inserted = nullptr) {
    const std::uint64_t h = HashOf(key);
    std::uint32_t b = static_cast<std::uint32_t>(h & m_mask);
    if (m_count != 0) {
      for (Association* a = m_buckets[b]; a != nullptr; a = a->bucketNext) {
        if (a->hash == h && Equal(a->key, key)) {
          if (inserted != nullptr) *inserted = false;
          return a;
        }
      }
    }
    if (m_buckets == nullptr) {
      m_buckets = NewBuckets(m_bucketCount);
    }
    void* slot = m_plex.GetFreeElement();
    Association* a;
    try {
      a = new (slot) Association(key);
    } catch (...) {
      m_plex.ReturnElement(slot);
      throw;
    }
    a->hash = h;
    LinkForIteration(a, b);
    a->bucketNext = m_buckets[b];
    m_buckets[b] = a;
    ++m_count;
    if (std::uint64_t{m_count} * 4 >= std::uint64_t{m_bucketCount} * 3) {
      Grow();
    }
    if (inserted != nullptr) *inserted = true;
    return a;
  }

  V& operator[](const K& key) { return GetOrInsert(key)->value; }

  // Removes `key`; false when it was not there.
  template <class Q>
  bool Remove(const Q& key) {
    if (m_buckets == nullptr || m_count == 0) {
      return false;
    }
    const std::uint64_t h = HashOf(key);
    const std::uint32_t b = static_cast<std::uint32_t>(h & m_mask);
    Association* previous = nullptr;
    Association* a = m_buckets[b];
    while (a != nullptr && !(a->hash == h && Equal(a->key, key))) {
      previous = a;
      a = a->bucketNext;
    }
    if (a == nullptr) {
      return false;
    }
    if (previous != nullptr) {
      previous->next = a->next;
      previous->bucketNext = a->bucketNext;
    } else {
      if (b != m_head) {
        LastOfBucketBelow(b)->next = a->next;
      } else if (m_count == 1) {
        m_head = kNoBucket;
      } else if (a->bucketNext == nullptr) {
        m_head = static_cast<std::uint32_t>(a->next->hash & m_mask);
      }
      m_buckets[b] = a->bucketNext;
    }
    Destroy(a);
    --m_count;
    return true;
  }

  // Removes every association, in iteration order.
  void RemoveAll() {
    for (Association* a = GetFirst(); a != nullptr;) {
      Association* next = a->next;
      Destroy(a);
      a = next;
    }
    if (m_buckets != nullptr) {
      std::memset(m_buckets, 0, sizeof(Association*) * m_bucketCount);
    }
    m_count = 0;
    m_head = kNoBucket;
  }

  Association* GetFirst() const { return m_head == kNoBucket ? nullptr : m_buckets[m_head]; }
  static Association* GetNext(const Association* a) { return a->next; }

  std::uint32_t GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  std::uint32_t GetBucketCount() const { return m_bucketCount; }
  std::uint32_t GetHeadBucket() const { return m_head; }
  std::uint32_t GetBlockCount() const { return m_plex.GetBlockCount(); }
  std::uint32_t GetNextBlockSize() const { return m_plex.GetNextBlockSize(); }

  void Swap(CbMap& other) noexcept {
    m_plex.Swap(other.m_plex);
    std::swap(m_buckets, other.m_buckets);
    std::swap(m_count, other.m_count);
    std::swap(m_bucketCount, other.m_bucketCount);
    std::swap(m_mask, other.m_mask);
    std::swap(m_head, other.m_head);
  }

  class iterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Association;
    using difference_type = std::ptrdiff_t;
    using pointer = Association*;
    using reference = Association&;
    explicit iterator(Association* a = nullptr) : m_a(a) {}
    Association& operator*() const { return *m_a; }
    Association* operator->() const { return m_a; }
    iterator& operator++() {
      m_a = m_a->next;
      return *this;
    }
    bool operator==(const iterator& o) const { return m_a == o.m_a; }
    bool operator!=(const iterator& o) const { return m_a != o.m_a; }

  private:
    Association* m_a;
  };
  iterator begin() const { return iterator(GetFirst()); }
  iterator end() const { return iterator(); }

  // The hash the map uses for `key`.
  template <class Q>
  static std::uint64_t HashOf(const Q& key) {
    if constexpr (std::is_pointer<K>::value) {
      // Converted to the key type first: a pointer to a derived object may hold
      // another address than its base part, which is what the map stores.
      const std::remove_pointer_t<K>* asKey = key;
      return H::Hash(static_cast<const void*>(asKey));
    } else {
      return H::Hash(View(key));
    }
  }

private:
  // Associations of the first pool block. Small: most maps hold a few entries, and a
  // block of a hundred would cost kilobytes each; blocks grow by half each time, so a
  // large map still takes few allocations.
  static constexpr std::uint32_t kBlockSize = 4;

  template <class Q>
  static auto View(const Q& key) {
    if constexpr (std::is_same<K, std::wstring>::value) {
      return std::wstring_view(key);
    } else {
      return std::string_view(key);
    }
  }

  template <class Q>
  static bool Equal(const K& stored, const Q& key) {
    if constexpr (std::is_pointer<K>::value) {
      return stored == key;
    } else {
      return View(stored) == View(key);
    }
  }

  static Association** NewBuckets(std::uint32_t count) {
    return new Association*[count]();
  }

  // The last association of the nearest non-empty bucket below `b`; there is one
  // whenever b is above the head bucket.
  Association* LastOfBucketBelow(std::uint32_t b) const {
    std::uint32_t i = b;
    do {
      --i;
    } while (m_buckets[i] == nullptr);
    Association* last = m_buckets[i];
    while (last->bucketNext != nullptr) {
      last = last->bucketNext;
    }
    return last;
  }

  void LinkForIteration(Association* a, std::uint32_t b) {
    if (m_count == 0) {
      a->next = nullptr;
      m_head = b;
    } else if (b <= m_head) {
      a->next = m_buckets[m_head];
      m_head = b;
    } else {
      Association* predecessor = LastOfBucketBelow(b);
      a->next = predecessor->next;
      predecessor->next = a;
    }
  }

  // Doubles the buckets. Every association is taken in the old iteration order and
  // pushed at the front of its new bucket, so it counts as re-inserted: within a bucket
  // the association re-inserted last comes first. Then the iteration links are rebuilt,
  // buckets ascending, each chain front to back.
  void Grow() {
    const std::uint32_t oldCount = m_bucketCount;
    const std::uint32_t newCount = oldCount * 2;
    const std::uint32_t mask = newCount - 1;
    Association** buckets = NewBuckets(newCount);
    std::uint32_t head = kNoBucket;
    // The old iteration order is the old buckets ascending, each chain front to back.
    for (std::uint32_t b = 0; b < oldCount; ++b) {
      for (Association* a = m_buckets[b]; a != nullptr;) {
        Association* following = a->bucketNext;
        const std::uint32_t target = static_cast<std::uint32_t>(a->hash & mask);
        a->bucketNext = buckets[target];
        buckets[target] = a;
        if (target < head) head = target;
        a = following;
      }
    }
    Association* last = nullptr;
    for (std::uint32_t b = head; b < newCount; ++b) {
      Association* a = buckets[b];
      if (a == nullptr) continue;
      if (last != nullptr) last->next = a;
      for (; a->bucketNext != nullptr; a = a->bucketNext) a->next = a->bucketNext;
      last = a;
    }
    if (last != nullptr) last->next = nullptr;
    delete[] m_buckets;
    m_buckets = buckets;
    m_bucketCount = newCount;
    m_mask = mask;
    m_head = head;
  }

  void Destroy(Association* a) {
    a->~Association();
    m_plex.ReturnElement(a);
  }

  void Clear() {
    RemoveAll();
    delete[] m_buckets;
    m_buckets = nullptr;
  }

  CbPlexManager<Association, 0, 0, unsigned int> m_plex;
  Association** m_buckets = nullptr;
  std::uint32_t m_count = 0;
  std::uint32_t m_bucketCount = 0;
  std::uint32_t m_mask = 0;
  std::uint32_t m_head = kNoBucket;
};
