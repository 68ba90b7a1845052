// IObject: root interface of the base library's polymorphic objects.
#pragma once

#include <tamarack/Export.h>

class TAMARACK_API IObject {
public:
  virtual ~IObject();
};
