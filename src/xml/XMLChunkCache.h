// Arena chunks of finished parses, kept per thread (up to a few megabytes) for the next
// parse, so that repeated parses reuse memory rather than have the allocator hand it back
// to the system and fault it in again. Under AddressSanitizer kept chunks are poisoned.
#pragma once

#include <cstddef>
#include <vector>

namespace Ostrel {

class XMLChunkCache {
public:
  XMLChunkCache() = default;
  ~XMLChunkCache();
  XMLChunkCache(const XMLChunkCache&) = delete;
  XMLChunkCache& operator=(const XMLChunkCache&) = delete;

  // The calling thread's cache; null once the thread has begun to end.
  static XMLChunkCache* ForThisThread() noexcept;

  // A kept chunk of at least `size` bytes, with its actual size in *size; null if none.
  void* Take(std::size_t* size) noexcept;
  // Keeps a malloc'ed chunk; false when the cache is full and the caller must free it.
  bool Keep(void* chunk, std::size_t size) noexcept;

private:
  struct SChunk {
    void* memory;
    std::size_t size;
  };
  std::vector<SChunk> chunks_;
  std::size_t bytes_ = 0;
};

}  // namespace Ostrel
