// CBeanTable: the beans of checked configurations as a table with aligned columns:
// name, class, library, singleton, lazy, exported, provided interfaces, place.
// Not synchronised: used by ostrel-check's one thread.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <ostrel/CheckConfiguration.h>

class CBeanTable {
public:
  void Add(const Ostrel::SCheckedBean& bean);
  void Print(std::ostream& out) const;

private:
  std::vector<std::vector<std::string>> m_rows{
      {"NAME", "CLASS", "LIBRARY", "SINGLETON", "LAZY", "EXPORTED", "PROVIDES", "PLACE"}};
};
