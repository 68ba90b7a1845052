#include <tamarack/IReferenceCounted.h>

IReferenceCounted::~IReferenceCounted() = default;
