#include "platform/TextEncoding.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Platform {
namespace {

// How many leading bytes are looked at.
constexpr std::size_t kSniffBytes = 4096;

}  // namespace

// Markup is mostly ASCII, so UTF-16 shows a zero in most code units: at odd positions
// for little endian, at even ones for big endian. 8-bit text has none at all.
ETextEncoding GuessTextEncoding(const unsigned char* bytes, std::size_t size) {
#if defined(_WIN32)
  // The system's test also knows little-endian text without zeros (other scripts).
  int tests = IS_TEXT_UNICODE_STATISTICS | IS_TEXT_UNICODE_ASCII16;
  if (size >= 2 && size <= 0x7FFFFFFF && IsTextUnicode(bytes, static_cast<int>(size), &tests)) {
    return ETextEncoding::eUtf16LittleEndian;
  }
#endif
  const std::size_t pairs = (size < kSniffBytes ? size : kSniffBytes) / 2;
  std::size_t zerosEven = 0;
  std::size_t zerosOdd = 0;
  for (std::size_t i = 0; i < pairs; ++i) {
    zerosEven += bytes[2 * i] == 0;
    zerosOdd += bytes[2 * i + 1] == 0;
  }
  const std::size_t many = pairs / 4 > 0 ? pairs / 4 : 1;
  if (zerosOdd >= many && zerosOdd > 2 * zerosEven) return ETextEncoding::eUtf16LittleEndian;
  if (zerosEven >= many && zerosEven > 2 * zerosOdd) return ETextEncoding::eUtf16BigEndian;
  return ETextEncoding::eEightBit;
}

}  // namespace Platform
