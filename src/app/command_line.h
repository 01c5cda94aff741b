// The program's command line: what to run (the launcher, a size, a capture, a video, the
// benchmark, the editor), checked as a whole before anything opens, and the help and version
// texts. Without arguments the demo starts with the launcher; `dovrix --help` lists every
// option with its default.
// Depends on nothing.
#pragma once

#include <string>

namespace qorFramework {

struct CommandLine {
  bool ok = true;            // false: `error` says what is wrong, in one line
  std::string error;
  bool help = false;         // -h or --help: print commandLineUsage and exit
  bool version = false;      // --version: print "dovrix VERSION" and exit
  bool useLauncher = true;   // no size given
  int width = 0, height = 0;
  bool fullscreen = true;
  bool capture = false;      // --capture or --video (or --benchmark: its offline loop)
  std::string captureDir;    // absolute, for --capture
  std::string videoFile;     // absolute, for --video
  double fps = 60.0;
  int crf = 18;              // the video's quality: 0 lossless .. 51 worst
  double fromSeconds = 0.0;  // live or captured: the show starts here
  double toSeconds = -1.0;   // negative: the end of the time line
  bool edit = false;         // --edit: attach the sync editor
  double beatsPerMinute = 120.0;
  double beatOffsetSeconds = 0.0;
  std::string loadFile;      // absolute; only with --edit
  bool benchmark = false;    // --benchmark (implies the offline loop of a capture)
  std::string benchmarkJson; // absolute; the benchmark's figures as JSON
};

// Relative paths are made absolute against `workingDirectory` (the caller's, before the demo
// changes into its resources folder). `showEndSeconds` is the show's length: --from must lie
// before it. Options that do not fit together are refused here, so a wrong line opens nothing.
CommandLine parseCommandLine(int argc, const char* const* argv, const std::string& workingDirectory,
                             double showEndSeconds);

// The --help text (standard output), and the program's version ("1.0.0").
const char* commandLineUsage();
const char* programVersion();

}  // namespace qorFramework
