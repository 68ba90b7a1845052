// ostrel-check: checks configurations without creating any bean and prints one line per
// finding; exits with 0 without errors, 1 with errors and 2 on bad usage or when the
// graph cannot be written. Optionally lists the beans (--list) and writes their wiring
// as Graphviz DOT, or as SVG rendered by Graphviz (--graph[=FILE]).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <ostrel/CheckConfiguration.h>

#include "CBeanTable.h"
#include "CDotRenderer.h"
#include "CDotWriter.h"
#include "CFindingPrinter.h"

namespace {

constexpr const char* kUsage =
    "usage: ostrel-check [--register NAME]... [--preload LIB]... [--list] [--graph[=FILE]] "
    "FILE...";

struct SCommand {
  Ostrel::SCheckOptions options;
  std::vector<std::string> files;
  bool list = false;
  bool graph = false;
  std::string graphFile;  // "" for standard output
};

int Usage(const std::string& problem) {
  std::cerr << "ostrel-check: " << problem << "; " << kUsage << '\n';
  return 2;
}

// Reads the command line into `command`; "" when it is good, else what is wrong.
std::string Parse(int argc, char** argv, SCommand& command) {
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&](const std::string& option, std::vector<std::string>& into) {
      if (argument.rfind(option + "=", 0) == 0) {
        into.push_back(argument.substr(option.size() + 1));
      } else if (i + 1 < argc) {
        into.push_back(argv[++i]);
      } else {
        return false;
      }
      return !into.back().empty();
    };
    if (!options || argument.empty() || argument[0] != '-') {
      command.files.push_back(argument);
    } else if (argument == "--") {
      options = false;
    } else if (argument == "--register" || argument.rfind("--register=", 0) == 0) {
      if (!value("--register", command.options.interfaces)) return "--register needs a NAME";
    } else if (argument == "--preload" || argument.rfind("--preload=", 0) == 0) {
      if (!value("--preload", command.options.preload)) return "--preload needs a LIB";
    } else if (argument == "--list") {
      command.list = true;
    } else if (argument == "--graph" || argument.rfind("--graph=", 0) == 0) {
      command.graph = true;
      command.graphFile = argument.size() > 8 ? argument.substr(8) : "";
      if (argument.size() == 8) return "--graph= needs a FILE";
    } else {
      return "unknown option '" + argument + "'";
    }
  }
  return command.files.empty() ? "no configuration FILE given" : "";
}

// Writes the graph where the command says; false (reported) when that fails.
bool WriteGraph(const CDotWriter& writer, const std::string& file) {
  std::ostringstream dot;
  writer.Write(dot);
  const std::string svg = ".svg";
  if (file.size() > svg.size() && file.compare(file.size() - svg.size(), svg.size(), svg) == 0) {
    std::string error;
    if (!CDotRenderer::RenderSvg(dot.str(), file, error)) {
      std::cerr << "ostrel-check: cannot render " << file << ": " << error << '\n';
      return false;
    }
    std::cerr << "ostrel-check: wrote " << file << '\n';
    return true;
  }
  std::ofstream out(file);
  if (!(out << dot.str()) || !out.flush()) {
    std::cerr << "ostrel-check: cannot write " << file << '\n';
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage << '\n';
    return 0;
  }
  SCommand command;
  const std::string problem = Parse(argc, argv, command);
  if (!problem.empty()) return Usage(problem);

  // DOT on standard output keeps it to itself; the findings then go to standard error.
  CFindingPrinter printer(command.graph && command.graphFile.empty() ? std::cerr : std::cout);
  CBeanTable table;
  CDotWriter writer;
  bool errors = false;
  for (const std::string& file : command.files) {
    const Ostrel::SCheckResult result = Ostrel::CheckConfiguration(file, command.options);
    for (const Ostrel::SFinding& finding : result.findings) printer.Print(finding);
    for (const Ostrel::SCheckedBean& bean : result.beans) {
      table.Add(bean);
      writer.Add(bean);
    }
    errors = errors || result.HasErrors();
  }
  if (command.list) table.Print(std::cout);
  if (command.graph) {
    if (command.graphFile.empty()) {
      writer.Write(std::cout);
    } else if (!WriteGraph(writer, command.graphFile)) {
      return 2;
    }
  }
  std::cout.flush();
  return errors ? 1 : 0;
}
