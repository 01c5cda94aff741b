#include "app/capture.h"

// libstb's PNG writer (the implementation is in libstb.so); its header trips -Wextra.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/benchmark.h"
#include "app/frame_writer.h"
#include "platform/trace.h"
#include "app/video_encoder.h"
#include "editor/sync_editor.h"
#include "gfx/blur.h"
#include "gfx/screen_quad.h"
#include "platform/gl.h"
#include "platform/music_decoder.h"
#include "platform/music_spectrum.h"
#include "platform/process.h"
#include "platform/system.h"

namespace qorFramework {

std::string formatDuration(double seconds) {
  long whole = std::lround(std::max(0.0, seconds));
  char text[48];
  if (whole < 60) snprintf(text, sizeof(text), "%ld s", whole);
  else if (whole < 3600) snprintf(text, sizeof(text), "%ld min %ld s", whole / 60, whole % 60);
  else snprintf(text, sizeof(text), "%ld h %ld min", whole / 3600, whole / 60 % 60);
  return text;
}

std::string formatCaptureProgress(int done, int total, double spentSeconds) {
  double left = done > 0 ? spentSeconds / done * std::max(0, total - done) : 0.0;
  char text[96];
  snprintf(text, sizeof(text), "frame %d of %d (%d %%), %s left", done, total,
           total > 0 ? static_cast<int>(100.0 * done / total) : 0, formatDuration(left).c_str());
  return text;
}

namespace {

// Where frames go: numbered PNG files or the video encoder (neither for a benchmark alone).
struct FrameSink {
  std::string folder;
  std::unique_ptr<VideoEncoder> video;
  int width = 0, height = 0;
  bool writes() const { return video || !folder.empty(); }
};

bool openSink(FrameSink& sink, const CommandLine& line, int width, int height, double toSeconds) {
  sink.width = width;
  sink.height = height;
  if (!line.captureDir.empty()) {
    sink.folder = line.captureDir;
    // Fast deflate and no per-row filter search: frames are intermediate files, and the writer's
    // default (level 8, every filter tried on every row) costs more than rendering them. The
    // filter changes only the file's size, never its pixels.
    stbi_write_png_compression_level = 2;
    stbi_write_force_png_filter = 0;
    if (!platform::makeDirectory(sink.folder.c_str())) {
      trace(TRACE_WARNING, "capture", "cannot create the folder %s", sink.folder.c_str());
      return false;
    }
    return true;
  }
  if (line.videoFile.empty()) return true;
  VideoSettings settings;
  settings.file = line.videoFile;
  settings.width = width;
  settings.height = height;
  settings.fps = line.fps;
  settings.fromSeconds = line.fromSeconds;
  settings.toSeconds = toSeconds;
  settings.crf = line.crf;
  if (platform::fileExists(kMusicFile)) settings.musicFile = kMusicFile;
  sink.video = std::make_unique<VideoEncoder>();
  return sink.video->open(settings);
}

bool writeFrame(const FrameSink& sink, int index, const std::vector<unsigned char>& rgb) {
  if (sink.video) return sink.video->write(rgb.data(), rgb.size());
  char name[32];
  snprintf(name, sizeof(name), "/frame_%06d.png", index);
  std::string path = sink.folder + name;
  return stbi_write_png(path.c_str(), sink.width, sink.height, 3, rgb.data(), sink.width * 3) != 0;
}

// The music as the spectrum sees it: mono, at the file's rate. Empty when there is no music.
struct CaptureMusic {
  std::vector<float> mono;
  int sampleRate = 0;
};

// From the song the open stream decoded; without a stream the file is decoded here.
CaptureMusic captureMusicOf(MusicStream* stream) {
  CaptureMusic music;
  const platform::DecodedMusic* song = streamSong(stream);
  platform::DecodedMusic decoded;
  std::string why;
  if (!song) {
    if (!platform::decodeMusicFile(kMusicFile, &decoded, &why)) {
      trace(TRACE_WARNING, "capture", "no music for the spectrum: %s", why.c_str());
      return music;
    }
    song = &decoded;
  }
  music.mono = platform::mixToMono(*song);
  music.sampleRate = song->sampleRate;
  return music;
}

// Messages still count while capturing: Escape or a close ends the capture early.
bool quitRequested() {
  platform::Message message;
  while (platform::peekMessage(&message)) {
    if (message.message == platform::WM_QUIT) return true;
    platform::dispatchMessage(message);
  }
  return false;
}

// The progress line on standard error, at the first frame and then about once a second of wall
// time. On a terminal it is one line rewritten in place (padded over a longer previous one);
// breakLine ends it before any other text is written.
class ProgressLine {
 public:
  explicit ProgressLine(int totalFrames)
      : total(totalFrames),
        terminal(platform::standardErrorIsTerminal()),
        start(platform::performanceCounter()) {}
  void update(int done) {
    double ms = platform::millisecondsSince(start);
    if (done > 1 && done < total && ms - lastReportMs < 1000.0) return;
    lastReportMs = ms;
    std::string text = "capture: " + formatCaptureProgress(done, total, ms / 1000.0);
    if (terminal) {
      size_t length = text.size();
      if (length < lastLength) text.append(lastLength - length, ' ');
      lastLength = length;
      platform::debugOutput(("\r" + text).c_str());
      open = true;
    } else {
      platform::debugOutput((text + "\n").c_str());
    }
  }
  void breakLine() {
    if (open) platform::debugOutput("\n");
    open = false;
    lastLength = 0;
  }
  double spentSeconds() const { return platform::millisecondsSince(start) / 1000.0; }

 private:
  int total;
  bool terminal;
  uint64_t start;
  double lastReportMs = 0.0;
  size_t lastLength = 0;
  bool open = false;
};

// The frames from..to at fps, both ends included (a frame within 1e-9 of `to` still counts).
int framesInSpan(double fromSeconds, double toSeconds, double fps) {
  return static_cast<int>(std::floor((toSeconds - fromSeconds) * fps + 1e-9)) + 1;
}

}  // namespace

namespace {

// One offline run: the frames it draws, where they go, and how it went.
struct CaptureRun {
  explicit CaptureRun(const CommandLine& commandLine) : line(commandLine) {}
  const CommandLine& line;
  int width = 0, height = 0;
  double toSeconds = 0.0;       // the last demo second to capture
  int total = 0;                // frames in the span
  CaptureMusic music;
  platform::SpectrumAnalyser analyser;
  std::vector<float> bins = std::vector<float>(platform::kSpectrumBins);
  FrameSink sink;
  FrameWriter writer;           // encodes on its own thread while the next frame renders
  std::unique_ptr<BenchmarkRecorder> benchmark;
  bool ok = true;
  bool stopped = false;         // Escape or the close box
  int frames = 0;               // frames drawn
  double lastSeconds = 0.0;     // the demo time of the last frame drawn
  int failedFrame = -1;         // the frame the writer could not write
};

// The span, the music for the spectrum, the sink with its writer, and the benchmark's recorder.
void openCaptureRun(CaptureRun& run, const DemoApp& app) {
  double endSeconds = app.timeline.maxEndMs / 1000.0;
  const CommandLine& line = run.line;
  run.toSeconds = (line.toSeconds < 0.0 || line.toSeconds > endSeconds) ? endSeconds : line.toSeconds;
  run.total = framesInSpan(line.fromSeconds, run.toSeconds, line.fps);
  run.music = captureMusicOf(app.music);
  run.ok = openSink(run.sink, line, run.width, run.height, run.toSeconds);
  if (run.ok && run.sink.writes()) {
    FrameSink& sink = run.sink;
    run.writer.begin(run.width, run.height, [&sink](int index, const std::vector<unsigned char>& rgb) {
      return writeFrame(sink, index, rgb);
    });
  }
  if (line.benchmark && run.ok && enablePassProfiler(true)) {
    run.benchmark = std::make_unique<BenchmarkRecorder>();
    run.benchmark->begin(run.width, run.height);
  }
}

// The spectrum the music has at tMs; null without music.
const float* spectrumAt(CaptureRun& run, uint32_t tMs) {
  if (run.music.mono.empty()) return nullptr;
  int64_t frame = static_cast<int64_t>(tMs) * run.music.sampleRate / 1000;
  run.analyser.analyse(run.music.mono.data(), static_cast<int64_t>(run.music.mono.size()), frame,
                       run.bins.data());
  return run.bins.data();
}

// Hands the drawn frame to the writer (read back now, encoded on its thread), timing both.
void queueFrame(CaptureRun& run, int index) {
  uint64_t readStart = platform::performanceCounter();
  double waitedMs = run.writer.queueWindow(index);
  addCpuPass("readback", platform::millisecondsSince(readStart) - waitedMs);
  addCpuPass("waiting for encoding", waitedMs);
  run.ok = !run.writer.failed();
}

// Frame `index` of the span, drawn exactly as the live loop draws it. False when the clock is
// past the time line's end.
bool captureFrame(CaptureRun& run, DemoApp& app, int index) {
  double seconds = run.line.fromSeconds + index / run.line.fps;
  stepShowClock(app.clock, seconds, index == 0 ? 0.0f : static_cast<float>(1.0 / run.line.fps));
  ShowFrame frame;
  frame.tMs = demoMilliseconds(app.clock);
  if (frame.tMs > app.timeline.maxEndMs) return false;
  if (run.benchmark) run.benchmark->beginFrame();
  frame.spectrum = spectrumAt(run, frame.tMs);
  renderShowFrame(app, frame);
  if (run.sink.writes()) queueFrame(run, index);
  platform::swapBuffers(app.window);
  if (run.benchmark) run.benchmark->endFrame(seconds);
  ++run.frames;
  run.lastSeconds = seconds;
  return true;
}

// Waits for the writer and finishes the video; what failed is named by a WARNING.
void closeSink(CaptureRun& run) {
  if (run.sink.writes() && !run.writer.end()) {
    run.failedFrame = run.writer.failedIndex();
    // A video's encoder says what went wrong itself, with ffmpeg's own words.
    if (!run.sink.video) trace(TRACE_WARNING, "capture", "cannot write frame %d", run.failedFrame);
    run.ok = false;
  }
  if (run.sink.video) run.ok = run.sink.video->finish(run.ok) && run.ok;
}

// The closing line on standard error: failed at, stopped at, or done with the speed.
void printSummary(const CaptureRun& run, double spent) {
  const CommandLine& line = run.line;
  char summary[512];
  if (!run.ok) {
    int at = run.failedFrame >= 0 ? run.failedFrame : std::max(0, run.frames - 1);
    snprintf(summary, sizeof(summary), "capture: failed at frame %d of %d (%.2f s of the show)\n", at + 1,
             run.total, line.fromSeconds + at / line.fps);
  } else if (run.stopped) {
    const std::string& kept = run.sink.video ? line.videoFile : line.captureDir;
    snprintf(summary, sizeof(summary), "capture: stopped at %.2f s of the show (frame %d of %d)%s%s%s\n",
             run.lastSeconds, run.frames, run.total, kept.empty() ? "" : "; ", kept.c_str(),
             kept.empty() ? "" : " holds what was captured up to there");
  } else {
    snprintf(summary, sizeof(summary),
             "capture: done, %d frames from %.2f s to %.2f s of the show in %s (%.1f frames a second, "
             "%.2f x real time)\n",
             run.frames, line.fromSeconds, run.lastSeconds, formatDuration(spent).c_str(),
             spent > 0.0 ? run.frames / spent : 0.0, spent > 0.0 ? run.frames / line.fps / spent : 0.0);
  }
  platform::debugOutput(summary);
}

// The benchmark's table on standard output and its JSON file when asked for.
void reportBenchmark(CaptureRun& run) {
  BenchmarkReport report = summariseBenchmark(run.benchmark->frames, run.width, run.height, run.line.fps,
                                              run.benchmark->startFloorQuadMs);
  fputs(formatBenchmarkTable(report).c_str(), stdout);
  fflush(stdout);
  if (!run.line.benchmarkJson.empty()) run.ok = writeBenchmarkJson(run.line.benchmarkJson, report) && run.ok;
  run.benchmark->end();
  releasePassProfiler();
}

}  // namespace

bool runCapture(DemoApp& app, platform::Window* window, const CommandLine& line) {
  CaptureRun run(line);
  if (!beginShow(app, window, false)) return false;
  platform::getClientSize(window, &run.width, &run.height);
  openCaptureRun(run, app);
  ProgressLine progress(run.total);
  for (int index = 0; run.ok && index < run.total; ++index) {
    if (quitRequested()) {
      run.stopped = true;
      break;
    }
    if (!captureFrame(run, app, index)) break;
    progress.update(run.frames);
  }
  progress.breakLine();
  closeSink(run);
  printSummary(run, progress.spentSeconds());
  if (run.benchmark) reportBenchmark(run);
  shutdownDemo(app);
  return run.ok;
}

}  // namespace qorFramework
