// CDotRenderer: renders DOT text to an SVG file with Graphviz's "dot" program, found on
// the PATH.
// Keeps no state; ostrel-check calls it from its one thread.
#pragma once

#include <string>

class CDotRenderer {
public:
  // Writes `dot` rendered to `file`. False with the reason in `error` when "dot" is not
  // installed or fails.
  static bool RenderSvg(const std::string& dot, const std::string& file, std::string& error);
};
