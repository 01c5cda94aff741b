// Pictures made of type: the loading card, the three credit pages and the title screen.
// Type comes from the DejaVu fonts through text.h; glows are blurred copies of the type.
#include <cmath>

#include "draw.h"
#include "noise.h"
#include "pictures.h"
#include "text.h"

namespace assetgen {

namespace {

// Places a text mask centred at (cx, cy), filled with a vertical gradient from top to bottom.
void paintText(Image& img, const Mask& m, float cx, float cy, Color top, Color bottom) {
  int ox = int(std::lround(cx - m.width / 2.0f)), oy = int(std::lround(cy - m.height / 2.0f));
  for (int y = 0; y < m.height; ++y) {
    Color c = mix(top, bottom, float(y) / float(std::max(1, m.height - 1)));
    for (int x = 0; x < m.width; ++x)
      if (m.at(x, y) > 0) img.over(ox + x, oy + y, c, m.at(x, y));
  }
}

// A halo of the mask: added light on opaque pictures, a translucent veil on transparent ones.
void paintGlow(Image& img, const Mask& m, float cx, float cy, int radius, Color c, bool additive) {
  Mask g = m;
  blur(g, radius);
  int ox = int(std::lround(cx - g.width / 2.0f)), oy = int(std::lround(cy - g.height / 2.0f));
  if (additive)
    img.addMask(g, ox, oy, c);
  else
    img.overMask(g, ox, oy, c);
}

// A horizontal hairline that fades out towards both ends.
void paintRule(Image& img, float cx, float y, float halfWidth, float thickness, Color c) {
  for (int x = int(cx - halfWidth); x <= int(cx + halfWidth); ++x) {
    float t = std::fabs((x + 0.5f - cx) / halfWidth);
    float fade = 1.0f - smoothstep(0.3f, 1.0f, t);
    for (int yy = int(y - thickness); yy <= int(y + thickness); ++yy) {
      float cov = clamp01(thickness * 0.5f + 0.5f - std::fabs(yy + 0.5f - y));
      img.over(x, yy, c, cov * fade);
    }
  }
}

// Deep violet darkness with a soft light behind the centre and a little film grain.
Image cardBackdrop(uint32_t seed) {
  Image img(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      float u = (x - kScreenW * 0.5f) / kScreenH, v = (y - kScreenH * 0.46f) / kScreenH;
      float r2 = u * u * 0.55f + v * v * 2.2f;
      float light = std::exp(-r2 * 6.0f);
      float haze = 0.5f + 0.5f * fbm2(x / 420.0f, y / 300.0f, 4, seed);
      float grain = (hashUnit(hash2i(x, y, seed)) - 0.5f) * 0.012f;
      float vignette = 1.0f - smoothstep(0.35f, 1.1f, std::sqrt(u * u + v * v));
      Color c = rgb(0.012f + grain, 0.010f + grain, 0.022f + grain);
      c.r += light * (0.10f + 0.05f * haze) * vignette;
      c.g += light * (0.07f + 0.03f * haze) * vignette;
      c.b += light * (0.16f + 0.08f * haze) * vignette;
      img.at(x, y) = c;
    }
  return img;
}

}  // namespace

bool makeLoadingCard(const std::string& path) {
  Font title, label, serif;
  if (!title.load("DejaVuSans.ttf") || !label.load("DejaVuSans.ttf") ||
      !serif.load("DejaVuSerif.ttf"))
    return false;
  Image img = cardBackdrop(11);
  const float cx = kScreenW * 0.5f;

  Mask name = title.render("dovrix", 230, 34, 120);
  paintGlow(img, name, cx, 430, 60, rgb(0.20f, 0.12f, 0.40f), true);
  paintGlow(img, name, cx, 430, 14, rgb(0.35f, 0.30f, 0.60f), true);
  paintText(img, name, cx, 430, rgb(1.0f, 0.97f, 0.93f), rgb(0.72f, 0.80f, 1.0f));

  paintRule(img, cx, 585, 360, 1.6f, rgba(0.85f, 0.70f, 0.50f, 0.8f));
  Mask year = serif.render("2012", 70, 30, 40);
  paintGlow(img, year, cx, 655, 16, rgb(0.30f, 0.18f, 0.06f), true);
  paintText(img, year, cx, 655, rgb(1.0f, 0.86f, 0.62f), rgb(0.95f, 0.66f, 0.38f));

  // "for all audiences" inside a thin rounded frame, like a rating badge.
  Mask line = label.render("for all audiences", 34, 9, 0);
  const float by = 900, bw = line.width + 90.0f, bh = 74.0f;
  Mask frame(kScreenW, kScreenH);
  for (int y = int(by - bh / 2 - 3); y <= int(by + bh / 2 + 3); ++y)
    for (int x = int(cx - bw / 2 - 3); x <= int(cx + bw / 2 + 3); ++x) {
      // Signed distance to a rounded rectangle, stroked 2 px wide.
      float d = roundedBoxDistance(x + 0.5f, y + 0.5f, cx, by, bw / 2, bh / 2, 18);
      frame.at(x, y) = clamp01(1.5f - std::fabs(d));
    }
  img.overMask(frame, 0, 0, rgba(0.62f, 0.64f, 0.78f, 0.75f));
  paintText(img, line, cx, by, rgb(0.80f, 0.82f, 0.92f), rgb(0.70f, 0.72f, 0.84f));
  return writePng(img, path, 3);
}

bool makeCreditPage(const std::string& path, int index) {
  struct Credit {
    const char* role;
    const char* name;
    const char* detail;
    float cx, cy;  // centre of the name on the page
  };
  static const Credit credits[3] = {
      {"code", "vektorfeld", "engine  \xC2\xB7  effects  \xC2\xB7  sync", 660, 470},
      {"music", "halvtone", "composition  \xC2\xB7  sound design", 1260, 600},
      {"graphics", "kromatik", "pictures  \xC2\xB7  textures  \xC2\xB7  planet", 960, 540},
  };
  const Credit& c = credits[index];
  Font bold, light;
  if (!bold.load("DejaVuSans-Bold.ttf") || !light.load("DejaVuSans.ttf")) return false;
  Image img(kScreenW, kScreenH);

  Mask name = bold.render(c.name, 170, 6, 90);
  Mask role = light.render(c.role, 46, 26, 50);
  Mask detail = light.render(c.detail, 28, 5, 40);
  const float roleY = c.cy - 140, detailY = c.cy + 130, ruleY = c.cy + 95;

  // A dark, soft shadow keeps the type readable over any background.
  paintGlow(img, name, c.cx + 6, c.cy + 8, 22, rgba(0, 0, 0, 0.55f), false);
  paintGlow(img, role, c.cx + 3, roleY + 4, 10, rgba(0, 0, 0, 0.5f), false);
  paintGlow(img, detail, c.cx + 2, detailY + 3, 8, rgba(0, 0, 0, 0.5f), false);
  // Coloured light around the name.
  paintGlow(img, name, c.cx, c.cy, 40, rgba(1.0f, 0.55f, 0.25f, 0.35f), false);

  paintText(img, role, c.cx, roleY, rgb(1.0f, 0.80f, 0.50f), rgb(1.0f, 0.66f, 0.36f));
  paintText(img, name, c.cx, c.cy, rgb(1.0f, 1.0f, 1.0f), rgb(0.86f, 0.90f, 1.0f));
  paintRule(img, c.cx, ruleY, name.width * 0.42f, 2.0f, rgba(1.0f, 0.85f, 0.6f, 0.85f));
  paintText(img, detail, c.cx, detailY, rgb(0.92f, 0.92f, 0.96f), rgb(0.85f, 0.86f, 0.92f));
  return writePng(img, path, 4);
}

bool makeTitleScreen(const std::string& path) {
  Font bold;
  if (!bold.load("DejaVuSans-Bold.ttf")) return false;
  Image img(kScreenW, kScreenH);
  const float cx = kScreenW * 0.5f, cy = 500;

  Mask title = bold.render("dovrix", 330, 18, 160);
  paintGlow(img, title, cx, cy, 90, rgba(0.35f, 0.55f, 1.0f, 0.45f), false);
  paintGlow(img, title, cx, cy, 24, rgba(0.65f, 0.80f, 1.0f, 0.55f), false);
  // Chrome: bright top half, a darker band at the middle, warm light at the bottom.
  int ox = int(cx - title.width / 2.0f), oy = int(cy - title.height / 2.0f);
  int inkTop = 160, inkBottom = title.height - 160;
  for (int y = 0; y < title.height; ++y) {
    float t = clamp01(float(y - inkTop) / float(std::max(1, inkBottom - inkTop)));
    Color c = t < 0.52f ? mix(rgb(1.0f, 1.0f, 1.0f), rgb(0.70f, 0.80f, 0.98f), t / 0.52f)
                        : mix(rgb(0.30f, 0.36f, 0.62f), rgb(1.0f, 0.78f, 0.52f), (t - 0.52f) / 0.48f);
    for (int x = 0; x < title.width; ++x)
      if (title.at(x, y) > 0) img.over(ox + x, oy + y, c, title.at(x, y));
  }
  paintRule(img, cx, cy + 210, 520, 2.0f, rgba(0.75f, 0.85f, 1.0f, 0.9f));
  // The subtitle sits over moving photographs: bold, and a wide dark shadow keeps it readable on
  // bright skies and water alike.
  Mask tag = bold.render("a real-time journey", 52, 10, 40);
  paintGlow(img, tag, cx + 2, cy + 280, 26, rgba(0, 0, 0, 0.75f), false);
  paintGlow(img, tag, cx + 2, cy + 277, 6, rgba(0, 0, 0, 0.8f), false);
  paintText(img, tag, cx, cy + 275, rgb(0.94f, 0.96f, 1.0f), rgb(0.84f, 0.88f, 0.98f));
  return writePng(img, path, 4);
}

}  // namespace assetgen
