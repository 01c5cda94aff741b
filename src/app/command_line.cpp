#include "app/command_line.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef DOVRIX_VERSION
#define DOVRIX_VERSION "unknown"
#endif

namespace qorFramework {

const char* programVersion() { return DOVRIX_VERSION; }

const char* commandLineUsage() {
  return "Usage: dovrix [OPTION]...\n"
         "Plays the show in real time with its music. Without a size a launcher asks for one.\n"
         "\n"
         "Playing:\n"
         "  --width W --height H   skip the launcher: W x H pixels, 16 to 16384 (no default)\n"
         "  --windowed             in a window rather than full screen (needs the size)\n"
         "  --from S               start at S seconds of the show, the music with it (default 0)\n"
         "  --to S                 end at S seconds (default: the end of the show, 124 s)\n"
         "\n"
         "Capturing (offline, as fast as the machine renders; needs --width and --height):\n"
         "  --capture DIR          every frame as DIR/frame_NNNNNN.png (8-bit RGB)\n"
         "  --video FILE           one video with the music, through ffmpeg: .mp4, .mkv, .mov\n"
         "                         (H.264 High, AAC 192 kbit/s; even width and height)\n"
         "                         or .webm (VP9, Opus 192 kbit/s)\n"
         "  --crf N                with --video: quality, 0 (lossless) to 51 (default 18)\n"
         "  --fps F                frames a second of show time (default 60; 4 with --benchmark)\n"
         "                         --from and --to choose the span as when playing\n"
         "\n"
         "Benchmark:\n"
         "  --benchmark            render offline like a capture and print where the time goes\n"
         "                         (default size 1280 x 720); with --capture or --video it\n"
         "                         writes the frames as well\n"
         "  --benchmark-json FILE  the same figures as JSON as well (implies --benchmark)\n"
         "\n"
         "Sync editor (for authors):\n"
         "  --edit                 attach the sync editor (windowed unless --fullscreen)\n"
         "  --fullscreen           with --edit and a size: full screen\n"
         "  --bpm N                the beat grid's beats a minute, 1 to 1000 (default 120)\n"
         "  --beat-offset S        the beat grid's first beat in seconds (default 0)\n"
         "  --load FILE            with --edit: start from a recovery or snapshot file's curves\n"
         "\n"
         "  -h, --help             print this help and exit\n"
         "  --version              print the version and exit\n"
         "\n"
         "Keys while playing:\n"
         "  Escape                 quit (a capture stops; a video keeps what was captured)\n"
         "  F10 (held)             frame-time graph, and the frame rate in the title\n"
         "  Enter (held)           how far the demo clock and the heard music are apart, in the title\n"
         "  with --edit: F1 shows the editor's help (its keys and gestures)\n"
         "\n"
         "Files:\n"
         "  resources: the folder `resources` beside the program (a build), else\n"
         "             ../share/dovrix/resources relative to it (an installed tree)\n"
         "  Relative paths given to options are taken from the folder dovrix starts in.\n"
         "\n"
         "Exit status: 0 done (or stopped with Escape), 1 a failure (e.g. the video could not\n"
         "be written), 2 a command line that cannot be run.\n";
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

static std::string seconds(double value) {
  char text[32];
  snprintf(text, sizeof(text), "%g s", value);
  return text;
}

static CommandLine fail(const std::string& why) {
  CommandLine line;
  line.ok = false;
  line.error = why;
  return line;
}

static bool isFlag(const char* arg, const char* name) { return strcmp(arg, name) == 0; }

// The next word is the option's value unless it is missing or is itself an option ("--width
// --help" lacks a value rather than asking for a width called "--help"). Negative numbers
// start with a single dash and stay values.
static const char* valueAfter(int i, int argc, const char* const* argv) {
  if (i + 1 >= argc) return nullptr;
  const char* value = argv[i + 1];
  return strncmp(value, "--", 2) == 0 ? nullptr : value;
}

CommandLine parseCommandLine(int argc, const char* const* argv, const std::string& workingDirectory,
                             double showEndSeconds) {
  static const char* const valueOptions[] = {
      "--width", "--height", "--capture", "--video", "--fps", "--crf", "--from", "--to",
      "--bpm", "--beat-offset", "--load", "--benchmark-json"};
  CommandLine line;
  bool haveWidth = false, haveHeight = false, haveTo = false;
  bool askedWindowed = false, askedFullscreen = false, haveFps = false, haveCrf = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (isFlag(arg, "--help") || isFlag(arg, "-h")) {
      CommandLine help;
      help.help = true;
      return help;
    }
    if (isFlag(arg, "--version")) {
      CommandLine version;
      version.version = true;
      return version;
    }
    if (isFlag(arg, "--windowed")) {
      askedWindowed = true;
      continue;
    }
    if (isFlag(arg, "--fullscreen")) {
      askedFullscreen = true;
      continue;
    }
    if (isFlag(arg, "--edit")) {
      line.edit = true;
      continue;
    }
    if (isFlag(arg, "--benchmark")) {
      line.benchmark = true;
      continue;
    }
    bool takesValue = false;
    for (const char* name : valueOptions) takesValue = takesValue || isFlag(arg, name);
    if (!takesValue) {
      if (arg[0] == '-') return fail(std::string("unknown option '") + arg + "'");
      return fail(std::string("unexpected argument '") + arg + "'");
    }
    const char* value = valueAfter(i, argc, argv);
    if (!value) return fail(std::string(arg) + " needs a value");
    ++i;
    double number = 0.0;
    if (isFlag(arg, "--capture")) {
      line.capture = true;
      line.captureDir = absolute(value, workingDirectory);
    } else if (isFlag(arg, "--benchmark-json")) {
      line.benchmark = true;
      line.benchmarkJson = absolute(value, workingDirectory);
    } else if (isFlag(arg, "--load")) {
      line.loadFile = absolute(value, workingDirectory);
    } else if (isFlag(arg, "--video")) {
      line.capture = true;
      line.videoFile = absolute(value, workingDirectory);
    } else if (!parseNumber(value, &number)) {
      return fail(std::string(arg) + " needs a number, not '" + value + "'");
    } else if ((isFlag(arg, "--width") || isFlag(arg, "--height")) && !validSize(number)) {
      return fail(std::string(arg) + " must be between 16 and 16384 pixels");
    } else if (isFlag(arg, "--width")) {
      line.width = static_cast<int>(number);
      haveWidth = true;
    } else if (isFlag(arg, "--height")) {
      line.height = static_cast<int>(number);
      haveHeight = true;
    } else if (isFlag(arg, "--fps")) {
      if (!(number > 0.0 && number <= 1000.0)) return fail("--fps must be above 0 and at most 1000");
      line.fps = number;
      haveFps = true;
    } else if (isFlag(arg, "--crf")) {
      if (!(number >= 0.0 && number <= 51.0 && number == std::floor(number)))
        return fail("--crf must be a whole number from 0 to 51");
      line.crf = static_cast<int>(number);
      haveCrf = true;
    } else if (isFlag(arg, "--from")) {
      line.fromSeconds = number;
    } else if (isFlag(arg, "--to")) {
      line.toSeconds = number;
      haveTo = true;
    } else if (isFlag(arg, "--bpm")) {
      if (!(number >= 1.0 && number <= 1000.0)) return fail("--bpm must be between 1 and 1000");
      line.beatsPerMinute = number;
    } else {  // --beat-offset, the last of valueOptions
      line.beatOffsetSeconds = number;
    }
  }
  if (haveWidth != haveHeight) return fail("--width and --height go together");
  if (askedWindowed && askedFullscreen) return fail("--windowed and --fullscreen exclude each other");
  if (askedWindowed && !haveWidth && !line.benchmark) return fail("--windowed needs --width and --height");
  if (askedFullscreen && !haveWidth) return fail("--fullscreen needs --width and --height");
  if (!line.loadFile.empty() && !line.edit) return fail("--load needs --edit");
  if (!line.captureDir.empty() && !line.videoFile.empty()) return fail("--capture and --video exclude each other");
  if (haveFps && !line.capture && !line.benchmark) return fail("--fps needs --capture, --video or --benchmark");
  if (haveCrf && line.videoFile.empty()) return fail("--crf needs --video");
  if (line.fromSeconds < 0.0) return fail("--from must not be negative");
  if (line.fromSeconds >= showEndSeconds)
    return fail("--from must be before the end of the show (" + seconds(showEndSeconds) + ")");
  if (haveTo && line.toSeconds <= line.fromSeconds)
    return fail("--to must be after --from (" + seconds(line.fromSeconds) + ")");
  if (line.capture && !line.benchmark && !haveWidth) return fail("capturing needs --width and --height");
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
  if (line.capture) line.fullscreen = false;
  return line;
}

}  // namespace qorFramework
