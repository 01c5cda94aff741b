// Shapes by distance: each pixel's coverage is how far its centre lies inside the edge,
// which gives one pixel of antialiasing at any size.
#include "draw.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

static void putMax(Mask& m, int x, int y, float v) {
  if (x < 0 || y < 0 || x >= m.width || y >= m.height || v <= 0) return;
  float& d = m.at(x, y);
  d = std::max(d, std::min(v, 1.0f));
}

void strokeSegment(Mask& m, Vec2 a, Vec2 b, float width, float strength) {
  float half = width * 0.5f;
  int x0 = int(std::floor(std::min(a.x, b.x) - half - 1)), x1 = int(std::ceil(std::max(a.x, b.x) + half + 1));
  int y0 = int(std::floor(std::min(a.y, b.y) - half - 1)), y1 = int(std::ceil(std::max(a.y, b.y) + half + 1));
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, m.width - 1);
  y1 = std::min(y1, m.height - 1);
  float dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float px = x + 0.5f - a.x, py = y + 0.5f - a.y;
      float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      float ex = px - t * dx, ey = py - t * dy;
      float d = std::sqrt(ex * ex + ey * ey);
      // Lines thinner than a pixel fade instead of breaking up.
      float cov = clamp01(half + 0.5f - d) * std::min(1.0f, width);
      putMax(m, x, y, cov * strength);
    }
}

void strokePolyline(Mask& m, const std::vector<Vec2>& pts, float width, bool closed,
                    float strength) {
  for (size_t i = 0; i + 1 < pts.size(); ++i) strokeSegment(m, pts[i], pts[i + 1], width, strength);
  if (closed && pts.size() > 2) strokeSegment(m, pts.back(), pts.front(), width, strength);
}

void strokeCircle(Mask& m, Vec2 c, float radius, float width, float strength) {
  float half = width * 0.5f;
  int x0 = std::max(0, int(c.x - radius - half - 2)), x1 = std::min(m.width - 1, int(c.x + radius + half + 2));
  int y0 = std::max(0, int(c.y - radius - half - 2)), y1 = std::min(m.height - 1, int(c.y + radius + half + 2));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = std::fabs(std::hypot(x + 0.5f - c.x, y + 0.5f - c.y) - radius);
      putMax(m, x, y, clamp01(half + 0.5f - d) * std::min(1.0f, width) * strength);
    }
}

void fillDisc(Mask& m, Vec2 c, float radius, float strength) {
  int x0 = std::max(0, int(c.x - radius - 2)), x1 = std::min(m.width - 1, int(c.x + radius + 2));
  int y0 = std::max(0, int(c.y - radius - 2)), y1 = std::min(m.height - 1, int(c.y + radius + 2));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y);
      putMax(m, x, y, clamp01(radius + 0.5f - d) * strength);
    }
}

static bool inside(const std::vector<Vec2>& pts, float x, float y) {
  bool in = false;
  for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
    if ((pts[i].y > y) != (pts[j].y > y) &&
        x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
      in = !in;
  }
  return in;
}

void fillPolygon(Mask& m, const std::vector<Vec2>& pts, float strength) {
  if (pts.size() < 3) return;
  float minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
  for (const Vec2& p : pts) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int n = 4;  // 4 x 4 samples per pixel
  for (int y = std::max(0, int(minY) - 1); y <= std::min(m.height - 1, int(maxY) + 1); ++y)
    for (int x = std::max(0, int(minX) - 1); x <= std::min(m.width - 1, int(maxX) + 1); ++x) {
      int hits = 0;
      for (int sy = 0; sy < n; ++sy)
        for (int sx = 0; sx < n; ++sx)
          hits += inside(pts, x + (sx + 0.5f) / n, y + (sy + 0.5f) / n);
      putMax(m, x, y, strength * hits / float(n * n));
    }
}

float roundedBoxDistance(float x, float y, float cx, float cy, float hw, float hh, float r) {
  float qx = std::fabs(x - cx) - (hw - r), qy = std::fabs(y - cy) - (hh - r);
  return std::hypot(std::fmax(qx, 0.0f), std::fmax(qy, 0.0f)) + std::fmin(std::fmax(qx, qy), 0.0f) - r;
}

Mask glowOf(const Mask& m, int radius) {
  Mask g = m;
  blur(g, radius);
  return g;
}

}  // namespace assetgen
