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
  if (platform::fileExists("flash.mp3")) settings.musicFile = "flash.mp3";
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
  const platform::DecodedMusic* song = musicSong(stream);
  platform::DecodedMusic decoded;
  std::string why;
  if (!song) {
    if (!platform::decodeMusicFile("flash.mp3", &decoded, &why)) {
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
      : total(totalFrames), terminal(platform::standardErrorIsTerminal()), start(platform::performanceCounter()) {}
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

bool runCapture(DemoApp& app, platform::Window* window, const CommandLine& line) {
  if (app.appState != kStateLoaded) return false;
  app.appState = kStateRunning;
  app.window = window;
  int width = 0, height = 0;
  platform::getClientSize(window, &width, &height);
  initSharedBlur(width, height);
  app.clock.startSeconds = static_cast<float>(app.timeline.minStartMs / 1000.0);

  double endSeconds = app.timeline.maxEndMs / 1000.0;
  double toSeconds = (line.toSeconds < 0.0 || line.toSeconds > endSeconds) ? endSeconds : line.toSeconds;
  CaptureMusic music = captureMusicOf(app.music);
  platform::SpectrumAnalyser analyser;
  std::vector<float> bins(platform::kSpectrumBins);
  FrameSink sink;
  bool ok = openSink(sink, line, width, height, toSeconds);
  // Frames are encoded on the writer's thread while the next one renders.
  FrameWriter writer;
  if (ok && sink.writes())
    writer.begin(width, height, [&sink](int index, const std::vector<unsigned char>& rgb) {
      return writeFrame(sink, index, rgb);
    });
  if (app.editor) app.editor->init();
  std::unique_ptr<BenchmarkRecorder> benchmark;
  if (line.benchmark && ok && enablePassProfiler(true)) {
    benchmark = std::make_unique<BenchmarkRecorder>();
    benchmark->begin(width, height);
  }
  int total = framesInSpan(line.fromSeconds, toSeconds, line.fps);
  ProgressLine progress(total);
  int frames = 0;
  double lastSeconds = line.fromSeconds;  // the demo time of the last frame drawn
  bool stopped = false;

  for (int index = 0; ok && index < total; ++index) {
    double seconds = line.fromSeconds + index / line.fps;
    if (quitRequested()) {
      stopped = true;
      break;
    }
    DemoClock& c = app.clock;
    c.playedSeconds = static_cast<float>(seconds - c.startSeconds);
    c.deltaSeconds = index == 0 ? 0.0f : static_cast<float>(1.0 / line.fps);
    uint32_t tMs = demoMilliseconds(c);
    if (tMs > app.timeline.maxEndMs) break;
    if (benchmark) benchmark->beginFrame();

    if (app.controllers) evaluateAllControllers(*app.controllers, static_cast<float>(tMs / 1000.0));
    const float* spectrum = nullptr;
    if (!music.mono.empty()) {
      int64_t frame = static_cast<int64_t>(tMs) * music.sampleRate / 1000;
      analyser.analyse(music.mono.data(), static_cast<int64_t>(music.mono.size()), frame, bins.data());
      spectrum = bins.data();
    }
    drawDemoFrame(app, tMs, spectrum, true);
    if (app.editor) {
      ScopedPass pass("editor");
      app.editor->draw();
    }
    if (sink.writes()) {
      uint64_t readStart = platform::performanceCounter();
      double waitedMs = writer.queueWindow(index);
      addCpuPass("readback", platform::millisecondsSince(readStart) - waitedMs);
      addCpuPass("waiting for encoding", waitedMs);
      ok = !writer.failed();
    }
    platform::swapBuffers(window);
    if (benchmark) benchmark->endFrame(seconds);
    ++frames;
    lastSeconds = seconds;
    progress.update(frames);
  }
  progress.breakLine();
  int failedFrame = -1;
  if (sink.writes() && !writer.end()) {
    failedFrame = writer.failedIndex();
    // A video's encoder says what went wrong itself, with ffmpeg's own words.
    if (!sink.video) trace(TRACE_WARNING, "capture", "cannot write frame %d", failedFrame);
    ok = false;
  }
  if (sink.video) ok = sink.video->finish(ok) && ok;

  char summary[512];
  double spent = progress.spentSeconds();
  if (!ok) {
    int at = failedFrame >= 0 ? failedFrame : std::max(0, frames - 1);
    snprintf(summary, sizeof(summary), "capture: failed at frame %d of %d (%.2f s of the show)\n", at + 1, total,
             line.fromSeconds + at / line.fps);
  } else if (stopped) {
    const std::string& kept = sink.video ? line.videoFile : line.captureDir;
    snprintf(summary, sizeof(summary), "capture: stopped at %.2f s of the show (frame %d of %d)%s%s%s\n",
             lastSeconds, frames, total, kept.empty() ? "" : "; ", kept.c_str(),
             kept.empty() ? "" : " holds what was captured up to there");
  } else {
    snprintf(summary, sizeof(summary),
             "capture: done, %d frames from %.2f s to %.2f s of the show in %s (%.1f frames a second, "
             "%.2f x real time)\n",
             frames, line.fromSeconds, lastSeconds, formatDuration(spent).c_str(),
             spent > 0.0 ? frames / spent : 0.0, spent > 0.0 ? frames / line.fps / spent : 0.0);
  }
  platform::debugOutput(summary);
  if (benchmark) {
    BenchmarkReport report =
        summariseBenchmark(benchmark->frames, width, height, line.fps, benchmark->startFloorQuadMs);
    fputs(formatBenchmarkTable(report).c_str(), stdout);
    fflush(stdout);
    if (!line.benchmarkJson.empty()) ok = writeBenchmarkJson(line.benchmarkJson, report) && ok;
    benchmark->end();
    releasePassProfiler();
  }
  shutdownDemo(app);
  return ok;
}

}  // namespace qorFramework
