#include "CDotRenderer.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#if defined(_WIN32)
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

constexpr int kNotInstalled = -1;

// Runs "dot -Tsvg -o <output> <input>" from the PATH, without a shell; its exit status,
// or kNotInstalled when there is no such program.
int RunDot(const std::string& input, const std::string& output) {
#if defined(_WIN32)
  const intptr_t status =
      _spawnlp(_P_WAIT, "dot", "dot", "-Tsvg", "-o", output.c_str(), input.c_str(), nullptr);
  if (status == -1) return errno == ENOENT ? kNotInstalled : 1;
  return static_cast<int>(status);
#else
  std::string arguments[] = {"dot", "-Tsvg", "-o", output, input};
  char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                  arguments[3].data(), arguments[4].data(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "dot", nullptr, nullptr, argv, environ);
  if (spawned != 0) return spawned == ENOENT ? kNotInstalled : 1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
#endif
}

}  // namespace

bool CDotRenderer::RenderSvg(const std::string& dot, const std::string& file, std::string& error) {
  // Graphviz reads the graph from a file beside the picture: no pipe to keep fed.
  const std::string input = file + ".ostrel-check.dot";
  {
    std::ofstream out(input, std::ios::binary);
    if (!(out << dot) || !out.flush()) {
      error = "cannot write " + input;
      return false;
    }
  }
  const int status = RunDot(input, file);
  std::remove(input.c_str());
  if (status == kNotInstalled) {
    error = "Graphviz is not installed (no 'dot' program on the PATH); install it "
            "(apt-get install graphviz) or write DOT with --graph=FILE.dot";
    return false;
  }
  if (status != 0) {
    error = "'dot' failed to render " + file;
    return false;
  }
  return true;
}
