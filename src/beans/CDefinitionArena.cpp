#include "beans/CDefinitionArena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace Ostrel {

namespace {
constexpr std::size_t kFirstBlock = 1024;
constexpr std::size_t kLargestBlock = 64 * 1024;
}  // namespace

CDefinitionArena::CDefinitionArena() : m_nextBlock(kFirstBlock) {}

CDefinitionArena::~CDefinitionArena() {
  while (m_last != nullptr) {
    std::byte* block = m_last;
    std::memcpy(&m_last, block, sizeof m_last);
    delete[] block;
  }
}

SBeanDefinition* CDefinitionArena::Add(SBeanDefinition&& definition) {
  void* place = allocate(sizeof(SBeanDefinition), alignof(SBeanDefinition));
  return new (place) SBeanDefinition(std::move(definition));
}

void* CDefinitionArena::do_allocate(std::size_t bytes, std::size_t alignment) {
  const std::size_t skip =
      (alignment - reinterpret_cast<std::uintptr_t>(m_next) % alignment) % alignment;
  if (m_next == nullptr || skip + bytes > m_left) {
    // A request larger than a block gets a block of its own size.
    const std::size_t size = std::max(m_nextBlock, sizeof m_last + bytes + alignment);
    std::byte* block = new std::byte[size];
    std::memcpy(block, &m_last, sizeof m_last);
    m_last = block;
    m_blockBytes += size;
    m_next = block + sizeof m_last;
    m_left = size - sizeof m_last;
    m_nextBlock = std::min(m_nextBlock * 2, kLargestBlock);
    return do_allocate(bytes, alignment);
  }
  void* result = m_next + skip;
  m_next += skip + bytes;
  m_left -= skip + bytes;
  return result;
}

}  // namespace Ostrel
