#include "editor/beat_grid.h"

#include <cmath>

#include "platform/gl.h"

namespace qorFramework {

float snapToGrid(const BeatGrid& grid, float t, double unitBeats) {
  double unit = grid.beatSeconds() * unitBeats;
  if (!(unit > 0.0) || !std::isfinite(t)) return t;
  double lines = std::round((t - grid.offsetSeconds) / unit);
  double snapped = grid.offsetSeconds + lines * unit;
  if (snapped < 0.0) snapped += unit * std::ceil(-snapped / unit);  // the first line at or after 0
  return static_cast<float>(snapped);
}

// Lines every `every` beats from y0 to y1; returns how many were drawn.
static int drawLines(const BeatGrid& grid, double startSeconds, double endSeconds, float y0, float y1,
                     double every, int skipEvery) {
  double spacing = grid.beatSeconds() * every;
  double window = endSeconds - startSeconds;
  long first = static_cast<long>(std::ceil((startSeconds - grid.offsetSeconds) / spacing));
  long last = static_cast<long>(std::floor((endSeconds - grid.offsetSeconds) / spacing));
  int drawn = 0;
  glBegin(GL_LINES);
  for (long k = first; k <= last; ++k) {
    if (skipEvery > 0 && k % skipEvery == 0) continue;  // left to the stronger lines
    double t = grid.offsetSeconds + k * spacing;
    if (t < 0.0) continue;
    float x = static_cast<float>((t - startSeconds) / window);
    glVertex2f(x, y0);
    glVertex2f(x, y1);
    ++drawn;
  }
  glEnd();
  return drawn;
}

int drawBeatGrid(const BeatGrid& grid, double startSeconds, double endSeconds, float y0, float y1,
                 int viewportPixels, float minPixels) {
  double window = endSeconds - startSeconds;
  if (!(window > 0.0) || !(grid.beatsPerMinute > 0.0) || viewportPixels <= 0) return 0;
  double pixelsPerSecond = viewportPixels / window;
  bool beatsFit = grid.beatSeconds() * pixelsPerSecond >= minPixels;
  // Bars thin to every 2nd, 4th, ... bar until they are minPixels apart.
  double barEvery = grid.beatsPerBar;
  while (grid.beatSeconds() * barEvery * pixelsPerSecond < minPixels) barEvery *= 2.0;

  int drawn = 0;
  if (beatsFit) {
    glColor3f(0.13f, 0.12f, 0.17f);
    drawn += drawLines(grid, startSeconds, endSeconds, y0, y1, 1.0, grid.beatsPerBar);
  }
  glColor3f(0.26f, 0.24f, 0.36f);
  drawn += drawLines(grid, startSeconds, endSeconds, y0, y1, barEvery, 0);
  return drawn;
}

}  // namespace qorFramework
