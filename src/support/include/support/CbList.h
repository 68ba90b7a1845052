// CbList<T>: a doubly linked list whose nodes come from a block pool of its own (first
// block 10 nodes, growing by half). No lock: owners serialise access.
#pragma once

#include <cstdint>
#include <iterator>
#include <new>
#include <utility>

#include <tamarack/CbSmartPointer.h>

#include "support/CbNodeLinked.h"
#include "support/CbPlexManager.h"

template <class T>
class CbList {
public:
  using Node = CbNodeLinked<T, 1>;
  using Pool = CbPlexManager<Node, 0, 0, unsigned int>;

  CbList() : m_pool(new Pool(kBlockSize)) {}
  CbList(const CbList&) = delete;
  CbList& operator=(const CbList&) = delete;
  CbList(CbList&& other) noexcept
      : m_head(other.m_head), m_tail(other.m_tail), m_pool(std::move(other.m_pool)),
        m_count(other.m_count) {
    other.m_head = other.m_tail = nullptr;
    other.m_count = 0;
  }
  CbList& operator=(CbList&& other) noexcept {
    if (this != &other) {
      RemoveAll();
      std::swap(m_head, other.m_head);
      std::swap(m_tail, other.m_tail);
      std::swap(m_pool, other.m_pool);
      std::swap(m_count, other.m_count);
    }
    return *this;
  }
  ~CbList() { RemoveAll(); }

  template <class U>
  T& AddHead(U&& value) {
    Node* node = NewNode(std::forward<U>(value));
    node->next = m_head;
    (m_head != nullptr ? m_head->previous : m_tail) = node;
    m_head = node;
    ++m_count;
    return node->value;
  }

  template <class U>
  T& AddTail(U&& value) {
    Node* node = NewNode(std::forward<U>(value));
    node->previous = m_tail;
    (m_tail != nullptr ? m_tail->next : m_head) = node;
    m_tail = node;
    ++m_count;
    return node->value;
  }

  // Unlinks and destroys `node`, which must belong to this list.
  void Remove(Node* node) {
    (node->previous != nullptr ? node->previous->next : m_head) = node->next;
    (node->next != nullptr ? node->next->previous : m_tail) = node->previous;
    --m_count;
    node->~Node();
    m_pool->ReturnElement(node);
  }

  void RemoveAll() {
    while (m_head != nullptr) {
      Remove(m_head);
    }
  }

  Node* GetHead() const { return m_head; }
  Node* GetTail() const { return m_tail; }
  std::uint32_t GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }

  // The node at `index` from the head, or null.
  Node* GetAt(std::uint32_t index) const {
    Node* node = m_head;
    for (; node != nullptr && index > 0; --index) node = node->next;
    return node;
  }

  class iterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;
    explicit iterator(Node* node = nullptr) : m_node(node) {}
    T& operator*() const { return m_node->value; }
    T* operator->() const { return &m_node->value; }
    iterator& operator++() {
      m_node = m_node->next;
      return *this;
    }
    bool operator==(const iterator& o) const { return m_node == o.m_node; }
    bool operator!=(const iterator& o) const { return m_node != o.m_node; }

  private:
    Node* m_node;
  };
  iterator begin() const { return iterator(m_head); }
  iterator end() const { return iterator(); }

private:
  static constexpr unsigned kBlockSize = 10;

  template <class U>
  Node* NewNode(U&& value) {
    if (!m_pool) {
      m_pool = new Pool(kBlockSize);  // a moved-from list gets a pool of its own again
    }
    void* slot = m_pool->GetFreeElement();
    try {
      return new (slot) Node(std::forward<U>(value));
    } catch (...) {
      m_pool->ReturnElement(slot);
      throw;
    }
  }

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  CbSmartPointer<Pool> m_pool;
  std::uint32_t m_count = 0;
};
