#include "app/command_line.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qorFramework {

const char* commandLineUsage() {
  return "usage: dovrix [--width W --height H [--windowed]]\n"
         "       dovrix --capture DIR|--video FILE.mp4 --width W --height H"
         " [--fps F] [--from S] [--to S]\n"
         "       dovrix --edit [--width W --height H [--fullscreen]] [--bpm N] [--beat-offset S]"
         " [--load FILE]\n"
         "       dovrix --benchmark [--benchmark-json FILE] [--width W --height H] [--fps F]"
         " [--from S] [--to S]\n";
}

// A finite decimal number: strtod also reads "nan" and "inf", which no option can use.
static bool parseNumber(const char* text, double* out) {
  if (!text || !*text) return false;
  char* end = nullptr;
  double value = strtod(text, &end);
  if (*end != '\0' || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

// Sizes are checked as read, before the conversion to int (which is undefined out of range).
static bool validSize(double pixels) { return pixels >= 16.0 && pixels < 16385.0; }

static std::string absolute(const std::string& path, const std::string& base) {
  if (path.empty() || path[0] == '/') return path;
  return base + "/" + path;
}

static CommandLine fail(const std::string& why) {
  CommandLine line;
  line.ok = false;
  line.error = why;
  return line;
}

CommandLine parseCommandLine(int argc, const char* const* argv, const std::string& workingDirectory) {
  CommandLine line;
  bool haveWidth = false, haveHeight = false;
  bool askedWindowed = false, askedFullscreen = false, haveFps = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    double number = 0.0;
    if (strcmp(arg, "--windowed") == 0) {
      askedWindowed = true;
      continue;
    }
    if (strcmp(arg, "--fullscreen") == 0) {
      askedFullscreen = true;
      continue;
    }
    if (strcmp(arg, "--edit") == 0) {
      line.edit = true;
      continue;
    }
    if (strcmp(arg, "--benchmark") == 0) {
      line.benchmark = true;
      continue;
    }
    if (!value) return fail(std::string(arg) + " needs a value");
    ++i;
    if (strcmp(arg, "--capture") == 0) {
      line.capture = true;
      line.captureDir = absolute(value, workingDirectory);
    } else if (strcmp(arg, "--benchmark-json") == 0) {
      line.benchmark = true;
      line.benchmarkJson = absolute(value, workingDirectory);
    } else if (strcmp(arg, "--load") == 0) {
      line.loadFile = absolute(value, workingDirectory);
    } else if (strcmp(arg, "--video") == 0) {
      line.capture = true;
      line.videoFile = absolute(value, workingDirectory);
    } else if (!parseNumber(value, &number)) {
      return fail(std::string(arg) + " needs a number, not \"" + value + "\"");
    } else if ((strcmp(arg, "--width") == 0 || strcmp(arg, "--height") == 0) && !validSize(number)) {
      return fail("the size must be between 16 and 16384 pixels");
    } else if (strcmp(arg, "--width") == 0) {
      line.width = static_cast<int>(number);
      haveWidth = true;
    } else if (strcmp(arg, "--height") == 0) {
      line.height = static_cast<int>(number);
      haveHeight = true;
    } else if (strcmp(arg, "--fps") == 0) {
      line.fps = number;
      haveFps = true;
    } else if (strcmp(arg, "--from") == 0) {
      line.fromSeconds = number;
    } else if (strcmp(arg, "--to") == 0) {
      line.toSeconds = number;
    } else if (strcmp(arg, "--bpm") == 0) {
      if (!(number >= 1.0 && number <= 1000.0)) return fail("--bpm must be between 1 and 1000");
      line.beatsPerMinute = number;
    } else if (strcmp(arg, "--beat-offset") == 0) {
      line.beatOffsetSeconds = number;
    } else {
      return fail(std::string("unknown option ") + arg);
    }
  }
  if (haveWidth != haveHeight) return fail("--width and --height go together");
  if (askedWindowed && askedFullscreen) return fail("--windowed and --fullscreen exclude each other");
  if (!line.loadFile.empty() && !line.edit) return fail("--load needs --edit");
  if (line.benchmark) {
    line.capture = true;  // the benchmark runs the capture's offline loop
    if (!haveFps) line.fps = 4.0;
    if (!haveWidth) {
      line.width = 1280;
      line.height = 720;
      haveWidth = haveHeight = true;
    }
  }
  line.useLauncher = !haveWidth;
  // An editor is rarely wanted full screen: windowed unless asked for.
  line.fullscreen = line.edit ? askedFullscreen : !askedWindowed;
  if (line.capture) {
    if (!line.captureDir.empty() && !line.videoFile.empty()) return fail("--capture and --video exclude each other");
    if (!haveWidth) return fail("capturing needs --width and --height");
    if (!(line.fps > 0.0 && line.fps <= 1000.0)) return fail("--fps must be above 0 and at most 1000");
    if (line.fromSeconds < 0.0) return fail("--from must not be negative");
    line.fullscreen = false;
  }
  return line;
}

}  // namespace qorFramework
