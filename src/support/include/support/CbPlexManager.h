// CbPlexManager<T, flag, 0, unsigned int>: a block pool of raw element slots. Blocks grow
// by the factor 1.5 from the initial size (or have a fixed size); slots given back are
// reused first; memory goes back to the heap only when the pool is destroyed. With flag
// 1 every take and give-back is locked, with flag 0 the owner serialises access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include <tamarack/CbException.h>
#include <tamarack/CbExceptionOutOfMemory.h>
#include <tamarack/IReferenceCounted.h>

#include "platform/AlignedMemory.h"
#include "support/CbCriticalSectionPolicy.h"
#include "support/CbTypeName.h"
#include "support/INonCopyable.h"

template <class T, int ThreadSafe, int Reserved = 0, class SizeType = unsigned int>
class CbPlexManager : public INonCopyable,
                      public IReferenceCounted,
                      public CbCriticalSectionPolicy<ThreadSafe> {
  static_assert(ThreadSafe == 0 || ThreadSafe == 1, "thread-safety flag is 0 or 1");

public:
  // `initialBlockSize` elements in the first block; `fixedBlockSize`, when not 0, is the
  // size of every block instead. An initial size of 0 throws CbException.
  explicit CbPlexManager(SizeType initialBlockSize, SizeType fixedBlockSize = 0)
      : m_initialBlockSize(initialBlockSize), m_fixedBlockSize(fixedBlockSize) {
    if (initialBlockSize == 0) {
      throw CbException(__FILE__, __LINE__, FunctionContext("CbPlexManager").c_str());
    }
  }

  ~CbPlexManager() override { FreeBlocks(); }

  SReferenceCounter* GetReferenceCounter() const override { return &m_counter; }

  // Raw storage for one T; the caller constructs the T in it. Throws
  // CbExceptionOutOfMemory when a new block cannot be allocated.
  void* GetFreeElement() {
    [[maybe_unused]] auto guard = Enter();
    if (m_freeList == nullptr) {
      AllocateBlock();
    }
    SFree* element = m_freeList;
    m_freeList = element->next;
    return element;
  }

  // Gives back storage whose T the caller has destroyed.
  void ReturnElement(void* element) {
    if (element == nullptr) {
      return;
    }
    [[maybe_unused]] auto guard = Enter();
    SFree* free = static_cast<SFree*>(element);
    free->next = m_freeList;
    m_freeList = free;
  }

  // Element count of the block that would be allocated next.
  SizeType GetNextBlockSize() const {
    if (m_fixedBlockSize != 0) {
      return m_fixedBlockSize;
    }
    SizeType size = m_initialBlockSize;
    for (SizeType i = 0; i < m_blockCount; ++i) {
      size = static_cast<SizeType>(static_cast<float>(size) * m_growthFactor);
    }
    return size;
  }

  SizeType GetBlockCount() const { return m_blockCount; }

  // Exchanges the blocks and free lists of two pools (the counter records stay).
  void Swap(CbPlexManager& other) noexcept {
    std::swap(m_blocks, other.m_blocks);
    std::swap(m_freeList, other.m_freeList);
    std::swap(m_initialBlockSize, other.m_initialBlockSize);
    std::swap(m_fixedBlockSize, other.m_fixedBlockSize);
    std::swap(m_blockCount, other.m_blockCount);
    std::swap(m_growthFactor, other.m_growthFactor);
  }

  // "CbPlexManager<class X,flag,0,unsigned int>::<member>".
  static std::string FunctionContext(const char* member) {
    return "CbPlexManager<" + CbTypeName<T>() + "," + std::to_string(ThreadSafe) + "," +
           std::to_string(Reserved) + "," + SizeTypeName() + ">::" + member;
  }

private:
  union SFree {
    SFree* next;
    alignas(T) unsigned char storage[sizeof(T)];
  };
  struct SBlock {
    SBlock* previous;
  };
  // Blocks start on a cache line and so do their elements, after a header of a full
  // line: an element of 64 bytes then never straddles two lines.
  static constexpr std::size_t kBlockAlign = alignof(SFree) > 64 ? alignof(SFree) : 64;
  static constexpr std::size_t kHeaderSize =
      (sizeof(SBlock) + kBlockAlign - 1) / kBlockAlign * kBlockAlign;

  static const char* SizeTypeName() {
    return std::is_same<SizeType, unsigned int>::value ? "unsigned int" : "size_t";
  }

  auto Enter() const {
    if constexpr (ThreadSafe == 1) {
      return CbCriticalSectionAuto(this->Section());
    } else {
      return this->Guard();
    }
  }

  void AllocateBlock() {
    const SizeType count = GetNextBlockSize();
    // Leaves room for the header and the rounding up to whole lines.
    const std::size_t maxCount = (SIZE_MAX - kHeaderSize - kBlockAlign) / sizeof(SFree);
    void* memory = nullptr;
    if (count != 0 && count <= maxCount) {
      memory = Platform::AllocateAligned(kBlockAlign,
                                  RoundUp(kHeaderSize + std::size_t{count} * sizeof(SFree)));
    }
    if (memory == nullptr) {
      throw CbExceptionOutOfMemory(__FILE__, __LINE__, FunctionContext("getFreeElement").c_str());
    }
    SBlock* block = static_cast<SBlock*>(memory);
    block->previous = m_blocks;
    m_blocks = block;
    ++m_blockCount;
    // Pushed first to last, so the last element of the block is handed out first.
    SFree* elements = reinterpret_cast<SFree*>(static_cast<unsigned char*>(memory) + kHeaderSize);
    for (SizeType i = 0; i < count; ++i) {
      elements[i].next = m_freeList;
      m_freeList = &elements[i];
    }
  }

  static std::size_t RoundUp(std::size_t size) {
    return (size + kBlockAlign - 1) / kBlockAlign * kBlockAlign;
  }

  void FreeBlocks() {
    while (m_blocks != nullptr) {
      SBlock* previous = m_blocks->previous;
      Platform::FreeAligned(m_blocks);
      m_blocks = previous;
    }
    m_freeList = nullptr;
  }

  mutable SReferenceCounter m_counter;
  SBlock* m_blocks = nullptr;
  SFree* m_freeList = nullptr;
  SizeType m_initialBlockSize;
  SizeType m_fixedBlockSize;
  SizeType m_blockCount = 0;
  float m_growthFactor = 1.5f;
};
