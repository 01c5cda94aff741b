// The sync editor's 64 x 64 buttons: four interpolation curves, seven start/end shapes and the
// transport symbols, each on a dark rounded key. Row 0 is the top of the button.
#include <cmath>
#include <functional>

#include "draw.h"
#include "pictures.h"

namespace assetgen {

const char* const kButtonNames[14] = {
    "button-linear.png",      "button-smoothstep.png",  "button-exponential.png",
    "button-minexponential.png", "button-man-valval.png", "button-man-valzero.png",
    "button-man-valone.png",  "button-man-zeroval.png", "button-man-oneval.png",
    "button-man-oneone.png",  "button-man-zerozero.png", "button-play.png",
    "button-pause.png",       "button-record.png"};

namespace {

const int kSize = 64;
// The plot area: level 0 at y = 48, level 1 at y = 16, time from x = 13 to x = 51.
const float kLeft = 13, kRight = 51, kZeroY = 48, kOneY = 16;

float smooth(float x) {
  float c = clamp01(x);
  return c * c * (3 - 2 * c);
}

Vec2 plot(float f, float level) { return {kLeft + f * (kRight - kLeft), kZeroY + level * (kOneY - kZeroY)}; }

// The key: a rounded square with a soft vertical gradient and a light rim.
Image buttonBase() {
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      float d = roundedBoxDistance(x + 0.5f, y + 0.5f, 32, 32, 30, 30, 10);
      float inside = clamp01(0.5f - d);
      float rim = clamp01(1.0f - std::fabs(d + 1.0f));
      Color c = mix(rgb(0.20f, 0.21f, 0.26f), rgb(0.07f, 0.07f, 0.10f), y / 63.0f);
      img.over(x, y, rgba(c.r, c.g, c.b, 0.93f), inside);
      img.over(x, y, rgba(0.55f, 0.58f, 0.68f, 0.9f), rim * inside);
    }
  return img;
}

void guides(Image& img) {
  Mask m(kSize, kSize);
  strokeSegment(m, plot(0, 0), plot(1, 0), 1.0f, 0.5f);
  strokeSegment(m, plot(0, 1), plot(1, 1), 1.0f, 0.5f);
  img.overMask(m, 0, 0, rgba(0.6f, 0.62f, 0.7f, 0.7f));
}

void curve(Image& img, const std::function<float(float)>& fn, Color col) {
  Mask m(kSize, kSize);
  std::vector<Vec2> pts;
  for (int k = 0; k <= 64; ++k) pts.push_back(plot(k / 64.0f, fn(k / 64.0f)));
  strokePolyline(m, pts, 2.6f, false);
  img.addMask(glowOf(m, 2), 0, 0, scaled(col, 0.5f));
  img.overMask(m, 0, 0, col);
}

// Ends of a shape: a ring for "the key's value", a filled dot for a fixed 0 or 1.
void endMarker(Image& img, Vec2 p, bool isValue, Color col) {
  Mask m(kSize, kSize);
  if (isValue)
    strokeCircle(m, p, 3.8f, 1.8f);
  else
    fillDisc(m, p, 3.6f);
  img.overMask(m, 0, 0, col);
}

void shapeButton(Image& img, int shape) {
  // Start and end of each shape; "val" levels are drawn at 0.35 (start) and 0.65 (end).
  static const float levels[7][2] = {{0.35f, 0.65f}, {0.35f, 0}, {0.35f, 1}, {0, 0.65f},
                                     {1, 0.65f},     {1, 1},     {0, 0}};
  static const bool isValue[7][2] = {{true, true}, {true, false}, {true, false}, {false, true},
                                     {false, true}, {false, false}, {false, false}};
  const Color amber = rgb(1.0f, 0.74f, 0.32f);
  float c = levels[shape][0], d = levels[shape][1];
  guides(img);
  curve(img, [&](float f) { return c + (d - c) * f; }, amber);
  endMarker(img, plot(0, c), isValue[shape][0], rgb(1, 0.92f, 0.8f));
  endMarker(img, plot(1, d), isValue[shape][1], rgb(1, 0.92f, 0.8f));
}

void transportButton(Image& img, int which) {
  Mask m(kSize, kSize);
  Color col;
  if (which == 0) {
    fillPolygon(m, {{24, 18}, {46, 32}, {24, 46}});
    col = rgb(0.55f, 1.0f, 0.65f);
  } else if (which == 1) {
    fillPolygon(m, {{21, 19}, {28, 19}, {28, 45}, {21, 45}});
    fillPolygon(m, {{36, 19}, {43, 19}, {43, 45}, {36, 45}});
    col = rgb(0.85f, 0.9f, 1.0f);
  } else {
    fillDisc(m, {32, 32}, 12);
    col = rgb(1.0f, 0.22f, 0.18f);
  }
  img.addMask(glowOf(m, 3), 0, 0, scaled(col, 0.45f));
  img.overMask(m, 0, 0, col);
}

}  // namespace

bool makeButton(const std::string& path, int index) {
  Image img = buttonBase();
  const Color cyan = rgb(0.45f, 0.88f, 1.0f);
  switch (index) {
    case 0: guides(img); curve(img, [](float f) { return f; }, cyan); break;
    case 1: guides(img); curve(img, [](float f) { return smooth(f); }, cyan); break;
    case 2: guides(img); curve(img, [](float f) { return smooth(f * f); }, cyan); break;
    case 3: guides(img); curve(img, [](float f) { return smooth(1 - (1 - f) * (1 - f)); }, cyan); break;
    default:
      if (index < 11)
        shapeButton(img, index - 4);
      else
        transportButton(img, index - 11);
  }
  return writePng(img, path, 4);
}

}  // namespace assetgen
