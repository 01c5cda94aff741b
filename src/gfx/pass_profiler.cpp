#include "gfx/pass_profiler.h"

#include "platform/trace.h"
#include "platform/system.h"

namespace qorFramework {

namespace {

// One stretch of a pass between two pauses: its queries, or a figure measured outside GL.
struct Piece {
  const char* name = nullptr;
  GLuint samplesQuery = 0;  // 0 for a piece measured outside GL
  uint64_t startCount = 0;
  double ms = 0.0, extraPixels = 0.0;
};

struct Profiler {
  bool enabled = false;
  std::vector<const char*> open;        // the nesting of passes; back() is running
  std::vector<Piece> pieces;            // this frame's, in order
  std::vector<GLuint> freeQueries;  // names to reuse: no allocation once warm
};

Profiler& profiler() {
  static Profiler p;
  return p;
}

GLuint takeQuery(std::vector<GLuint>& pool) {
  if (pool.empty()) {
    GLuint names[16];
    glGenQueries(16, names);
    pool.assign(names, names + 16);
  }
  GLuint q = pool.back();
  pool.pop_back();
  return q;
}

// glFinish on both sides: everything GL was asked to do before the piece is done before its
// clock starts, and everything asked within it is done before its clock stops.
void startPiece(Profiler& p, const char* name) {
  Piece piece;
  piece.name = name;
  piece.samplesQuery = takeQuery(p.freeQueries);
  glFinish();
  piece.startCount = platform::performanceCounter();
  glBeginQuery(GL_SAMPLES_PASSED, piece.samplesQuery);
  p.pieces.push_back(piece);
}

void stopPiece(Profiler& p) {
  glEndQuery(GL_SAMPLES_PASSED);
  glFinish();
  Piece& piece = p.pieces.back();
  piece.ms = platform::millisecondsSince(piece.startCount);
}

}  // namespace

bool enablePassProfiler(bool on) {
  Profiler& p = profiler();
  if (on && !epoxy_has_gl_extension("GL_ARB_occlusion_query") && epoxy_gl_version() < 15) {
    trace(TRACE_WARNING, "benchmark", "this OpenGL has no occlusion queries");
    return false;
  }
  p.enabled = on;
  return true;
}

bool passProfilerEnabled() { return profiler().enabled; }

void beginPass(const char* name) {
  Profiler& p = profiler();
  if (!p.enabled) return;
  if (!p.open.empty()) stopPiece(p);
  p.open.push_back(name);
  startPiece(p, name);
}

void endPass() {
  Profiler& p = profiler();
  if (!p.enabled || p.open.empty()) return;
  stopPiece(p);
  p.open.pop_back();
  if (!p.open.empty()) startPiece(p, p.open.back());
}

void addPassPixels(double pixels) {
  Profiler& p = profiler();
  if (!p.enabled || p.pieces.empty() || p.open.empty()) return;
  p.pieces.back().extraPixels += pixels;
}

void addClearedPixels() {
  if (!profiler().enabled) return;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  addPassPixels(static_cast<double>(viewport[2]) * viewport[3]);
}

void addCpuPass(const char* name, double milliseconds) {
  Profiler& p = profiler();
  if (!p.enabled) return;
  Piece piece;
  piece.name = name;
  piece.ms = milliseconds;
  p.pieces.push_back(piece);
}

std::vector<PassSample> collectPassFrame() {
  Profiler& p = profiler();
  std::vector<PassSample> passes;
  if (!p.enabled) return passes;
  while (!p.open.empty()) endPass();
  for (const Piece& piece : p.pieces) {
    double ms = piece.ms, pixels = piece.extraPixels;
    if (piece.samplesQuery) {
      GLuint samples = 0;
      glGetQueryObjectuiv(piece.samplesQuery, GL_QUERY_RESULT, &samples);
      pixels += static_cast<double>(samples);
      p.freeQueries.push_back(piece.samplesQuery);
    }
    PassSample* sample = nullptr;
    for (PassSample& s : passes)
      if (s.name == piece.name) sample = &s;
    if (!sample) {
      passes.push_back(PassSample{piece.name, 0.0, 0.0});
      sample = &passes.back();
    }
    sample->ms += ms;
    sample->pixels += pixels;
  }
  p.pieces.clear();
  return passes;
}

void releasePassProfiler() {
  Profiler& p = profiler();
  collectPassFrame();
  if (!p.freeQueries.empty())
    glDeleteQueries(static_cast<GLsizei>(p.freeQueries.size()), p.freeQueries.data());
  p.freeQueries.clear();
  p.enabled = false;
}

}  // namespace qorFramework
