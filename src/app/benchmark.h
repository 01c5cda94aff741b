// Benchmark mode: where a frame's time goes. Records, for every frame the offline loop draws,
// its wall time and the passes the pass profiler measured, then sums them up section by section
// of the show against a floor: what this machine needs to fill the same number of pixels with
// the cheapest full-screen pass (one textured, blended quad, measured at start in the same run
// and again after every frame, so that a machine whose load changes is compared with itself).
// Prints the table to standard output and, when asked, the same figures as JSON.
// Depends on: the pass profiler, the screen quad, the clock.
#pragma once

#include <string>
#include <vector>

#include "gfx/pass_profiler.h"
#include "gfx/texture.h"

namespace qorFramework {

// The show's sections: demo seconds [from, to).
struct ShowSection {
  const char* name;
  double fromSeconds, toSeconds;
};
const std::vector<ShowSection>& showSections();

struct BenchmarkFrame {
  double seconds = 0.0;  // demo time drawn
  double frameMs = 0.0;  // wall time, from the frame's start until GL had finished it
  double floorQuadMs = 0.0;  // one floor quad measured right after the frame
  std::vector<PassSample> passes;
};

struct PassSummary {
  std::string name;
  double msPerFrame = 0.0;          // mean over the section's frames
  double fullScreensPerFrame = 0.0;  // pixels written / pixels of the window, mean
};

struct SectionSummary {
  std::string name;
  double fromSeconds = 0.0, toSeconds = 0.0;
  int frames = 0;
  double medianMs = 0.0, worstMs = 0.0, meanMs = 0.0;
  double passMsPerFrame = 0.0;       // the passes' sum, mean: close to meanMs
  double fullScreensPerFrame = 0.0;  // all passes
  double floorQuadMs = 0.0;          // median of the section's floor quads
  double floorMs = 0.0;              // floor quad x full screens
  double ratio = 0.0;                // meanMs / floorMs (0 without a floor)
  std::vector<PassSummary> passes;   // in order of first appearance
};

struct BenchmarkReport {
  int width = 0, height = 0;
  double fps = 0.0;
  double floorQuadMs = 0.0;              // measured at start
  std::vector<SectionSummary> sections;  // only sections with frames
};

// Pure: groups frames by section and sums them up.
BenchmarkReport summariseBenchmark(const std::vector<BenchmarkFrame>& frames, int width, int height,
                                   double fps, double floorQuadMs);
std::string formatBenchmarkTable(const BenchmarkReport& report);
std::string formatBenchmarkJson(const BenchmarkReport& report);

// The floor's measure: a window-sized picture of noise drawn as one full-screen textured,
// blended quad into the window's back buffer. Needs the profiler on.
struct FloorQuad {
  GL_MemTexture picture;
  void create(int width, int height);
  // The time of one quad in milliseconds; leaves blending off, texture 0 bound on unit 0 and the
  // back buffer cleared to black.
  double measure();
  void release();
};

// The frame clock of the offline loop: beginFrame before the frame's first GL call, endFrame
// after its last (it waits for GL with glFinish, collects the passes and measures one floor quad).
struct BenchmarkRecorder {
  std::vector<BenchmarkFrame> frames;
  FloorQuad floorQuad;
  double startFloorQuadMs = 0.0;  // the median of several at start
  uint64_t frameStart = 0;
  void begin(int width, int height);
  void beginFrame();
  void endFrame(double seconds);
  void end();  // releases the floor quad's picture
};

// Writes text to `path` through a temporary file and a rename; false (and a WARNING) on failure.
bool writeBenchmarkJson(const std::string& path, const BenchmarkReport& report);

}  // namespace qorFramework
