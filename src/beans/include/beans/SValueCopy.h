// SValueCopy: room for one literal copied for one wrapper call. The string types keep
// buffers of their own, so that copying into a reused SValueCopy reuses their storage;
// every other basic value lies in `bytes`.
// Belongs to one wrapper call on one thread; never shared.
#pragma once

#include <cstddef>
#include <string>

namespace Ostrel {

struct SValueCopy {
  std::string text;
  std::wstring wideText;
  alignas(std::max_align_t) unsigned char bytes[16];
};

}  // namespace Ostrel
