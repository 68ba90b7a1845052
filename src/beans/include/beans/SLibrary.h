// SLibrary: a library of a configuration: its path as written and the bean definitions
// read for it. Neither a record nor a definition moves once it is made (definitions are
// only appended), so bean configurations refer to them.
// Not synchronised: the owner of its definition set serialises access (a factory, under
// its lock); a definition is read without that lock through the references to it, which
// stay valid.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include <ostrel/BeanTypes.h>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

// The definitions of a library record in reading order. Each lives in the memory of the
// load that read it (CDefinitionArena, kept by the definition set that holds the
// record); the list holds their addresses and destroys them with itself, before the
// arena frees their memory.
class CDefinitionList {
public:
  template <class T, class Base>
  class Iterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = SBeanDefinition;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T&;
    explicit Iterator(Base at) : m_at(at) {}
    T& operator*() const { return **m_at; }
    T* operator->() const { return *m_at; }
    Iterator& operator++() {
      ++m_at;
      return *this;
    }
    bool operator==(const Iterator& other) const { return m_at == other.m_at; }
    bool operator!=(const Iterator& other) const { return m_at != other.m_at; }

  private:
    Base m_at;
  };
  using iterator = Iterator<SBeanDefinition, std::vector<SBeanDefinition*>::const_iterator>;
  using const_iterator =
      Iterator<const SBeanDefinition, std::vector<SBeanDefinition*>::const_iterator>;

  CDefinitionList() = default;
  ~CDefinitionList() {
    for (SBeanDefinition* definition : m_items) definition->~SBeanDefinition();
  }
  CDefinitionList(const CDefinitionList&) = delete;
  CDefinitionList& operator=(const CDefinitionList&) = delete;

  // Takes over a definition made in an arena that outlives this list.
  void Append(SBeanDefinition* definition) { m_items.push_back(definition); }
  // Moves the definitions of `other` after its first `keep` to the end of this list.
  void TakeTail(CDefinitionList& other, std::size_t keep = 0) {
    if (other.m_items.size() <= keep) return;
    m_items.insert(m_items.end(), other.m_items.begin() + keep, other.m_items.end());
    other.m_items.resize(keep);
  }

  std::size_t size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  SBeanDefinition& operator[](std::size_t i) { return *m_items[i]; }
  const SBeanDefinition& operator[](std::size_t i) const { return *m_items[i]; }
  const SBeanDefinition& at(std::size_t i) const { return *m_items.at(i); }
  const SBeanDefinition& front() const { return *m_items.front(); }
  const SBeanDefinition& back() const { return *m_items.back(); }
  iterator begin() { return iterator(m_items.begin()); }
  iterator end() { return iterator(m_items.end()); }
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

private:
  std::vector<SBeanDefinition*> m_items;
};

struct SLibrary {
  std::string path;  // first member: requesting libraries are compared by it
  CDefinitionList beans;
  // Where a relative path is looked for first, in order: the folder of the configuration
  // file that named the library, then the folders of the load's plug-in path.
  std::vector<std::string> searchFolders;
};

// Adds `folder` to the record's search folders unless it is there already.
inline void AddSearchFolder(SLibrary& library, const std::string& folder) {
  for (const std::string& known : library.searchFolders) {
    if (known == folder) return;
  }
  library.searchFolders.push_back(folder);
}

}  // namespace Ostrel
