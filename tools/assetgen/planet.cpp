// The planet: its equirectangular surface map and the lens overlay drawn over the scene.
#include <cmath>

#include "draw.h"
#include "noise.h"
#include "pictures.h"
#include "text.h"

namespace assetgen {

namespace {

const float kPi = 3.14159265f;

// Surface colour at the unit-sphere point (x, y, z), y towards the north pole; latDeg -90..90.
Color surfaceAt(float x, float y, float z, float latDeg) {
  float wx = fbm3(x * 1.5f, y * 1.5f, z * 1.5f, 3, 61), wz = fbm3(x * 1.5f + 4, y * 1.5f, z * 1.5f, 3, 62);
  float h = fbm3(x * 1.3f + 0.6f * wx, y * 1.3f, z * 1.3f + 0.6f * wz, 7, 63) + 0.3f * fbm3(x * 0.7f, y * 0.7f, z * 0.7f, 2, 64);
  const float sea = 0.05f;
  float lat = std::fabs(latDeg);
  Color c;
  if (h < sea) {
    float depth = clamp01((sea - h) * 3.0f);
    c = mix(rgb(0.07f, 0.30f, 0.42f), rgb(0.01f, 0.05f, 0.17f), std::sqrt(depth));
  } else {
    float e = clamp01((h - sea) * 2.6f);
    float moist = 0.5f + 0.7f * fbm3(x * 2.5f + 9, y * 2.5f, z * 2.5f, 4, 65);
    float warm = 1 - lat / 70.0f + 0.15f * wx;
    // Dry belts near 25 degrees, green near the equator and in the mid latitudes.
    float dry = clamp01(std::exp(-std::pow((lat - 24) / 12, 2.0f)) * 1.2f - moist * 0.6f + 0.2f);
    Color green = mix(rgb(0.10f, 0.26f, 0.07f), rgb(0.30f, 0.38f, 0.14f), clamp01(moist));
    Color land = mix(green, rgb(0.72f, 0.58f, 0.36f), dry);
    land = mix(land, rgb(0.42f, 0.40f, 0.33f), clamp01(1 - warm * 1.6f));  // tundra
    land = mix(land, rgb(0.40f, 0.34f, 0.28f), smoothstep(0.35f, 0.7f, e));  // mountains
    land = mix(land, rgb(0.92f, 0.93f, 0.95f), smoothstep(0.72f, 0.85f, e + (1 - warm) * 0.3f));
    float detail = 0.85f + 0.3f * (0.5f + 0.5f * fbm3(x * 40, y * 40, z * 40, 3, 66));
    c = scaled(land, detail);
    c.a = 1;
  }
  float ice = smoothstep(70, 74, lat + 6 * fbm3(x * 4, y * 4, z * 4, 3, 67));
  c = mix(c, rgb(0.90f, 0.94f, 0.98f), ice);
  // Clouds: swirls of warped noise, thicker in storm belts.
  float cwx = fbm3(x * 2, y * 6, z * 2, 3, 68);
  float cl = fbm3(x * 3.2f + 1.5f * cwx, y * 7.0f, z * 3.2f - 1.5f * cwx, 6, 69);
  float belts = 0.15f * std::cos(latDeg * kPi / 30.0f);
  float cover = smoothstep(0.12f, 0.6f, cl + belts) * 0.85f;
  return mix(c, rgb(0.97f, 0.97f, 0.99f), cover);
}

}  // namespace

bool makePlanetSurface(const std::string& path) {
  const int w = 2048, h = 1024;
  Image img(w, h);
  // Row 0 is the north pole (texture v = 0 in the model); u grows eastwards.
  for (int j = 0; j < h; ++j) {
    float lat = 90.0f - (j + 0.5f) * 180.0f / h;
    float cl = std::cos(lat * kPi / 180), sl = std::sin(lat * kPi / 180);
    for (int i = 0; i < w; ++i) {
      float lon = (i + 0.5f) * 2 * kPi / w - kPi;
      img.at(i, j) = surfaceAt(cl * std::sin(lon), sl, cl * std::cos(lon), lat);
    }
  }
  return writePng(img, path, 3);
}

bool makePlanetOverlay(const std::string& path) {
  Font mono;
  if (!mono.load("DejaVuSansMono.ttf")) return false;
  Image img(kScreenW, kScreenH);
  const Vec2 c{kScreenW * 0.5f, kScreenH * 0.5f};
  const float diag = std::hypot(c.x, c.y);

  // Lens vignette with faint scan lines; the middle stays clear.
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      float r = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y) / diag;
      float a = smoothstep(0.45f, 1.0f, r) * 0.8f;
      if (y % 4 == 0) a += 0.06f * smoothstep(0.4f, 0.7f, r);
      float tint = smoothstep(0.5f, 1.0f, r);
      img.at(x, y) = scaled(rgb(0.0f, 0.04f * tint, 0.08f * tint), a);
    }

  Mask lines(kScreenW, kScreenH);
  strokeCircle(lines, c, 300, 1.6f, 0.8f);
  strokeCircle(lines, c, 312, 1.0f, 0.35f);
  for (int k = 0; k < 72; ++k) {  // ticks every five degrees, long ones every thirty
    float a = k * 2 * kPi / 72, len = (k % 6 == 0) ? 26.0f : 10.0f;
    Vec2 d{std::cos(a), std::sin(a)};
    strokeSegment(lines, {c.x + d.x * 318, c.y + d.y * 318}, {c.x + d.x * (318 + len), c.y + d.y * (318 + len)}, 1.4f, 0.7f);
  }
  for (int k = 0; k < 4; ++k) {  // four arcs of a wider ring
    std::vector<Vec2> arc;
    float a0 = k * kPi / 2 + 0.25f;
    for (int s = 0; s <= 60; ++s) {
      float a = a0 + s * (kPi / 2 - 0.5f) / 60;
      arc.push_back({c.x + 440 * std::cos(a), c.y + 440 * std::sin(a)});
    }
    strokePolyline(lines, arc, 2.2f, false, 0.55f);
  }
  // Cross hairs from the rings outwards, leaving the middle open.
  strokeSegment(lines, {c.x - 900, c.y}, {c.x - 470, c.y}, 1.2f, 0.45f);
  strokeSegment(lines, {c.x + 470, c.y}, {c.x + 900, c.y}, 1.2f, 0.45f);
  strokeSegment(lines, {c.x, c.y - 520}, {c.x, c.y - 470}, 1.2f, 0.45f);
  strokeSegment(lines, {c.x, c.y + 470}, {c.x, c.y + 520}, 1.2f, 0.45f);
  // Corner brackets.
  for (int k = 0; k < 4; ++k) {
    float sx = (k & 1) ? -1.0f : 1.0f, sy = (k & 2) ? -1.0f : 1.0f;
    Vec2 corner{c.x - sx * 880, c.y - sy * 470};
    strokeSegment(lines, corner, {corner.x + sx * 90, corner.y}, 2.4f, 0.7f);
    strokeSegment(lines, corner, {corner.x, corner.y + sy * 90}, 2.4f, 0.7f);
  }
  // A scale bar, bottom right.
  strokeSegment(lines, {1520, 960}, {1800, 960}, 2.0f, 0.7f);
  for (int k = 0; k <= 4; ++k) strokeSegment(lines, {1520.0f + k * 70, 948}, {1520.0f + k * 70, 960}, 1.6f, 0.7f);

  const Color hud = rgba(0.55f, 0.95f, 1.0f, 1.0f);
  img.addMask(glowOf(lines, 6), 0, 0, scaled(hud, 0.8f));
  img.overMask(lines, 0, 0, hud);

  struct Label {
    const char* text;
    int x, y, size;
  };
  const Label labels[] = {
      {"ERS // SURFACE SCAN", 110, 110, 26},     {"ORBIT 0412   ALT 35786 KM", 110, 146, 20},
      {"LAT 51.20 N   LON 014.70 E", 110, 950, 20}, {"ALBEDO 0.31", 110, 982, 20},
      {"TRACKING", 1650, 110, 26},                {"LOCK", 1650, 146, 20},
      {"1000 KM", 1610, 990, 20},
  };
  for (const Label& l : labels) {
    Mask m = mono.render(l.text, l.size, 3, 6);
    img.addMask(glowOf(m, 4), l.x, l.y, scaled(hud, 0.6f));
    img.overMask(m, l.x, l.y, rgba(0.75f, 1.0f, 1.0f, 0.9f));
  }
  // Drawn with flipV false: the first stored row lands at the bottom of the screen.
  img.flipVertical();
  return writePng(img, path, 4);
}

}  // namespace assetgen
