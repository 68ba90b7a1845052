// The interface of the bean class of the benchmarks' plug-in (BenchBeans.cpp), for
// typed requests.
#pragma once

#include <tamarack/IReferenceCounted.h>

namespace bench {

class INode : public virtual IReferenceCounted {
 public:
  virtual int GetId() const = 0;
};

}  // namespace bench
