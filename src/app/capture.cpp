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
#include "app/trace.h"
#include "editor/sync_editor.h"
#include "gfx/screen_quad.h"
#include "platform/gl.h"
#include "platform/music_decoder.h"
#include "platform/music_spectrum.h"
#include "platform/system.h"

namespace qorFramework {

// Where frames go: numbered PNG files or an ffmpeg pipe.
struct FrameSink {
  std::string folder;
  FILE* pipe = nullptr;
  int width = 0, height = 0;
};

static std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

static bool openSink(FrameSink& sink, const CommandLine& line, int width, int height, double toSeconds) {
  sink.width = width;
  sink.height = height;
  if (line.captureDir.empty() && line.videoFile.empty()) return true;  // a benchmark alone
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
  char size[64], timing[128];
  snprintf(size, sizeof(size), "%dx%d", width, height);
  snprintf(timing, sizeof(timing), "-framerate %g -i - -ss %.3f -t %.3f", line.fps, line.fromSeconds,
           toSeconds - line.fromSeconds + 1.0 / line.fps);
  std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s ";
  command += std::string(size) + " " + timing;
  bool withMusic = platform::fileExists("flash.mp3");
  if (withMusic) command += " -i flash.mp3 -map 0:v -map 1:a -c:a aac -b:a 192k -shortest";
  command += " -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p " + shellQuote(line.videoFile);
  sink.pipe = platform::openPipe(command.c_str());
  if (!sink.pipe) trace(TRACE_WARNING, "capture", "cannot start ffmpeg");
  return sink.pipe != nullptr;
}

static bool writeFrame(const FrameSink& sink, int index, const std::vector<unsigned char>& rgb) {
  if (sink.pipe) return fwrite(rgb.data(), 1, rgb.size(), sink.pipe) == rgb.size();
  char name[32];
  snprintf(name, sizeof(name), "/frame_%06d.png", index);
  std::string path = sink.folder + name;
  return stbi_write_png(path.c_str(), sink.width, sink.height, 3, rgb.data(), sink.width * 3) != 0;
}

static bool sinkWrites(const FrameSink& sink) { return sink.pipe || !sink.folder.empty(); }

static bool closeSink(FrameSink& sink) {
  if (!sink.pipe) return true;
  int status = platform::closePipe(sink.pipe);
  sink.pipe = nullptr;
  if (status != 0) trace(TRACE_WARNING, "capture", "ffmpeg ended with status %d", status);
  return status == 0;
}

// The music as the spectrum sees it: mono, at the file's rate. Empty when there is no music.
struct CaptureMusic {
  std::vector<float> mono;
  int sampleRate = 0;
};

static CaptureMusic decodeCaptureMusic() {
  CaptureMusic music;
  platform::DecodedMusic decoded;
  std::string why;
  if (!platform::decodeMusicFile("flash.mp3", &decoded, &why)) {
    trace(TRACE_WARNING, "capture", "no music for the spectrum: %s", why.c_str());
    return music;
  }
  music.mono = platform::mixToMono(decoded);
  music.sampleRate = decoded.sampleRate;
  return music;
}

// Messages still count while capturing: Escape or a close ends the capture early.
static bool quitRequested() {
  platform::Message message;
  while (platform::peekMessage(&message)) {
    if (message.message == platform::WM_QUIT) return true;
    platform::dispatchMessage(message);
  }
  return false;
}

// "capture: frame 120 at 2.00 s (14.2 frames a second)" on the debugger output.
static void reportProgress(const char* what, int count, double seconds, int frames, uint64_t startCount) {
  double spent = platform::millisecondsSince(startCount) / 1000.0;
  char progress[128];
  snprintf(progress, sizeof(progress), "capture: %s %d at %.2f s (%.1f frames a second)\n", what, count,
           seconds, spent > 0.0 ? frames / spent : 0.0);
  platform::debugOutput(progress);
}

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
  CaptureMusic music = decodeCaptureMusic();
  platform::SpectrumAnalyser analyser;
  std::vector<float> bins(platform::kSpectrumBins);
  FrameSink sink;
  bool ok = openSink(sink, line, width, height, toSeconds);
  // Frames are encoded on the writer's thread while the next one renders.
  FrameWriter writer;
  if (ok && sinkWrites(sink))
    writer.begin(width, height, [&sink](int index, const std::vector<unsigned char>& rgb) {
      return writeFrame(sink, index, rgb);
    });
  if (app.editor) app.editor->init();
  std::unique_ptr<BenchmarkRecorder> benchmark;
  if (line.benchmark && ok && enablePassProfiler(true)) {
    benchmark = std::make_unique<BenchmarkRecorder>();
    benchmark->begin(width, height);
  }
  uint64_t startCount = platform::performanceCounter();
  int frames = 0;

  for (int index = 0; ok; ++index) {
    double seconds = line.fromSeconds + index / line.fps;
    if (seconds > toSeconds + 1e-9 || quitRequested()) break;
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
    drawDemoFrame(app, tMs, spectrum);
    if (app.editor) {
      ScopedPass pass("editor");
      app.editor->draw();
    }
    if (sinkWrites(sink)) {
      uint64_t readStart = platform::performanceCounter();
      double waitedMs = writer.queueWindow(index);
      addCpuPass("readback", platform::millisecondsSince(readStart) - waitedMs);
      addCpuPass("waiting for encoding", waitedMs);
      if (writer.failed()) {
        trace(TRACE_WARNING, "capture", "cannot write frame %d", writer.failedIndex());
        ok = false;
      }
    }
    platform::swapBuffers(window);
    if (benchmark) benchmark->endFrame(seconds);
    ++frames;
    if (index % 60 == 0) reportProgress("frame", index, seconds, frames, startCount);
  }
  if (sinkWrites(sink) && !writer.end()) {
    if (ok) trace(TRACE_WARNING, "capture", "cannot write frame %d", writer.failedIndex());
    ok = false;
  }
  ok = closeSink(sink) && ok;
  reportProgress("done,", frames, toSeconds, frames, startCount);
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
