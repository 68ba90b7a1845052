// Hash policies of CbMap. Narrow strings: h = h * 33 + byte, the byte taken as a signed
// char; wide strings: h = h * 33 + code unit; std::string statistics keys and pointers:
// 64-bit FNV-1a. All arithmetic wraps in 64 bits.
// Stateless functions: safe on any thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <type_traits>

struct CbNarrowHash {
  // Eight (or four) steps of h * 33 + byte at once, h * 33^8 + b0 * 33^7 + ... + b7, give
  // the same value with a shorter chain of dependent operations.
  static std::uint64_t Hash(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0;
    for (; n >= 8; n -= 8, p += 8) {
      h = h * 1406408618241u + Byte(p[0]) * 42618442977u + Byte(p[1]) * 1291467969u +
          Byte(p[2]) * 39135393u + Byte(p[3]) * 1185921u + Byte(p[4]) * 35937u +
          Byte(p[5]) * 1089u + Byte(p[6]) * 33u + Byte(p[7]);
    }
    for (; n >= 4; n -= 4, p += 4) {
      h = h * 1185921u + Byte(p[0]) * 35937u + Byte(p[1]) * 1089u + Byte(p[2]) * 33u + Byte(p[3]);
    }
    for (; n != 0; --n, ++p) {
      h = h * 33u + Byte(*p);
    }
    return h;
  }

private:
  // The byte as a signed char, sign-extended to 64 bits.
  static std::uint64_t Byte(char c) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<signed char>(c)));
  }
};

struct CbWideHash {
  static std::uint64_t Hash(std::wstring_view text) {
    std::uint64_t h = 0;
    for (wchar_t c : text) {
      h = h * 33 + static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
    }
    return h;
  }
};

struct CbFnv1aHash {
  static std::uint64_t Bytes(const void* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      h ^= bytes[i];
      h *= 0x100000001b3ull;
    }
    return h;
  }
  static std::uint64_t Hash(std::string_view text) { return Bytes(text.data(), text.size()); }
  static std::uint64_t Hash(const void* pointer) { return Bytes(&pointer, sizeof pointer); }
};

// The policy a key type uses unless the map names another.
template <class K, class Enable = void>
struct CbMapHash;

template <>
struct CbMapHash<std::string> : CbNarrowHash {};

template <>
struct CbMapHash<std::wstring> : CbWideHash {};

template <class P>
struct CbMapHash<P*> {
  static std::uint64_t Hash(const void* pointer) { return CbFnv1aHash::Hash(pointer); }
};
