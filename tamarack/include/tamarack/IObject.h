/// @class IObject
/// IObject: root interface of the base library's polymorphic objects.
/// Whether an object may be used from several threads is its class's promise.
#pragma once

#include <tamarack/Export.h>

class TAMARACK_API IObject {
public:
  virtual ~IObject();
};
