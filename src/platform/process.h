// Child processes: finding a program on the PATH, starting a shell command with a pipe to its
// standard input, and the process-wide settings a pipe writer needs (a reader that goes away
// must give a write error, not kill the process). Also whether standard error is a terminal.
// Depends on POSIX (popen, signal, isatty, mkstemp).
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// The full path of `name` in one of the PATH's folders (executable), or "" when none has it.
std::string findProgram(const char* name);

// `text` quoted for /bin/sh as one word.
std::string shellQuote(const std::string& text);

// Starts a shell command with its standard input connected to the returned stream (null when
// it cannot start); closePipe waits for it and returns its exit status (-1 when it did not exit
// normally, e.g. killed by a signal). Writes to a pipe whose reader has gone fail with EPIPE
// once ignoreBrokenPipes has run.
FILE* openPipe(const char* command);
int closePipe(FILE* pipe);

// SIGPIPE ignored for the whole process; safe to call more than once.
void ignoreBrokenPipes();

// True when standard error goes to a terminal (progress can then rewrite one line in place).
bool standardErrorIsTerminal();

// Creates an empty file named after `prefix` in the temporary folder ($TMPDIR or /tmp) and
// returns its path, or "" when none could be made. The caller deletes it.
std::string makeTemporaryFile(const char* prefix);

}  // namespace platform
