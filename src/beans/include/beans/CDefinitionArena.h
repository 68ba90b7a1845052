// CDefinitionArena: the memory of one load's definitions: the definition records and
// their argument and property arrays, handed out from blocks that are freed together
// when the arena goes (nothing is freed before). The first block is small, so a load of
// one bean keeps about one kilobyte; blocks double up to a cap, so a large load takes
// few of them. Not thread-safe: used while one load is read, then only destroyed.
#pragma once

#include <cstddef>
#include <memory_resource>

#include "beans/SBeanDefinition.h"

namespace Ostrel {

class CDefinitionArena final : public std::pmr::memory_resource {
public:
  CDefinitionArena();
  ~CDefinitionArena() override;
  CDefinitionArena(const CDefinitionArena&) = delete;
  CDefinitionArena& operator=(const CDefinitionArena&) = delete;

  // `definition` moved into the arena; it stays at that address until its record list
  // destroys it (CDefinitionList), before the arena goes.
  SBeanDefinition* Add(SBeanDefinition&& definition);

  // Bytes of the blocks taken from the heap.
  std::size_t GetBlockBytes() const { return m_blockBytes; }

private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void*, std::size_t, std::size_t) override {}  // freed with the arena
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  // Each block begins with the address of the block taken before it.
  std::byte* m_last = nullptr;
  std::byte* m_next = nullptr;
  std::size_t m_left = 0;
  std::size_t m_nextBlock;  // size of the next block
  std::size_t m_blockBytes = 0;
};

}  // namespace Ostrel
