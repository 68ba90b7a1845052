// SCounted: a value that counts its live instances and reports a second destruction.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

struct SCounted {
  static constexpr std::uint32_t kAlive = 0x5EED1E55u;
  static inline int live = 0;

  SCounted() { ++live; }
  explicit SCounted(int v) : value(v) { ++live; }
  SCounted(const SCounted& other) : value(other.value) { ++live; }
  SCounted& operator=(const SCounted&) = default;
  ~SCounted() {
    if (magic != kAlive) ADD_FAILURE() << "value " << value << " destroyed twice";
    static_cast<volatile std::uint32_t&>(magic) = 0;  // survives dead-store removal
    --live;
  }

  int value = 0;
  std::uint32_t magic = kAlive;
};
