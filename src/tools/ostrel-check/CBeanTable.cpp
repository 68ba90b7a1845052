#include "CBeanTable.h"

#include <algorithm>

namespace {
const char* YesNo(bool value) { return value ? "yes" : "no"; }
}  // namespace

void CBeanTable::Add(const Ostrel::SCheckedBean& bean) {
  std::string interfaces;
  for (const std::string& name : bean.interfaces) {
    interfaces += (interfaces.empty() ? "" : ",") + name;
  }
  m_rows.push_back({bean.name, bean.className, bean.library, YesNo(bean.singleton),
                    YesNo(bean.lazy), YesNo(bean.exported), interfaces.empty() ? "-" : interfaces,
                    bean.file + ":" + std::to_string(bean.line) + ":" + std::to_string(bean.column)});
}

void CBeanTable::Print(std::ostream& out) const {
  std::vector<std::size_t> widths(m_rows.front().size(), 0);
  for (const auto& row : m_rows) {
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : m_rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
    }
    out << line << '\n';
  }
}
