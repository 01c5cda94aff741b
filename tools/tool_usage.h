// The command-line conventions the authoring tools share: --help (or -h) anywhere prints the
// usage on standard output and exits 0; wrong usage is one line on standard error naming what
// is wrong, one pointing at --help, and exit status 2. Header-only: the tools link nothing
// in common.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

namespace toolusage {

// True, after printing `usage` on standard output, when --help or -h is among the arguments.
inline bool helpAsked(int argc, char** argv, const char* usage) {
  for (int i = 1; i < argc; ++i)
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      fputs(usage, stdout);
      return true;
    }
  return false;
}

// Writes "TOOL: WHAT" and the hint on standard error; returns the exit status 2.
inline int refuse(const char* tool, const std::string& what) {
  fprintf(stderr, "%s: %s\nTry '%s --help'.\n", tool, what.c_str(), tool);
  return 2;
}

// An operand that starts with '-' is an option mistyped or misplaced, never a file or folder
// to write: refusing it keeps a tool from making a file called "--help".
inline bool flagLike(const char* operand) { return operand[0] == '-'; }

}  // namespace toolusage
