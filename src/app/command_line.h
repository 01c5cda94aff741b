// The program's command line. Without arguments the demo starts with the launcher.
//   --width W --height H [--windowed]   skip the launcher: that size, full screen unless --windowed
//   --capture DIR | --video FILE.mp4    render offline into numbered PNGs or one video
//     [--fps F] [--from S] [--to S]     capture rate and time span (defaults 60, 0, the end)
//   --edit [--fullscreen]               attach the sync editor (windowed unless --fullscreen;
//                                       with a capture: drawn into every frame, no input)
//     [--bpm N] [--beat-offset S]       the editor's beat grid (defaults 120, 0)
//     [--load FILE]                     start from a recovery or snapshot file's curves
//   --benchmark [--benchmark-json FILE] render offline like a capture and print where the time
//                                       goes (defaults: 1280 x 720, 4 frames a second); with
//                                       --capture or --video the frames are written as well
// Depends on nothing.
#pragma once

#include <string>

namespace qorFramework {

struct CommandLine {
  bool ok = true;            // false: `error` says what is wrong
  std::string error;
  bool useLauncher = true;   // no size given
  int width = 0, height = 0;
  bool fullscreen = true;
  bool capture = false;      // --capture or --video
  std::string captureDir;    // absolute, for --capture
  std::string videoFile;     // absolute, for --video
  double fps = 60.0;
  double fromSeconds = 0.0;
  double toSeconds = -1.0;   // negative: the end of the time line
  bool edit = false;         // --edit: attach the sync editor
  double beatsPerMinute = 120.0;
  double beatOffsetSeconds = 0.0;
  std::string loadFile;      // absolute; only with --edit
  bool benchmark = false;    // --benchmark (implies the offline loop of a capture)
  std::string benchmarkJson; // absolute; the benchmark's figures as JSON
};

// Relative paths are made absolute against `workingDirectory` (the caller's, before the demo
// changes into its resources folder).
CommandLine parseCommandLine(int argc, const char* const* argv, const std::string& workingDirectory);

const char* commandLineUsage();

}  // namespace qorFramework
