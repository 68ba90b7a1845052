#include "xml/XMLArena.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "xml/SXMLNodeData.h"
#include "xml/XMLChunkCache.h"

namespace Ostrel {
namespace {

constexpr std::size_t kFirstChunkSize = 4096;
constexpr std::size_t kLargestChunkSize = std::size_t{1} << 20;
constexpr std::size_t kAlignment = alignof(void*);

// Chunks start with the link to their predecessor and their size.
constexpr std::size_t kChunkHeader = 2 * sizeof(void*);
static_assert(sizeof(std::size_t) <= sizeof(void*), "chunk header layout");

std::size_t ChunkSize(const void* chunk) {
  return *reinterpret_cast<const std::size_t*>(static_cast<const char*>(chunk) + sizeof(void*));
}

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
  XMLChunkCache* cache = XMLChunkCache::ForThisThread();
  void* chunk = arena->chunks_;  // the arena itself lives in the oldest chunk
  while (chunk) {
    void* previous = *static_cast<void**>(chunk);
    if (!cache || !cache->Keep(chunk, ChunkSize(chunk))) std::free(chunk);
    chunk = previous;
  }
}

void XMLArena::NewChunk(std::size_t atLeast) {
  std::size_t size = atLeast + kChunkHeader + kAlignment;
  XMLChunkCache* cache = XMLChunkCache::ForThisThread();
  char* chunk = cache ? static_cast<char*>(cache->Take(&size)) : nullptr;
  if (!chunk) {
    if (size < nextChunkSize_) size = nextChunkSize_;
    chunk = static_cast<char*>(std::malloc(size));
    if (!chunk) throw std::bad_alloc();
  }
  *reinterpret_cast<void**>(chunk) = chunks_;
  *reinterpret_cast<std::size_t*>(chunk + sizeof(void*)) = size;
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
  void* place = Allocate(sizeof(XMLArena*) + sizeof(SXMLNodeData));
  *static_cast<XMLArena**>(place) = this;
  SXMLNodeData* record = new (static_cast<char*>(place) + sizeof(XMLArena*)) SXMLNodeData{};
  if (name) {
    record->name = AllocateString(nameLength);
    std::memcpy(record->name, name, nameLength);
    record->name[nameLength] = '\0';
  }
  record->isDeclaration = isDeclaration;
  record->referenceCount = 1;
  ++liveRecords_;
  return record;
}

XMLArena* XMLArena::Of(const SXMLNodeData* record) noexcept {
  return *reinterpret_cast<XMLArena* const*>(reinterpret_cast<const char*>(record) - sizeof(XMLArena*));
}

}  // namespace Ostrel
