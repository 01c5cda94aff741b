// Pass profiler for the benchmark mode: the time and the pixels written of each named pass of a
// frame. A pass's time runs from a glFinish before it to a glFinish after it, so it is the time
// GL took to carry out exactly that pass (Mesa's software renderer bins draws and rasterises
// them at the next flush, and its GL_TIME_ELAPSED queries time the binning only: a full-screen
// quad reads 0.03 ms there). Its pixels come from a GL_SAMPLES_PASSED query around it.
// Passes nest: beginning an inner pass pauses the outer one, so every moment of GL work is
// counted in exactly one pass and the passes of a frame add up to its GL time.
// When the profiler is off (the default) every call returns at once and issues no GL call.
// Depends on: occlusion queries (OpenGL 1.5), the clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl.h"

namespace qorFramework {

// One pass of one frame, summed over all its pieces. Times are milliseconds of wall time; pixels are
// fragments that passed every test (a clear counts the pixels it cleared).
struct PassSample {
  std::string name;
  double ms = 0.0;
  double pixels = 0.0;
};

// Turns profiling on or off; needs a current GL context to turn on. False when the context
// lacks timer queries (a WARNING says so) and the profiler stays off.
bool enablePassProfiler(bool on);
bool passProfilerEnabled();

// begin/end pairs must match within a frame; names are static strings.
void beginPass(const char* name);
void endPass();

// A pass that did its work outside GL's queries: a clear (its pixels) or CPU work measured by
// the caller (readback, encoding). Added to the current frame's list.
void addPassPixels(double pixels);
// addPassPixels with the current viewport's pixels: call right after a glClear.
void addClearedPixels();
void addCpuPass(const char* name, double milliseconds);

// Waits for the frame's queries and returns its passes in order of first appearance, then starts
// a new frame. Any pass still open is closed first.
std::vector<PassSample> collectPassFrame();

// Frees the queries; call while the context lives.
void releasePassProfiler();

// RAII helper for a pass that spans one scope.
struct ScopedPass {
  explicit ScopedPass(const char* name) { beginPass(name); }
  ~ScopedPass() { endPass(); }
  ScopedPass(const ScopedPass&) = delete;
  ScopedPass& operator=(const ScopedPass&) = delete;
};

}  // namespace qorFramework
