// CDotWriter: the wiring of checked configurations as a Graphviz DOT graph: each bean a
// node (name and class), grouped by library; references solid, service references
// dashed (to each bean that provides the interface), depends-on dotted, factory beans
// bold with a diamond head. A bean that is not configured gets a red node, an interface
// that no bean provides an ellipse.
// Not synchronised: used by ostrel-check's one thread.
#pragma once

#include <ostream>
#include <vector>

#include <ostrel/CheckConfiguration.h>

class CDotWriter {
public:
  void Add(const Ostrel::SCheckedBean& bean) { m_beans.push_back(bean); }
  void Write(std::ostream& out) const;

private:
  std::vector<Ostrel::SCheckedBean> m_beans;
};
