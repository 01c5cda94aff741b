#include "app/benchmark.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "platform/trace.h"
#include "gfx/screen_quad.h"
#include "gfx/texture.h"
#include "platform/gl.h"
#include "platform/system.h"

namespace qorFramework {

const std::vector<ShowSection>& showSections() {
  // Where the curves change the show's picture: the drop at 28 s, the photographs from 56 s,
  // the breakdown from 84 s, the second drop at 104 s, the title alone from 112 s, the fade.
  static const std::vector<ShowSection> sections = {
      {"planet", 0.0, 28.0},       {"credits", 28.0, 56.0}, {"photographs", 56.0, 84.0},
      {"breakdown", 84.0, 104.0},  {"climax", 104.0, 112.0}, {"title", 112.0, 118.0},
      {"fade", 118.0, 1.0e9},
  };
  return sections;
}

static double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

static PassSummary& passNamed(std::vector<PassSummary>& passes, const std::string& name) {
  for (PassSummary& p : passes)
    if (p.name == name) return p;
  passes.push_back(PassSummary{name, 0.0, 0.0});
  return passes.back();
}

static SectionSummary summariseSection(const ShowSection& section,
                                       const std::vector<const BenchmarkFrame*>& frames,
                                       double screenPixels, double floorQuadMs) {
  SectionSummary s;
  s.name = section.name;
  s.fromSeconds = section.fromSeconds;
  s.toSeconds = section.toSeconds;
  s.frames = static_cast<int>(frames.size());
  std::vector<double> times, floorQuads;
  for (const BenchmarkFrame* f : frames) {
    times.push_back(f->frameMs);
    floorQuads.push_back(f->floorQuadMs > 0.0 ? f->floorQuadMs : floorQuadMs);
    s.worstMs = std::max(s.worstMs, f->frameMs);
    s.meanMs += f->frameMs / s.frames;
    for (const PassSample& p : f->passes) {
      PassSummary& sum = passNamed(s.passes, p.name);
      sum.msPerFrame += p.ms / s.frames;
      sum.fullScreensPerFrame += p.pixels / screenPixels / s.frames;
    }
  }
  s.medianMs = median(times);
  for (const PassSummary& p : s.passes) {
    s.passMsPerFrame += p.msPerFrame;
    s.fullScreensPerFrame += p.fullScreensPerFrame;
  }
  s.floorQuadMs = median(floorQuads);
  s.floorMs = s.floorQuadMs * s.fullScreensPerFrame;
  s.ratio = s.floorMs > 0.0 ? s.meanMs / s.floorMs : 0.0;
  return s;
}

BenchmarkReport summariseBenchmark(const std::vector<BenchmarkFrame>& frames, int width, int height,
                                   double fps, double floorQuadMs) {
  BenchmarkReport report;
  report.width = width;
  report.height = height;
  report.fps = fps;
  report.floorQuadMs = floorQuadMs;
  double screenPixels = std::max(1.0, static_cast<double>(width) * height);
  for (const ShowSection& section : showSections()) {
    std::vector<const BenchmarkFrame*> inside;
    for (const BenchmarkFrame& f : frames)
      if (f.seconds >= section.fromSeconds && f.seconds < section.toSeconds) inside.push_back(&f);
    if (!inside.empty()) report.sections.push_back(summariseSection(section, inside, screenPixels, floorQuadMs));
  }
  return report;
}

static void appendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
static void appendf(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  out += buffer;
}

// Every pass name of every section, in order of first appearance.
static std::vector<std::string> allPassNames(const BenchmarkReport& report) {
  std::vector<std::string> names;
  for (const SectionSummary& s : report.sections)
    for (const PassSummary& p : s.passes)
      if (std::find(names.begin(), names.end(), p.name) == names.end()) names.push_back(p.name);
  return names;
}

static const PassSummary* findPass(const SectionSummary& s, const std::string& name) {
  for (const PassSummary& p : s.passes)
    if (p.name == name) return &p;
  return nullptr;
}

std::string formatBenchmarkTable(const BenchmarkReport& r) {
  std::string out;
  appendf(out, "benchmark: %d x %d, %g frames a second of demo time; floor quad %.2f ms at start\n\n", r.width,
          r.height, r.fps, r.floorQuadMs);
  appendf(out, "%-22s", "section");
  for (const SectionSummary& s : r.sections) appendf(out, "%13s", s.name.c_str());
  out += "\n";
  auto row = [&](const char* label, auto value, const char* format) {
    appendf(out, "%-22s", label);
    for (const SectionSummary& s : r.sections) appendf(out, format, value(s));
    out += "\n";
  };
  row("frames", [](const SectionSummary& s) { return s.frames; }, "%13d");
  row("median ms", [](const SectionSummary& s) { return s.medianMs; }, "%13.1f");
  row("worst ms", [](const SectionSummary& s) { return s.worstMs; }, "%13.1f");
  row("mean ms", [](const SectionSummary& s) { return s.meanMs; }, "%13.1f");
  row("passes' sum ms", [](const SectionSummary& s) { return s.passMsPerFrame; }, "%13.1f");
  row("full screens", [](const SectionSummary& s) { return s.fullScreensPerFrame; }, "%13.2f");
  row("floor quad ms", [](const SectionSummary& s) { return s.floorQuadMs; }, "%13.2f");
  row("floor ms", [](const SectionSummary& s) { return s.floorMs; }, "%13.1f");
  row("mean / floor", [](const SectionSummary& s) { return s.ratio; }, "%13.2f");
  out += "\nms per frame (full screens written) by pass\n";
  for (const std::string& name : allPassNames(r)) {
    appendf(out, "%-22.22s", name.c_str());
    for (const SectionSummary& s : r.sections) {
      const PassSummary* p = findPass(s, name);
      if (p) appendf(out, "%7.1f (%4.1f)", p->msPerFrame, p->fullScreensPerFrame);
      else appendf(out, "%13s", "-");
    }
    out += "\n";
  }
  return out;
}

static std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

std::string formatBenchmarkJson(const BenchmarkReport& r) {
  std::string out;
  appendf(out, "{\n  \"width\": %d, \"height\": %d, \"fps\": %g, \"floorQuadMs\": %.4f,\n  \"sections\": [",
          r.width, r.height, r.fps, r.floorQuadMs);
  for (size_t i = 0; i < r.sections.size(); ++i) {
    const SectionSummary& s = r.sections[i];
    out += i ? ",\n    {" : "\n    {";
    appendf(out, "\"name\": %s, \"from\": %g, \"to\": %g, \"frames\": %d, ", jsonString(s.name).c_str(),
            s.fromSeconds, std::min(s.toSeconds, 1.0e6), s.frames);
    appendf(out, "\"medianMs\": %.3f, \"worstMs\": %.3f, \"meanMs\": %.3f, \"passMs\": %.3f, ", s.medianMs,
            s.worstMs, s.meanMs, s.passMsPerFrame);
    appendf(out, "\"fullScreens\": %.4f, \"floorQuadMs\": %.4f, \"floorMs\": %.3f, \"ratio\": %.4f,\n     \"passes\": [",
            s.fullScreensPerFrame, s.floorQuadMs, s.floorMs, s.ratio);
    for (size_t j = 0; j < s.passes.size(); ++j) {
      const PassSummary& p = s.passes[j];
      appendf(out, "%s{\"name\": %s, \"ms\": %.4f, \"fullScreens\": %.4f}", j ? ", " : "",
              jsonString(p.name).c_str(), p.msPerFrame, p.fullScreensPerFrame);
    }
    out += "]}";
  }
  out += "\n  ]\n}\n";
  return out;
}

bool writeBenchmarkJson(const std::string& path, const BenchmarkReport& report) {
  std::string temporary = path + ".part";
  FILE* file = fopen(temporary.c_str(), "wb");
  std::string text = formatBenchmarkJson(report);
  bool ok = file && fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file) ok = fclose(file) == 0 && ok;
  ok = ok && platform::replaceFile(temporary.c_str(), path.c_str());
  if (!ok) {
    platform::deleteFile(temporary.c_str());
    trace(TRACE_WARNING, "benchmark", "cannot write %s", path.c_str());
  }
  return ok;
}

void FloorQuad::create(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  uint32_t seed = 12345;
  for (uint8_t& p : pixels) p = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
  picture.create(pixels.data(), width, height, GL_RGBA, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
}

double FloorQuad::measure() {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glViewport(0, 0, picture.width, picture.height);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
  picture.bind(GL_TEXTURE0);
  beginPass("floor quad");
  drawScreenQuad(false, 1.0f, 0.0f, 0.0f);
  endPass();
  std::vector<PassSample> passes = collectPassFrame();
  picture.unbind();
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  return passes.empty() ? 0.0 : passes[0].ms;
}

void FloorQuad::release() { picture.release(); }

void BenchmarkRecorder::begin(int width, int height) {
  floorQuad.create(width, height);
  std::vector<double> times;
  for (int i = 0; i < 24; ++i) {
    double ms = floorQuad.measure();
    if (i >= 4) times.push_back(ms);  // the first ones warm up
  }
  startFloorQuadMs = median(times);
}

void BenchmarkRecorder::end() { floorQuad.release(); }

void BenchmarkRecorder::beginFrame() {
  glFinish();  // nothing of the previous frame is left to count against this one
  frameStart = platform::performanceCounter();
}

void BenchmarkRecorder::endFrame(double seconds) {
  glFinish();
  BenchmarkFrame frame;
  frame.seconds = seconds;
  frame.frameMs = platform::millisecondsSince(frameStart);
  frame.passes = collectPassFrame();
  frame.floorQuadMs = floorQuad.measure();
  frames.push_back(std::move(frame));
}

}  // namespace qorFramework
