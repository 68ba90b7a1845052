#include <tamarack/IObject.h>

IObject::~IObject() = default;
