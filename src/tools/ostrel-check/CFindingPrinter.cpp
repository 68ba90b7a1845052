#include "CFindingPrinter.h"

void CFindingPrinter::Print(const Ostrel::SFinding& finding) { m_out << Line(finding) << '\n'; }

std::string CFindingPrinter::Line(const Ostrel::SFinding& finding) {
  // A finding about no file (a preloaded library) is the program's own.
  std::string line = finding.file.empty() ? std::string("ostrel-check") : finding.file;
  if (finding.line > 0) {
    line += ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column);
  }
  line += finding.severity == Ostrel::ESeverity::eError ? ": error: " : ": warning: ";
  line += finding.message;
  if (!finding.bean.empty()) line += " [bean '" + finding.bean + "']";
  return line;
}
