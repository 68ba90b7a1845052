// CFindingPrinter: findings as compilers print diagnostics, one line each:
// "FILE:LINE:COL: error|warning: MESSAGE [bean 'NAME']".
// Not synchronised: used by ostrel-check's one thread.
#pragma once

#include <ostream>
#include <string>

#include <ostrel/CheckConfiguration.h>

class CFindingPrinter {
public:
  explicit CFindingPrinter(std::ostream& out) : m_out(out) {}

  void Print(const Ostrel::SFinding& finding);
  // The line of `finding`, without its line break.
  static std::string Line(const Ostrel::SFinding& finding);

private:
  std::ostream& m_out;
};
