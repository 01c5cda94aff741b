// Publishing a video: the checks made before anything renders, the ffmpeg command for the
// file's container, and the encoder process. Frames go into ffmpeg's standard input, its
// messages into a temporary log whose last lines are reported when it fails. The video is
// written under a temporary name beside the final one and renamed into place only once ffmpeg
// has finished it, so a failure leaves nothing behind and never clobbers an earlier video.
// Containers: .mp4 .mkv .mov carry H.264 High and AAC, .webm carries VP9 and Opus.
// Depends on: platform processes and files, the trace log.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace qorFramework {

struct VideoSettings {
  std::string file;  // absolute path of the video to make
  int width = 0, height = 0;
  double fps = 60.0;
  double fromSeconds = 0.0, toSeconds = 0.0;  // the span, which the music is cut to
  int crf = 18;                               // 0 lossless .. 51 worst
  std::string musicFile;                      // "" for a silent video
};

// "" when `file` can be made as a video of width x height; otherwise one line saying what is
// wrong and what to do instead (ffmpeg missing, the folder, the name's ending, an odd size).
std::string checkVideoOutput(const std::string& file, int width, int height);

// The shell command: raw RGB frames (top row first) on standard input, the music cut to the
// span, the codecs of the file's container, the video into `outputPath`, messages into `logPath`.
std::string videoCommand(const VideoSettings& settings, const std::string& outputPath,
                         const std::string& logPath);

class VideoEncoder {
 public:
  ~VideoEncoder();  // still open: finished as if the capture had failed
  // Starts ffmpeg; false (and a WARNING) when it cannot.
  bool open(const VideoSettings& settings);
  // One frame of width x height x 3 bytes; false once ffmpeg takes no more (it has gone).
  bool write(const unsigned char* rgb, size_t bytes);
  // Ends ffmpeg's input and waits for it. True when ffmpeg finished the file and it has its
  // final name. When ffmpeg failed, WARNINGs say so with its last lines; `keep` false (the
  // capture failed for its own reasons) discards a finished video. Either way nothing partial
  // is left.
  bool finish(bool keep = true);

 private:
  FILE* pipe = nullptr;
  bool broken = false;  // a write failed: ffmpeg stopped reading
  std::string file, partialFile, logFile;
};

}  // namespace qorFramework
