#include "xml/XMLChunkCache.h"

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define OSTREL_XML_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREL_XML_ASAN 1
#endif
#endif
#ifdef OSTREL_XML_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace Ostrel {
namespace {

// Enough for the arena of a configuration of several hundred kilobytes.
constexpr std::size_t kKeptBytes = std::size_t{8} << 20;

thread_local bool t_ended = false;

void Poison(void* memory, std::size_t size, bool poison) {
#ifdef OSTREL_XML_ASAN
  if (poison) {
    ASAN_POISON_MEMORY_REGION(memory, size);
  } else {
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
  }
#else
  (void)memory;
  (void)size;
  (void)poison;
#endif
}

}  // namespace

XMLChunkCache::~XMLChunkCache() {
  for (const SChunk& chunk : chunks_) {
    Poison(chunk.memory, chunk.size, false);
    std::free(chunk.memory);
  }
  t_ended = true;
}

XMLChunkCache* XMLChunkCache::ForThisThread() noexcept {
  if (t_ended) return nullptr;
  thread_local XMLChunkCache cache;
  return &cache;
}

void* XMLChunkCache::Take(std::size_t* size) noexcept {
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    if (chunks_[i].size < *size) continue;
    const SChunk chunk = chunks_[i];
    chunks_[i] = chunks_.back();
    chunks_.pop_back();
    bytes_ -= chunk.size;
    Poison(chunk.memory, chunk.size, false);
    *size = chunk.size;
    return chunk.memory;
  }
  return nullptr;
}

bool XMLChunkCache::Keep(void* chunk, std::size_t size) noexcept {
  if (bytes_ + size > kKeptBytes) return false;
  try {
    chunks_.push_back(SChunk{chunk, size});
  } catch (...) {
    return false;
  }
  bytes_ += size;
  Poison(chunk, size, true);
  return true;
}

}  // namespace Ostrel
