#include <tamarack/IException.h>

// Out of line so that the type information lives in this library only, and a handler
// for IException catches exceptions thrown from any shared object.
IException::~IException() = default;
