// The plug-in library of ContainerBench: one bean class with a wrapper made with the
// toolkit, so that the benchmark's containers create, wire and initialise real objects.
#include <string>

#include <ostrel/Ostrel.h>

#include "BenchBeans.h"

namespace bench {

// A bean with a constructor argument, two literal properties, a reference to another
// node and an init method; the members are written so that no call is optimised away.
class CNode : public CbReferenceCounted, public INode {
 public:
  CNode() = default;
  explicit CNode(int id) : m_id(id) {}

  int GetId() const override { return m_id; }

  void SetLimit(double limit) { m_limit = limit; }
  void SetLabel(const std::string& label) { m_label = label; }
  void SetOwner(CbSmartPointer<CNode> owner);
  void Init() { m_ready = m_limit >= 0 && !m_label.empty(); }

 private:
  int m_id = 0;
  double m_limit = 0;
  std::string m_label;
  // Held through the base class: CbSmartPointer needs a complete class.
  CbSmartPointer<CbReferenceCounted> m_owner;
  bool m_ready = false;
};

void CNode::SetOwner(CbSmartPointer<CNode> owner) { m_owner = std::move(owner); }

class CNodeWrapper : public Ostrel::CBeanWrapper<CNode> {
 public:
  CNodeWrapper() : CBeanWrapper("bench::CNode") {
    Constructor<>("CNode");
    Constructor<int>("CNode");
    Method("SetLimit", &CNode::SetLimit);
    Method("SetLabel", &CNode::SetLabel);
    Method("SetOwner", &CNode::SetOwner);
    Method("Init", &CNode::Init);
  }
};

}  // namespace bench

OSTREL_EXPORT_WRAPPER_MAKER(bench_CNode, bench::CNodeWrapper)
