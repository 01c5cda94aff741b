// Child processes on Linux: popen through /bin/sh, PATH look-up with access(2).
#include "platform/process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string findProgram(const char* name) {
  const char* path = getenv("PATH");
  if (!path || !name || !*name) return "";
  std::string folders(path);
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry means the current folder, as the shell reads it.
    std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    std::string candidate = folder + "/" + name;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

FILE* openPipe(const char* command) { return popen(command, "w"); }

int closePipe(FILE* pipe) {
  int status = pclose(pipe);
  return (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

void ignoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::string makeTemporaryFile(const char* prefix) {
  const char* folder = getenv("TMPDIR");
  std::string path = std::string(folder && *folder ? folder : "/tmp") + "/" + prefix + "-XXXXXX";
  int fd = mkstemp(&path[0]);
  if (fd < 0) return "";
  close(fd);
  return path;
}

}  // namespace platform
