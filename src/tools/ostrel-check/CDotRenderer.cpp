#include "CDotRenderer.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

bool CDotRenderer::RenderSvg(const std::string& dot, const std::string& file, std::string& error) {
  int input[2];
  if (pipe(input) != 0) {
    error = std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, input[1]);
  std::string program = "dot";
  std::string format = "-Tsvg";
  std::string option = "-o";
  std::string output = file;
  char* arguments[] = {program.data(), format.data(), option.data(), output.data(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "dot", &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
  if (spawned != 0) {
    close(input[1]);
    error = spawned == ENOENT ? "Graphviz is not installed (no 'dot' program on the PATH); "
                                "install it (apt-get install graphviz) or write DOT with "
                                "--graph=FILE.dot"
                              : std::strerror(spawned);
    return false;
  }
  // A "dot" that exits early must not kill this program with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  std::size_t written = 0;
  while (written < dot.size()) {
    const ssize_t n = write(input[1], dot.data() + written, dot.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(input[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || written < dot.size()) {
    error = "'dot' failed to render " + file;
    return false;
  }
  return true;
}
