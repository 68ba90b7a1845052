#include "XMLArena.h"

#include <cstdlib>
#include <new>

#include "SXMLNodeData.h"

namespace Ostrel {
namespace {

constexpr std::size_t kFirstChunkSize = 4096;
constexpr std::size_t kLargestChunkSize = std::size_t{1} << 20;
constexpr std::size_t kAlignment = alignof(void*);

// Chunks start with the link to their predecessor.
constexpr std::size_t kChunkHeader = alignof(std::max_align_t);

}  // namespace

XMLArena* XMLArena::Create() {
  XMLArena arena;
  arena.nextChunkSize_ = kFirstChunkSize;
  arena.NewChunk(sizeof(XMLArena));
  // The arena lives in its own first chunk.
  void* place = arena.Allocate(sizeof(XMLArena));
  return new (place) XMLArena(arena);
}

void XMLArena::Destroy(XMLArena* arena) noexcept {
  void* chunk = arena->chunks_;  // the arena itself lives in the oldest chunk
  while (chunk) {
    void* previous = *static_cast<void**>(chunk);
    std::free(chunk);
    chunk = previous;
  }
}

void XMLArena::NewChunk(std::size_t atLeast) {
  std::size_t size = atLeast + kChunkHeader + kAlignment;
  if (size < nextChunkSize_) size = nextChunkSize_;
  char* chunk = static_cast<char*>(std::malloc(size));
  if (!chunk) throw std::bad_alloc();
  *reinterpret_cast<void**>(chunk) = chunks_;
  chunks_ = chunk;
  front_ = chunk + kChunkHeader;
  back_ = chunk + size;
  if (nextChunkSize_ < kLargestChunkSize) nextChunkSize_ *= 2;
}

void* XMLArena::Allocate(std::size_t bytes) {
  bytes = (bytes + kAlignment - 1) & ~(kAlignment - 1);
  // Chunk ends need not be aligned, so align the back before cutting from it.
  std::uintptr_t back = reinterpret_cast<std::uintptr_t>(back_) & ~(kAlignment - 1);
  if (back - reinterpret_cast<std::uintptr_t>(front_) < bytes ||
      back < reinterpret_cast<std::uintptr_t>(front_)) {
    NewChunk(bytes);
    back = reinterpret_cast<std::uintptr_t>(back_) & ~(kAlignment - 1);
  }
  back_ = reinterpret_cast<char*>(back - bytes);
  return back_;
}

char* XMLArena::AllocateString(std::size_t length) {
  if (static_cast<std::size_t>(back_ - front_) < length + 1) NewChunk(length + 1);
  char* string = front_;
  front_ += length + 1;
  return string;
}

void XMLArena::ShrinkLastString(char* string, std::size_t length) noexcept {
  string[length] = '\0';
  front_ = string + length + 1;
}

SXMLNodeData* XMLArena::NewRecord(const char* name, std::size_t nameLength, bool isDeclaration) {
  // The back-pointer, the record and its name in one piece.
  const std::size_t nameSize = name ? nameLength + 1 : 0;
  char* place = static_cast<char*>(Allocate(sizeof(XMLArena*) + sizeof(SXMLNodeData) + nameSize));
  *reinterpret_cast<XMLArena**>(place) = this;
  char* copy = nullptr;
  if (name) {
    copy = place + sizeof(XMLArena*) + sizeof(SXMLNodeData);
    for (std::size_t i = 0; i < nameLength; ++i) copy[i] = name[i];
    copy[nameLength] = '\0';
  }
  // Field by field: cheaper than clearing the whole record first.
  SXMLNodeData* record = new (place + sizeof(XMLArena*)) SXMLNodeData;
  record->name = copy;
  record->childCount = 0;
  record->textCount = 0;
  record->clearCount = 0;
  record->attributeCount = 0;
  record->isDeclaration = isDeclaration;
  record->line = 0;
  record->column = 0;
  record->parent = nullptr;
  record->children = nullptr;
  record->texts = nullptr;
  record->clears = nullptr;
  record->attributes = nullptr;
  record->order = nullptr;
  record->referenceCount = 1;
  return record;
}

XMLArena* XMLArena::Of(const SXMLNodeData* record) noexcept {
  return *reinterpret_cast<XMLArena* const*>(reinterpret_cast<const char*>(record) - sizeof(XMLArena*));
}

}  // namespace Ostrel
