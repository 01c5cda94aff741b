// The program's icon: a ringed planet with a soft glow on a dark rounded square, drawn
// analytically in unit coordinates (0..1, y down) and supersampled, so every size is the same
// picture, sharp at 48 px and smooth at 256 px. Outside the rounded square the icon is
// transparent.
#include <cmath>
#include <cstdio>

#include "assetgen.h"
#include "draw.h"
#include "image.h"

namespace assetgen {

namespace {

constexpr int kSamples = 4;  // per axis and pixel
constexpr float kPi = 3.14159265f;

// The layout, in unit coordinates.
constexpr float kCorner = 0.19f, kHalf = 0.47f;              // rounded square
constexpr float kPlanetX = 0.5f, kPlanetY = 0.52f, kPlanetR = 0.2f;
constexpr float kRingInner = 0.27f, kRingOuter = 0.41f;       // in the ring's own plane
constexpr float kRingFlat = 0.3f;                              // seen from just above
constexpr float kRingTilt = -0.36f;                            // radians, clockwise on screen

struct Star {
  float x, y, r, k;
};
const Star kStars[] = {{0.2f, 0.18f, 0.012f, 1.0f},  {0.8f, 0.22f, 0.009f, 0.8f}, {0.14f, 0.72f, 0.008f, 0.6f},
                       {0.84f, 0.8f, 0.011f, 0.9f},  {0.66f, 0.12f, 0.007f, 0.6f}, {0.33f, 0.86f, 0.007f, 0.5f}};

// Premultiplied colour of `top` over `under`.
Color over(const Color& under, const Color& top) {
  return {top.r + under.r * (1 - top.a), top.g + under.g * (1 - top.a), top.b + under.b * (1 - top.a),
          top.a + under.a * (1 - top.a)};
}
Color premultiplied(Color c, float alpha) { return {c.r * alpha, c.g * alpha, c.b * alpha, alpha}; }

Color background(float x, float y) {
  Color top = rgb(0.10f, 0.11f, 0.24f), bottom = rgb(0.03f, 0.03f, 0.09f);
  Color c = mix(top, bottom, clamp01(y));
  // The planet's light on the backdrop, and the stars.
  float d = std::hypot(x - kPlanetX, y - kPlanetY);
  float glow = 0.55f * std::exp(-std::pow(std::max(0.0f, d - kPlanetR) / 0.09f, 1.4f));
  c.r += 0.10f * glow;
  c.g += 0.45f * glow;
  c.b += 0.65f * glow;
  for (const Star& s : kStars) {
    float k = s.k * (1 - smoothstep(0.0f, s.r, std::hypot(x - s.x, y - s.y)));
    c.r += 0.9f * k;
    c.g += 0.9f * k;
    c.b += k;
  }
  return c;
}

// The ring's coordinates: distance from the planet's centre in the ring's plane, and whether
// the point lies on the near half (below the planet's centre line after the tilt).
void ringPlane(float x, float y, float* radius, bool* near) {
  float dx = x - kPlanetX, dy = y - kPlanetY;
  float c = std::cos(kRingTilt), s = std::sin(kRingTilt);
  float u = c * dx + s * dy, v = -s * dx + c * dy;
  *radius = std::hypot(u, v / kRingFlat);
  *near = v > 0;
}

// The ring's straight colour and opacity at a plane radius: pale gold bands with a gap.
Color ringAt(float radius) {
  if (radius < kRingInner || radius > kRingOuter) return {};
  float t = (radius - kRingInner) / (kRingOuter - kRingInner);
  float bands = 0.75f + 0.25f * std::cos(t * 9.0f * kPi);
  float gap = 1 - 0.8f * (1 - smoothstep(0.0f, 0.05f, std::fabs(t - 0.62f)));
  float edge = smoothstep(0.0f, 0.06f, t) * smoothstep(0.0f, 0.06f, 1 - t);
  Color c = mix(rgb(1.0f, 0.86f, 0.58f), rgb(0.86f, 0.62f, 0.42f), t);
  c.a = 0.92f * bands * gap * edge;
  return c;
}

// The planet's surface, lit from the upper left, with banded clouds and a blue rim.
Color planetAt(float x, float y) {
  float dx = (x - kPlanetX) / kPlanetR, dy = (y - kPlanetY) / kPlanetR;
  float z = std::sqrt(std::max(0.0f, 1 - dx * dx - dy * dy));
  float light = clamp01(-0.55f * dx - 0.6f * dy + 0.58f * z);
  // Bands follow the ring's tilt: latitude measured across the tilted axis.
  float latitude = -std::sin(kRingTilt) * dx + std::cos(kRingTilt) * dy;
  float bands = 0.5f + 0.5f * std::sin(latitude * 7.5f + 0.8f * std::sin(latitude * 13.0f));
  Color surface = mix(rgb(0.12f, 0.45f, 0.78f), rgb(0.36f, 0.82f, 0.88f), bands);
  Color c = scaled(surface, 0.12f + 0.95f * light);
  float rim = std::pow(1 - z, 3.0f);
  c.r += 0.15f * rim;
  c.g += 0.45f * rim;
  c.b += 0.75f * rim;
  c.a = 1;
  return c;
}

// One sample of the icon, premultiplied.
Color iconSample(float x, float y) {
  float box = roundedBoxDistance(x, y, 0.5f, 0.5f, kHalf, kHalf, kCorner);
  if (box > 0) return {};
  Color c = background(x, y);
  // A thin lighter edge just inside the square.
  float edge = 1 - smoothstep(0.0f, 0.012f, -box);
  c = mix(c, rgb(0.32f, 0.36f, 0.62f), 0.6f * edge);

  float radius;
  bool near;
  ringPlane(x, y, &radius, &near);
  Color ring = ringAt(radius);
  bool onPlanet = std::hypot(x - kPlanetX, y - kPlanetY) <= kPlanetR;
  if (!near) c = over(c, premultiplied(ring, ring.a));
  if (onPlanet) c = over(c, premultiplied(planetAt(x, y), 1));
  if (near) c = over(c, premultiplied(ring, ring.a));
  return c;
}

}  // namespace

bool writeIcon(const std::string& path, int size) {
  Image icon(size, size);
  const float step = 1.0f / float(size * kSamples);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Color sum;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          Color s = iconSample((float(px * kSamples + sx) + 0.5f) * step, (float(py * kSamples + sy) + 0.5f) * step);
          sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b, sum.a + s.a};
        }
      icon.at(px, py) = scaled(sum, 1.0f / float(kSamples * kSamples));
    }
  }
  if (!makeParentDirs(path) || !writePng(icon, path, 4)) {
    fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace assetgen
