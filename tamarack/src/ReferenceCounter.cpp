#include <tamarack/ReferenceCounter.h>

#include <cstdint>

namespace {

// Power of two; 256 stripes keep contention between unrelated objects rare.
constexpr std::size_t kStripes = 256;

CbCriticalSection* Stripes() {
  // Never destroyed: objects may be released from other libraries' static destructors.
  static CbCriticalSection* stripes = new CbCriticalSection[kStripes];
  return stripes;
}

}  // namespace

CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* counter) {
  auto address = reinterpret_cast<std::uintptr_t>(counter);
  // Counter records are at least 8-byte aligned; mix the higher bits in.
  std::uintptr_t mixed = (address >> 3) ^ (address >> 11) ^ (address >> 19);
  return Stripes()[mixed & (kStripes - 1)];
}
