#include "CCycleFinder.h"

#include <unordered_map>

namespace Ostrel {

std::vector<SCycle> CCycleFinder::Find() const {
  std::unordered_map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < m_beans.size(); ++i) index.emplace(m_beans[i].name, i);

  enum EState : unsigned char { eNew, eOnPath, eDone };
  std::vector<EState> state(m_beans.size(), eNew);
  std::vector<std::size_t> depth(m_beans.size(), 0);  // position on the path while on it
  // The current path: each bean and the next of its links to follow.
  std::vector<std::pair<std::size_t, std::size_t>> path;
  std::vector<SCycle> cycles;
  for (std::size_t root = 0; root < m_beans.size(); ++root) {
    if (state[root] != eNew) continue;
    state[root] = eOnPath;
    path.emplace_back(root, 0);
    while (!path.empty()) {
      const std::size_t bean = path.back().first;
      const std::vector<SBeanLink>& links = m_beans[bean].links;
      if (path.back().second == links.size()) {
        state[bean] = eDone;
        path.pop_back();
        continue;
      }
      const SBeanLink& link = links[path.back().second++];
      if (link.kind == SBeanLink::eService) continue;
      auto target = index.find(link.target);
      if (target == index.end()) continue;
      const std::size_t next = target->second;
      if (state[next] == eNew) {
        state[next] = eOnPath;
        depth[next] = path.size();
        path.emplace_back(next, 0);
      } else if (state[next] == eOnPath) {
        SCycle cycle;
        for (std::size_t i = depth[next]; i < path.size(); ++i) {
          cycle.chain.push_back(m_beans[path[i].first].name);
        }
        cycles.push_back(std::move(cycle));
      }
    }
  }
  return cycles;
}

}  // namespace Ostrel
