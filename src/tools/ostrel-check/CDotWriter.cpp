#include "CDotWriter.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace {

// A DOT string literal.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\n') {
      quoted += "\\n";  // a line break in a label
      continue;
    }
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

const char* Style(Ostrel::SBeanLink::EKind kind) {
  switch (kind) {
    case Ostrel::SBeanLink::eReference: return "";
    case Ostrel::SBeanLink::eService: return ", style=dashed, color=blue";
    case Ostrel::SBeanLink::eDependsOn: return ", style=dotted";
    case Ostrel::SBeanLink::eFactoryBean: return ", style=bold, arrowhead=diamond, color=darkgreen";
  }
  return "";
}

// Whether `from` reaches `to` over the links that make beans (all but service links).
bool Reaches(const std::map<std::string, std::vector<std::string>>& next, const std::string& from,
             const std::string& to) {
  std::set<std::string> seen{from};
  std::vector<std::string> open{from};
  while (!open.empty()) {
    const std::string name = open.back();
    open.pop_back();
    if (name == to) return true;
    auto found = next.find(name);
    if (found == next.end()) continue;
    for (const std::string& target : found->second) {
      if (seen.insert(target).second) open.push_back(target);
    }
  }
  return false;
}

}  // namespace

void CDotWriter::Write(std::ostream& out) const {
  std::map<std::string, std::vector<const Ostrel::SCheckedBean*>> providers;
  std::set<std::string> names;
  std::vector<std::string> libraries;  // in order of appearance
  for (const Ostrel::SCheckedBean& bean : m_beans) {
    names.insert(bean.name);
    for (const std::string& name : bean.interfaces) providers[name].push_back(&bean);
    if (std::find(libraries.begin(), libraries.end(), bean.library) == libraries.end()) {
      libraries.push_back(bean.library);
    }
  }
  out << "digraph ostrel {\n"
         "  rankdir=LR;\n"
         "  node [shape=box, style=rounded, fontname=\"Helvetica\", fontsize=11];\n"
         "  edge [fontname=\"Helvetica\", fontsize=9];\n";
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    out << "  subgraph cluster_" << i << " {\n    label=" << Quoted(libraries[i]) << ";\n";
    for (const Ostrel::SCheckedBean& bean : m_beans) {
      if (bean.library != libraries[i]) continue;
      out << "    " << Quoted(bean.name) << " [label=" << Quoted(bean.name + "\n" + bean.className)
          << (bean.exported ? "" : ", style=\"rounded,dashed\"") << "];\n";
    }
    out << "  }\n";
  }
  std::map<std::string, std::vector<std::string>> next;
  std::map<std::string, const Ostrel::SCheckedBean*> byName;
  for (const Ostrel::SCheckedBean& bean : m_beans) {
    byName.emplace(bean.name, &bean);
    for (const Ostrel::SBeanLink& link : bean.links) {
      if (link.kind != Ostrel::SBeanLink::eService) next[bean.name].push_back(link.target);
    }
  }
  std::set<std::string> missing;
  for (const Ostrel::SCheckedBean& bean : m_beans) {
    for (const Ostrel::SBeanLink& link : bean.links) {
      std::string label = link.via;
      if (link.kind == Ostrel::SBeanLink::eDependsOn) label = "depends-on";
      if (link.kind == Ostrel::SBeanLink::eFactoryBean) label = "factory";
      std::vector<std::string> targets{link.target};
      if (link.kind == Ostrel::SBeanLink::eService) {
        label += (label.empty() ? "" : " ") + ("(" + link.target + ")");
        auto found = providers.find(link.target);
        if (found != providers.end()) {
          targets.clear();
          for (const Ostrel::SCheckedBean* provider : found->second) targets.push_back(provider->name);
        }
      }
      for (const std::string& target : targets) {
        if (names.count(target) == 0 && missing.insert(target).second) {
          // An interface no bean provides may still be registered by the application.
          out << "  " << Quoted(target)
              << (link.kind == Ostrel::SBeanLink::eService ? " [shape=ellipse];\n"
                                                           : " [color=red, fontcolor=red];\n");
        }
        // A cycle and a reference the export rule refuses stand out in red.
        std::string edgeLabel = label;
        const char* alarm = "";
        auto known = byName.find(target);
        if (link.kind == Ostrel::SBeanLink::eReference && known != byName.end() &&
            !known->second->exported && known->second->library != bean.library) {
          edgeLabel += (edgeLabel.empty() ? "" : " ") + std::string("(refused: not exported)");
          alarm = ", color=red, fontcolor=red, penwidth=2";
        } else if (link.kind != Ostrel::SBeanLink::eService && Reaches(next, target, bean.name)) {
          edgeLabel += (edgeLabel.empty() ? "" : " ") + std::string("(cycle)");
          alarm = ", color=red, fontcolor=red, penwidth=2";
        }
        out << "  " << Quoted(bean.name) << " -> " << Quoted(target) << " [label="
            << Quoted(edgeLabel) << Style(link.kind) << alarm << "];\n";
      }
    }
  }
  out << "}\n";
}
