#include "showcheck.h"

#include <algorithm>

namespace showcheck {

namespace {

double luma709(const uint8_t* p) { return (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) / 255.0; }

// A flat clipped colour: one channel pinned at full while another is well below it. Near-white
// pixels are the flashes' and the highlights' own colour, not a clip.
bool clippedColour(const uint8_t* p) {
  uint8_t lo = p[0] < p[1] ? p[0] : p[1];
  if (p[2] < lo) lo = p[2];
  bool full = p[0] == 255 || p[1] == 255 || p[2] == 255;
  return full && lo < 200;
}

}  // namespace

void measurePixels(const uint8_t* rgb, int width, int height, Frame& frame) {
  double sum = 0;
  long clipped = 0;
  long pixels = long(width) * height;
  for (long i = 0; i < pixels; ++i) {
    const uint8_t* p = rgb + 3 * i;
    sum += luma709(p);
    if (clippedColour(p)) ++clipped;
  }
  frame.luma = pixels ? sum / pixels : 0;
  frame.clipped = pixels ? double(clipped) / pixels : 0;
}

double lumaChange(const uint8_t* a, const uint8_t* b, int pixels) {
  double sum = 0;
  for (int i = 0; i < pixels; ++i) {
    double d = luma709(a + 3 * i) - luma709(b + 3 * i);
    sum += d < 0 ? -d : d;
  }
  return pixels ? sum / pixels : 0;
}

std::vector<Stretch> findStretches(const std::vector<Frame>& frames, double fps, const Goals& goals) {
  std::vector<Stretch> found;
  const double step = 1.0 / fps;
  // One run per kind: where it began (or -1), closed when the condition ends.
  const char* kinds[3] = {"dark", "still", "clipped"};
  double begin[3] = {-1, -1, -1};
  auto breaks = [&](int kind, const Frame& f, bool first) {
    if (f.seconds >= goals.exemptFrom) return false;
    if (kind == 0) return f.luma < goals.darkLuma;
    if (kind == 1) return !first && f.change < goals.stillChange;
    return !f.whiteFlash && f.clipped > goals.clippedShare;
  };
  auto close = [&](int kind, double end) {
    if (begin[kind] < 0) return;
    // A clipped frame is a fault on its own; dark and still frames only in a long run.
    if (kind == 2 || end - begin[kind] > goals.longest + 1e-9) found.push_back({kinds[kind], begin[kind], end});
    begin[kind] = -1;
  };
  for (size_t i = 0; i < frames.size(); ++i) {
    for (int kind = 0; kind < 3; ++kind) {
      if (breaks(kind, frames[i], i == 0)) {
        if (begin[kind] < 0) begin[kind] = frames[i].seconds;
      } else {
        close(kind, frames[i].seconds);
      }
    }
  }
  double end = frames.empty() ? 0 : frames.back().seconds + step;
  for (int kind = 0; kind < 3; ++kind) close(kind, end);
  std::stable_sort(found.begin(), found.end(), [](const Stretch& a, const Stretch& b) { return a.from < b.from; });
  return found;
}

}  // namespace showcheck
