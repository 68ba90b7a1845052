#include <ostrel/IBeanWrapper.h>

namespace Ostrel {

const void* AutonameMarker() {
  // Its address is the marker: unique in the process, never a value's address.
  static const char marker = 0;
  return &marker;
}

const void* NullsReportedMarker() {
  static const char marker = 0;
  return &marker;
}

}  // namespace Ostrel
