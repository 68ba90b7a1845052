// Memory blocks with an alignment beyond that of operator new.
// Safe on any thread, like malloc and free.
#pragma once

#include <cstddef>
#include <cstdlib>

#if defined(_WIN32)
#include <malloc.h>
#endif

namespace Platform {

// `size` bytes aligned to `alignment` (a power of two; size a multiple of it), or null.
// Released with FreeAligned only.
inline void* AllocateAligned(std::size_t alignment, std::size_t size) {
#if defined(_WIN32)
  return _aligned_malloc(size, alignment);
#else
  return std::aligned_alloc(alignment, size);
#endif
}

inline void FreeAligned(void* memory) {
#if defined(_WIN32)
  _aligned_free(memory);
#else
  std::free(memory);
#endif
}

}  // namespace Platform
