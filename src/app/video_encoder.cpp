#include "app/video_encoder.h"

#include <cctype>
#include <vector>

#include "platform/trace.h"
#include "platform/process.h"
#include "platform/system.h"

namespace qorFramework {

namespace {

struct Container {
  const char* ending;  // lower case, with the dot
  const char* muxer;   // ffmpeg's -f name: the partial file's name tells ffmpeg nothing
  bool h264;           // H.264 + AAC; otherwise VP9 + Opus
  bool faststart;      // the index moved to the front, so playback starts before the download ends
};

const Container kContainers[] = {
    {".mp4", "mp4", true, true},
    {".mkv", "matroska", true, false},
    {".webm", "webm", false, false},
    {".mov", "mov", true, true},
};

const Container* containerOf(const std::string& file) {
  size_t dot = file.find_last_of("./");
  if (dot == std::string::npos || file[dot] != '.') return nullptr;
  std::string ending = file.substr(dot);
  for (char& c : ending) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (const Container& container : kContainers)
    if (ending == container.ending) return &container;
  return nullptr;
}

// The last `count` non-empty lines of a log, oldest first.
std::vector<std::string> lastLines(const std::string& text, size_t count) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
  return lines;
}

}  // namespace

std::string checkVideoOutput(const std::string& file, int width, int height) {
  if (platform::findProgram("ffmpeg").empty())
    return "cannot make a video: ffmpeg is not on the PATH (Debian: apt-get install ffmpeg)";
  std::string folder = platform::parentFolder(file);
  if (folder.empty()) folder = "/";
  if (!platform::fileExists(folder.c_str())) return "cannot make a video in " + folder + ": no such folder";
  if (!platform::isWritableFolder(folder.c_str()))
    return "cannot make a video in " + folder + ": the folder is not writable";
  const Container* container = containerOf(file);
  if (!container) return "cannot make a video named " + file + ": the name must end in .mp4, .mkv, .webm or .mov";
  if (container->h264 && (width % 2 != 0 || height % 2 != 0)) {
    char why[160];
    snprintf(why, sizeof(why), "H.264 video needs an even width and height: use %d x %d (or a .webm file)",
             width & ~1, height & ~1);
    return why;
  }
  return "";
}

std::string videoCommand(const VideoSettings& settings, const std::string& outputPath,
                         const std::string& logPath) {
  const Container* container = containerOf(settings.file);
  if (!container) container = &kContainers[0];
  char part[256];
  std::string command = "ffmpeg -hide_banner -loglevel error -nostats -y";
  snprintf(part, sizeof(part), " -f rawvideo -pix_fmt rgb24 -s %dx%d -framerate %g -i -", settings.width,
           settings.height, settings.fps);
  command += part;
  if (!settings.musicFile.empty()) {
    // -ss and -t stand before the music's -i: they cut the input, not the output. The span
    // takes one frame more than from..to so that the last frame has its sound.
    snprintf(part, sizeof(part), " -ss %.3f -t %.3f -i ", settings.fromSeconds,
             settings.toSeconds - settings.fromSeconds + 1.0 / settings.fps);
    command += part + platform::shellQuote(settings.musicFile) + " -map 0:v -map 1:a -shortest";
  }
  if (container->h264) {
    snprintf(part, sizeof(part), " -c:v libx264 -preset medium -profile:v high -crf %d -pix_fmt yuv420p",
             settings.crf);
    command += part;
    if (!settings.musicFile.empty()) command += " -c:a aac -b:a 192k";
  } else {
    snprintf(part, sizeof(part), " -c:v libvpx-vp9 -crf %d -b:v 0 -row-mt 1 -pix_fmt yuv420p", settings.crf);
    command += part;
    if (!settings.musicFile.empty()) command += " -c:a libopus -b:a 192k";
  }
  if (container->faststart) command += " -movflags +faststart";
  command += std::string(" -f ") + container->muxer + " " + platform::shellQuote(outputPath);
  return command + " 2>" + platform::shellQuote(logPath);
}

VideoEncoder::~VideoEncoder() {
  if (pipe) finish(false);
}

bool VideoEncoder::open(const VideoSettings& settings) {
  file = settings.file;
  partialFile = file + ".partial";
  broken = false;
  logFile = platform::makeTemporaryFile("dovrix-ffmpeg");
  if (logFile.empty()) {
    trace(TRACE_WARNING, "capture", "cannot make a temporary file for ffmpeg's messages");
    return false;
  }
  // A reader that goes away must give this process a write error, not end it.
  platform::ignoreBrokenPipes();
  pipe = platform::openPipe(videoCommand(settings, partialFile, logFile).c_str());
  if (!pipe) {
    trace(TRACE_WARNING, "capture", "cannot start ffmpeg");
    platform::deleteFile(logFile.c_str());
  }
  return pipe != nullptr;
}

bool VideoEncoder::write(const unsigned char* rgb, size_t bytes) {
  if (!pipe || broken) return false;
  broken = fwrite(rgb, 1, bytes, pipe) != bytes;
  return !broken;
}

bool VideoEncoder::finish(bool keep) {
  if (!pipe) return false;
  broken = fflush(pipe) != 0 || broken;
  int status = platform::closePipe(pipe);
  pipe = nullptr;
  bool finished = status == 0 && !broken && platform::fileExists(partialFile.c_str());
  bool kept = keep && finished && platform::replaceFile(partialFile.c_str(), file.c_str());
  if (!finished) {
    if (status > 0)
      trace(TRACE_WARNING, "capture", "ffmpeg failed (exit status %d); %s was not written", status, file.c_str());
    else if (status < 0)
      trace(TRACE_WARNING, "capture", "ffmpeg was stopped by a signal; %s was not written", file.c_str());
    else
      trace(TRACE_WARNING, "capture", "ffmpeg stopped taking frames; %s was not written", file.c_str());
    std::string log;
    platform::readWholeFile(logFile.c_str(), &log);
    for (const std::string& line : lastLines(log, 5)) trace(TRACE_WARNING, "capture", "ffmpeg: %s", line.c_str());
  } else if (keep && !kept) {
    trace(TRACE_WARNING, "capture", "cannot rename the finished video to %s", file.c_str());
  }
  if (!kept) platform::deleteFile(partialFile.c_str());
  platform::deleteFile(logFile.c_str());
  return kept;
}

}  // namespace qorFramework
