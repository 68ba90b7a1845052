// SNotice: something a configuration says that the lenient reader passes over in
// silence, at the element concerned.
// A plain value: safe to copy and read on any thread.
#pragma once

#include <string>

#include "beans/SPlace.h"

namespace Ostrel {

struct SNotice {
  SPlace place;
  std::string message;
};

}  // namespace Ostrel
