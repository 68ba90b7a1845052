// Telling UTF-16 file content without a byte-order mark from 8-bit text.
// Keeps no state: safe on any thread.
#pragma once

#include <cstddef>

namespace Platform {

enum class ETextEncoding { eEightBit, eUtf16LittleEndian, eUtf16BigEndian };

// How the leading bytes of a file look: UTF-16 in either byte order, or 8-bit text.
ETextEncoding GuessTextEncoding(const unsigned char* bytes, std::size_t size);

}  // namespace Platform
