// Light and space: the flash burst, the three glowing objects, the star field, the fleshy
// overlay and the distortion map.
#include <array>
#include <cmath>
#include <vector>

#include "draw.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {

namespace {

const float kPi = 3.14159265f;

// Turns light (any brightness) into a straight-alpha picture that looks the same when blended
// with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) over a dark scene: alpha is the brightest channel.
Color lightToAlpha(float r, float g, float b) {
  float a = clamp01(std::fmax(r, std::fmax(g, b)));
  if (a <= 0) return {};
  float k = std::fmin(1.0f, a) / std::fmax(a, std::fmax(r, std::fmax(g, b)));
  return {r * k, g * k, b * k, a};  // premultiplied: colour never exceeds alpha
}

// Bloom of a line drawing: the sharp lines plus three ever wider halos.
Image bloom(const Mask& lines, Color core, Color halo) {
  Mask near = glowOf(lines, 3), mid = glowOf(lines, 18), wide = glowOf(lines, 70);
  Image img(lines.width, lines.height, rgb(0, 0, 0));
  for (size_t i = 0; i < lines.v.size(); ++i) {
    float l = lines.v[i] + near.v[i] * 0.9f, m = mid.v[i] * 1.6f, w = wide.v[i] * 1.8f;
    Color& c = img.px[i];
    // Subtract a floor so the surroundings stay exactly black through the fifteen copies.
    c.r = std::fmax(0.0f, core.r * l + halo.r * (m + w) - 0.004f);
    c.g = std::fmax(0.0f, core.g * l + halo.g * (m + w) - 0.004f);
    c.b = std::fmax(0.0f, core.b * l + halo.b * (m + w) - 0.004f);
  }
  return img;
}

// Item 0: a halo of thin rings with sparks on its orbit.
void drawRings(Mask& m, Rng& rng) {
  const Vec2 c{kScreenW * 0.5f, kScreenH * 0.5f};
  for (int i = 0; i < 9; ++i) {
    float r = 150 + i * 14 + rng.range(-4, 4);
    std::vector<Vec2> pts;
    float phase = rng.range(0, 6.28f), wobble = rng.range(2, 7);
    for (int k = 0; k <= 720; ++k) {
      float a = k * 2 * kPi / 720;
      float rr = r + wobble * std::sin(3 * a + phase) + 2 * std::sin(7 * a - phase);
      pts.push_back({c.x + rr * std::cos(a), c.y + rr * std::sin(a)});
    }
    strokePolyline(m, pts, i == 4 ? 3.0f : 1.3f, false, i == 4 ? 1.0f : 0.55f);
  }
  for (int i = 0; i < 40; ++i) {
    float a = rng.range(0, 2 * kPi), r = rng.range(130, 290);
    fillDisc(m, {c.x + r * std::cos(a), c.y + r * std::sin(a)}, rng.range(1.5f, 4.5f));
  }
  fillDisc(m, c, 10);
}

// Item 1: a spirograph flower. Its copies are drawn lower the larger they grow (offset s for
// copy s): drawn high and small in the picture, the copies that glow land near the centre.
void drawFlower(Mask& m) {
  const Vec2 c{kScreenW * 0.5f, kScreenH * 0.25f};  // its glow stays clear of the top edge
  const float R = 7, r = 3, d = 5.2f, scale = 110.0f / (R - r + d);
  std::vector<Vec2> pts;
  for (int k = 0; k <= 6000; ++k) {
    float t = k * 6 * kPi / 6000;
    float x = (R - r) * std::cos(t) + d * std::cos((R - r) / r * t);
    float y = (R - r) * std::sin(t) - d * std::sin((R - r) / r * t);
    pts.push_back({c.x + x * scale, c.y + y * scale});
  }
  strokePolyline(m, pts, 1.6f, false, 0.8f);
  for (int k = 0; k < 7; ++k) {
    float a = k * 2 * kPi / 7;
    fillDisc(m, {c.x + 38 * std::cos(a), c.y + 38 * std::sin(a)}, 3);
  }
  fillDisc(m, c, 8);
}

// Item 2: a turned geodesic sphere in wireframe, nodes lit. Its large copies glow (offset
// 1 - s for copy s), so it sits above the centre and small enough for them to stay on screen.
void drawGeodesic(Mask& m) {
  const float t = (1 + std::sqrt(5.0f)) / 2;
  std::vector<std::array<float, 3>> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                         {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                         {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  std::vector<std::array<int, 3>> f = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                       {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                       {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                       {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  // One subdivision: split each edge at its middle, pushed out to the sphere.
  auto mid = [&](int a, int b) {
    std::array<float, 3> p{(v[a][0] + v[b][0]) / 2, (v[a][1] + v[b][1]) / 2, (v[a][2] + v[b][2]) / 2};
    v.push_back(p);
    return int(v.size()) - 1;
  };
  std::vector<std::array<int, 3>> f2;
  for (auto& tri : f) {
    int a = mid(tri[0], tri[1]), b = mid(tri[1], tri[2]), c = mid(tri[2], tri[0]);
    f2.push_back({tri[0], a, c});
    f2.push_back({tri[1], b, a});
    f2.push_back({tri[2], c, b});
    f2.push_back({a, b, c});
  }
  const float ry = 0.5f, rx = 0.35f, radius = 160;
  auto project = [&](const std::array<float, 3>& p, float& depth) {
    float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    float x = p[0] / len, y = p[1] / len, z = p[2] / len;
    float x1 = x * std::cos(ry) + z * std::sin(ry), z1 = -x * std::sin(ry) + z * std::cos(ry);
    float y2 = y * std::cos(rx) - z1 * std::sin(rx), z2 = y * std::sin(rx) + z1 * std::cos(rx);
    depth = z2;
    float persp = 3.2f / (3.2f - z2);
    return Vec2{kScreenW * 0.5f + x1 * radius * persp, kScreenH * 0.35f + y2 * radius * persp};
  };
  for (auto& tri : f2)
    for (int e = 0; e < 3; ++e) {
      float da, db;
      Vec2 a = project(v[tri[e]], da), b = project(v[tri[(e + 1) % 3]], db);
      float strength = 0.35f + 0.65f * clamp01((da + db) * 0.25f + 0.5f);  // the back is dimmer
      strokeSegment(m, a, b, 1.4f, strength);
    }
  for (auto& p : v) {
    float d;
    Vec2 s = project(p, d);
    fillDisc(m, s, 3.0f + 2.0f * d, 0.6f + 0.4f * d);
  }
}

}  // namespace

bool makeFlash(const std::string& path) {
  Image img(kScreenW, kScreenH);
  const float cx = kScreenW * 0.52f, cy = kScreenH * 0.46f;
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy, r = std::sqrt(dx * dx + dy * dy);
      float angle = std::atan2(dy, dx) / (2 * kPi) + 0.5f;
      float core = std::exp(-r * r / (2 * 55.0f * 55.0f)) * 2.5f;
      float halo = 1.0f / (1.0f + (r / 170) * (r / 170));
      float rays = std::pow(0.5f + 0.5f * noise2Periodic(angle * 96, r / 900, 96, 3), 5.0f) * 2.2f;
      rays += std::pow(0.5f + 0.5f * noise2Periodic(angle * 24, r / 1400, 24, 4), 4.0f) * 1.4f;
      rays *= std::exp(-r / 520) * smoothstep(0, 60, r);
      float streak = std::exp(-std::fabs(dy) / 5.0f) * std::exp(-std::fabs(dx) / 750);
      float ring = std::exp(-std::pow((r - 430) / 10, 2.0f)) * 0.12f * (1 - smoothstep(0, 1, std::fabs(dy) / 700));
      float ringHue = 0.5f + 0.5f * std::sin(r * 0.05f);
      float lr = core + halo * 0.9f + rays * 1.0f + streak * 0.55f + ring * (0.6f + ringHue);
      float lg = core + halo * 0.62f + rays * 0.75f + streak * 0.75f + ring;
      float lb = core + halo * 0.34f + rays * 0.5f + streak * 1.0f + ring * (1.6f - ringHue);
      // Ghosts of the lens along the line through the screen centre.
      for (int g = 0; g < 4; ++g) {
        float t = -0.6f - 0.5f * g;
        float gx = cx + (cx - kScreenW * 0.5f) * t * 6 - 260 * t, gy = cy + (cy - kScreenH * 0.5f) * t * 6 + 180 * t;
        float gr = 30 + 26 * g, d = std::hypot(x - gx, y - gy);
        float ghost = (1 - smoothstep(gr - 3, gr + 3, d)) * 0.07f;
        lr += ghost * (g % 2 ? 0.6f : 1.0f);
        lg += ghost * 0.8f;
        lb += ghost * (g % 2 ? 1.2f : 0.5f);
      }
      // The light ends well inside the frame, so the picture's edges are fully clear.
      // The horizontal streak would reach the side edges: those fade out too, so the picture
      // has no hard edge while it slides in.
      float edge = std::fmin(std::fmin(x + 0.5f, kScreenW - x - 0.5f), std::fmin(y + 0.5f, kScreenH - y - 0.5f));
      float window = (1 - smoothstep(520, 1000, r)) * smoothstep(0, 90, edge);
      img.at(x, y) = lightToAlpha(lr * window, lg * window, lb * window);
    }
  return writePng(img, path, 4);
}

bool makeItem(const std::string& path, int index) {
  Mask lines(kScreenW, kScreenH);
  Rng rng(100 + index);
  Color core, halo;
  if (index == 0) {
    drawRings(lines, rng);
    core = rgb(1.0f, 0.95f, 0.85f);
    halo = rgb(0.55f, 0.45f, 0.35f);
  } else if (index == 1) {
    drawFlower(lines);
    core = rgb(1.0f, 0.92f, 0.95f);
    halo = rgb(0.55f, 0.35f, 0.5f);
  } else {
    drawGeodesic(lines);
    core = rgb(0.9f, 0.97f, 1.0f);
    halo = rgb(0.35f, 0.45f, 0.6f);
  }
  return writePng(bloom(lines, core, halo), path, 3);
}

bool makeStarfield(const std::string& path) {
  Image img(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      float u = x / float(kScreenH), v = y / float(kScreenH);
      // Domain-warped clouds in a diagonal band.
      float wx = fbm2(u * 2.2f, v * 2.2f, 4, 21), wy = fbm2(u * 2.2f + 5.2f, v * 2.2f + 1.3f, 4, 22);
      float n = fbm2(u * 2.6f + 1.8f * wx, v * 2.6f + 1.8f * wy, 6, 23);
      float band = std::exp(-std::pow((v - 0.25f - 0.45f * u / 1.78f) * 3.2f, 2.0f));
      float gas = clamp01(0.55f + 1.1f * n) * band;
      float dust = smoothstep(0.05f, 0.45f, fbm2(u * 5 + wx, v * 5 + wy, 5, 24));
      float teal = clamp01(0.5f + 0.8f * fbm2(u * 3.1f + 7, v * 3.1f, 4, 25));
      Color c = rgb(0.008f, 0.010f, 0.028f + 0.02f * v);
      c.r += gas * gas * (0.85f * (1 - teal) + 0.08f * teal);
      c.g += gas * gas * (0.16f * (1 - teal) + 0.50f * teal);
      c.b += gas * gas * (0.50f * (1 - teal) + 0.70f * teal);
      float hot = std::pow(gas, 5.0f) * 0.6f;
      c.r += hot;
      c.g += hot * 0.8f;
      c.b += hot * 0.9f;
      float k = 1 - 0.8f * dust * band;
      img.at(x, y) = rgb(c.r * k, c.g * k, c.b * k);
    }
  // Stars: many faint points, and a few bright ones with a glow and diffraction spikes.
  Rng rng(7);
  for (int i = 0; i < 9000 + 14; ++i) {
    bool big = i >= 9000;
    float x = rng.range(0, kScreenW), y = rng.range(0, kScreenH);
    float b = big ? rng.range(1.2f, 2.5f) : std::pow(rng.uniform(), 6.0f) * 0.9f + 0.03f + rng.uniform() * 0.06f;
    float temp = rng.uniform();
    Color col = temp < 0.3f ? rgb(1.0f, 0.8f, 0.6f) : (temp < 0.7f ? rgb(1, 1, 1) : rgb(0.7f, 0.8f, 1.0f));
    float s = 0.55f + 0.6f * std::sqrt(b);
    int reach = big ? 70 : 3;
    for (int yy = int(y) - reach; yy <= int(y) + reach; ++yy)
      for (int xx = int(x) - reach; xx <= int(x) + reach; ++xx) {
        float dx = xx + 0.5f - x, dy = yy + 0.5f - y, d2 = dx * dx + dy * dy;
        float l = b * std::exp(-d2 / (2 * s * s));
        if (big) {
          l += 0.2f * b / (1 + d2 / 25);
          l += 0.45f * b * (std::exp(-std::fabs(dy) * 1.3f) * std::exp(-std::fabs(dx) / 22) +
                            std::exp(-std::fabs(dx) * 1.3f) * std::exp(-std::fabs(dy) / 22));
        }
        img.add(xx, yy, col, l);
      }
  }
  return writeJpeg(img, path, 92);
}

bool makeFlesh(const std::string& path) {
  Image img(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      float u = x / 260.0f, v = y / 260.0f;
      float wx = fbm2(u * 0.6f, v * 0.6f, 3, 31) * 0.9f, wy = fbm2(u * 0.6f + 4, v * 0.6f, 3, 32) * 0.9f;
      CellDist cd = cells2(u * 1.6f + wx, v * 1.6f + wy, 33);
      float wall = 1 - smoothstep(0.0f, 0.22f, cd.f2 - cd.f1);
      float bulge = clamp01(1 - cd.f1 * 1.3f);  // cells swell towards their middles
      float vein = std::pow(ridged2(u * 0.9f + 2 * wx, v * 0.9f + 2 * wy, 4, 34), 3.0f);
      float mottle = 0.5f + 0.5f * fbm2(u * 3, v * 3, 4, 35);
      float gloss = std::pow(clamp01(bulge - 0.45f) * 1.8f, 3.0f);
      Color c = mix(rgb(0.45f, 0.06f, 0.08f), rgb(0.92f, 0.45f, 0.42f), bulge * 0.7f + mottle * 0.3f);
      c = mix(c, rgb(0.30f, 0.02f, 0.06f), wall * 0.8f);
      c = mix(c, rgb(0.35f, 0.05f, 0.25f), vein * 0.7f);
      c.r += gloss * 0.5f;
      c.g += gloss * 0.4f;
      c.b += gloss * 0.35f;
      // Large clear holes let the scene through; the tissue itself is translucent.
      float presence = smoothstep(-0.25f, 0.2f, fbm2(x / 700.0f, y / 700.0f, 3, 36));
      float a = clamp01((0.45f + 0.4f * wall + 0.3f * vein + 0.2f * gloss) * presence);
      c.a = 1;
      img.at(x, y) = scaled(rgb(c.r, c.g, c.b), a);
    }
  return writePng(img, path, 4);
}

bool makeDistortionMap(const std::string& path) {
  const int size = 512;
  std::vector<float> red(size * size), green(size * size);
  double sumR = 0, sumG = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float r = 0, g = 0, amp = 1;
      for (int o = 0, period = 4; o < 4; ++o, period *= 2, amp *= 0.5f) {
        float u = x * period / float(size), v = y * period / float(size);
        r += amp * noise2Periodic(u, v, period, 41 + o);
        g += amp * noise2Periodic(u, v, period, 51 + o);
      }
      red[y * size + x] = r;
      green[y * size + x] = g;
      sumR += r;
      sumG += g;
    }
  // Remove the mean so the average offset is exactly none, then fit into 0.15..0.85.
  float meanR = float(sumR / (size * size)), meanG = float(sumG / (size * size)), peak = 1e-6f;
  for (int i = 0; i < size * size; ++i) {
    red[i] -= meanR;
    green[i] -= meanG;
    peak = std::fmax(peak, std::fmax(std::fabs(red[i]), std::fabs(green[i])));
  }
  Image img(size, size);
  for (int i = 0; i < size * size; ++i)
    img.px[i] = rgb(0.5f + 0.35f * red[i] / peak, 0.5f + 0.35f * green[i] / peak, 0.5f);
  return writePng(img, path, 3);
}

}  // namespace assetgen
