// Ten procedural "photographs" for the sliding strip. Nine are landscapes from one renderer:
// a sky (gradient, sun, perspective clouds, optional aurora, stars or a ringed planet) and a
// height field drawn column by column, front to back (each screen column marches its ray
// over the terrain and fills the rows that become visible), with water, sun light and haze.
// The tenth is a Julia set.
#include <cmath>
#include <functional>

#include "image.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {

namespace {

const float kPi = 3.14159265f;

struct Vec3 {
  float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalize(Vec3 a) { return a * (1.0f / std::sqrt(dot(a, a))); }
Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b, 1}; }
Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k, 1}; }
Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b, 1}; }

struct Scene {
  uint32_t seed = 1;
  // Camera: eye height above the ground (or water) under it, the horizon's screen row (fraction of the height), focal length in px.
  float eyeHeight = 2, horizon = 0.55f, focal = 1400, farDepth = 600;
  // Sky.
  Color zenith = rgb(0.12f, 0.28f, 0.62f), skyHorizon = rgb(0.62f, 0.74f, 0.88f);
  Color sun = rgb(1.0f, 0.95f, 0.85f);
  Vec3 sunDir = {0.3f, 0.35f, 1};
  float sunDisc = 0.9995f, sunGlow = 0.35f;
  float clouds = 0.5f, cloudScale = 0.02f;
  Color cloudLit = rgb(1, 1, 1), cloudShade = rgb(0.55f, 0.6f, 0.7f);
  bool stars = false, aurora = false, ringedPlanet = false;
  // Ground.
  std::function<float(float, float)> height = [](float, float) { return -100.0f; };
  std::function<Color(float x, float z, float h, Vec3 n)> albedo;
  float water = -1e9f;  // water level, none by default
  Color waterShallow = rgb(0.1f, 0.35f, 0.38f), waterDeep = rgb(0.01f, 0.06f, 0.12f);
  float waves = 0.08f;
  Color ambient = rgb(0.25f, 0.3f, 0.4f);
  float haze = 0.006f;
  Color hazeColor = rgb(0.6f, 0.7f, 0.85f);
};

Color sky(const Scene& s, Vec3 d) {
  Vec3 sunDir = normalize(s.sunDir);
  float e = std::fmax(d.y, 0.0f);
  Color c = mix(s.skyHorizon, s.zenith, std::pow(e, 0.55f));
  float toSun = dot(d, sunDir);
  c = c + s.sun * (s.sunGlow * std::pow(std::fmax(toSun, 0.0f), 8.0f) + 0.25f * s.sunGlow * std::pow(std::fmax(toSun, 0.0f), 2.0f));
  if (toSun > s.sunDisc) c = c + s.sun * 4.0f * smoothstep(s.sunDisc, s.sunDisc + 0.0001f, toSun);
  if (s.aurora && d.y > 0) {
    float a = d.x / d.z;
    float base = 0.10f + 0.07f * noise2(a * 1.5f, 0, s.seed + 9) + 0.03f * noise2(a * 6, 0, s.seed + 10);
    float curtain = 0.5f + 0.5f * noise2(a * 2.2f, 3, s.seed + 11);
    float rays = 0.6f + 0.4f * noise2(a * 60, d.y * 2, s.seed + 12);
    if (d.y > base) {
      float k = std::exp(-(d.y - base) * 7) * curtain * curtain * rays * smoothstep(base, base + 0.015f, d.y);
      c = c + mix(rgb(0.15f, 1.0f, 0.45f), rgb(0.6f, 0.2f, 0.9f), smoothstep(0.0f, 0.35f, d.y - base)) * (k * 0.9f);
    }
  }
  if (s.ringedPlanet && d.y > 0) {
    float u = d.x / d.z + 0.38f, v = d.y / d.z - 0.36f, r = 0.2f;
    // Rings behind the planet, the planet, then the rings in front of it.
    float ca = std::cos(-0.35f), sa = std::sin(-0.35f);
    float ru = u * ca - v * sa, rv = (u * sa + v * ca) / 0.22f, rr = std::sqrt(ru * ru + rv * rv) / r;
    float ring = (rr > 1.35f && rr < 2.3f) ? (0.55f + 0.45f * std::sin(rr * 40)) * smoothstep(1.35f, 1.45f, rr) * (1 - smoothstep(2.15f, 2.3f, rr)) : 0;
    float disc = std::sqrt(u * u + v * v) / r;
    Color ringCol = rgb(0.95f, 0.85f, 0.7f) * 0.8f;
    if (disc < 1) {
      Vec3 n{u / r, v / r, std::sqrt(std::fmax(0.0f, 1 - disc * disc))};
      float light = clamp01(dot(n, normalize({-0.8f, 0.3f, 0.5f})));
      float bands = 0.5f + 0.5f * std::sin(n.y * 18 + 2 * noise2(n.x * 3, n.y * 6, s.seed));
      Color p = mix(rgb(0.75f, 0.55f, 0.45f), rgb(0.95f, 0.85f, 0.7f), bands) * (0.05f + 1.1f * light);
      c = mix(c, p, smoothstep(1.0f, 0.995f, disc));
      if (rv > 0) c = mix(c, ringCol, ring * 0.8f);
    } else {
      c = mix(c, ringCol, ring * 0.8f);
    }
  }
  if (s.clouds > 0 && d.y > 0.005f) {
    float t = 1.0f / d.y;
    float px = d.x * t, pz = d.z * t;
    float n = fbm2(px * s.cloudScale * 40, pz * s.cloudScale * 40, 6, s.seed + 20);
    float density = smoothstep(1 - s.clouds * 1.3f, 1.3f - s.clouds, n * 0.5f + 0.5f) * smoothstep(0.005f, 0.12f, d.y);
    float lit = 0.6f + 0.4f * std::pow(std::fmax(toSun, 0.0f), 4.0f);
    float thick = clamp01(n * 0.9f + 0.4f);
    Color cloud = mix(s.cloudLit, s.cloudShade, thick * 0.8f) * lit;
    c = mix(c, cloud, density);
  }
  return c;
}

void render(const Scene& s, Image& img) {
  const int w = img.width, h = img.height;
  const float hy = s.horizon * h;
  const float eye = s.eyeHeight + std::fmax(s.height(0, 0), s.water);
  Vec3 sunDir = normalize(s.sunDir);
  for (int x = 0; x < w; ++x) {
    float dx = (x + 0.5f - w * 0.5f) / s.focal;
    int ybuf = h;  // rows [ybuf, h) are filled
    float z = 0.8f;
    while (z < s.farDepth && ybuf > 0) {
      float wx = dx * z, wz = z;
      float ht = s.height(wx, wz);
      float surface = std::fmax(ht, s.water);
      float ys = hy - (surface - eye) * s.focal / z;
      int top = std::max(0, int(std::ceil(ys)));
      if (top < ybuf) {
        Vec3 view = normalize({dx, (eye - surface) / z * -1.0f, 1});
        float fog = 1 - std::exp(-z * s.haze);
        Color col;
        if (ht >= s.water) {
          float eps = 0.05f + z * 0.004f;
          float hx = s.height(wx + eps, wz), hz = s.height(wx, wz + eps);
          Vec3 n = normalize({ht - hx, eps, ht - hz});
          Color alb = s.albedo(wx, wz, ht, n);
          float diffuse = std::fmax(0.0f, dot(n, sunDir));
          col = alb * (s.sun * diffuse + s.ambient * (0.6f + 0.4f * n.y));
        } else {
          float rip = s.waves / (1 + z * 0.02f);
          Vec3 n = normalize({rip * noise2(wx * 1.5f, wz * 0.6f, s.seed + 30), 1, rip * noise2(wx * 0.7f, wz * 2.0f, s.seed + 31)});
          Vec3 r = view + n * (-2 * dot(view, n));
          r.y = std::fabs(r.y);
          float fresnel = 0.04f + 0.96f * std::pow(1 - std::fabs(dot(view, n)), 5.0f);
          float depth = clamp01((s.water - ht) * 0.6f);
          Color body = mix(s.waterShallow, s.waterDeep, depth);
          col = mix(body * (0.4f + 0.6f * sunDir.y + 0.3f), sky(s, normalize(r)), clamp01(fresnel + 0.25f));
          float glint = std::pow(std::fmax(0.0f, dot(normalize(r), sunDir)), 300.0f);
          col = col + s.sun * (glint * 3.0f);
        }
        Color fogCol = mix(s.hazeColor, sky(s, normalize({dx, 0.02f, 1})), 0.5f);
        col = mix(col, fogCol, fog);
        for (int y = top; y < ybuf; ++y) img.at(x, y) = col;
        ybuf = top;
      }
      z += 0.02f + z * 0.004f;
    }
    for (int y = 0; y < ybuf; ++y) img.at(x, y) = sky(s, normalize({dx, (hy - y - 0.5f) / s.focal, 1}));
  }
  if (s.stars)
    for (int y = 0; y < int(hy); ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t hsh = hash2i(x, y, s.seed + 40);
        if (hashUnit(hsh) > 0.9975f && img.at(x, y).g < 0.5f) {
          float b = std::pow(hashUnit(hash32(hsh)), 3.0f) * 0.8f + 0.1f;
          img.add(x, y, rgb(0.9f, 0.95f, 1.0f), b * smoothstep(0.0f, 0.2f * h, hy - y));
        }
      }
}

// Finishing like a lens: a gentle vignette and a soft roll-off of highlights. The brightest
// highlight stays below full scale, so the show's beat lifts brighten a sunlit sky instead of
// clipping it to a flat colour.
const float kWhitePoint = 0.9f;

void develop(Image& img, float exposure) {
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      float u = (x + 0.5f) / img.width - 0.5f, v = (y + 0.5f) / img.height - 0.5f;
      float vig = 1 - 0.35f * (u * u + v * v) * 2.2f;
      Color& c = img.at(x, y);
      auto tone = [&](float k) { return kWhitePoint * (1 - std::exp(-std::fmax(k, 0.0f) * exposure * vig)); };
      c = rgb(tone(c.r), tone(c.g), tone(c.b));
    }
}

float mountains(float x, float z, uint32_t seed, float scale, float amp) {
  return amp * ridged2(x * scale, z * scale, 8, seed) * smoothstep(0, 1, 0.3f + 0.7f * (0.5f + 0.5f * fbm2(x * scale * 0.3f, z * scale * 0.3f, 3, seed + 5)));
}

Color rockSnow(float h, Vec3 n, float snowLine, float x, float z, uint32_t seed) {
  float grain = 0.8f + 0.4f * (0.5f + 0.5f * noise2(x * 2, z * 2, seed));
  Color grass = rgb(0.16f, 0.26f, 0.08f), rock = rgb(0.36f, 0.33f, 0.30f), snow = rgb(0.95f, 0.96f, 1.0f);
  Color c = mix(grass, rock, smoothstep(0.75f, 0.55f, n.y) + smoothstep(snowLine * 0.4f, snowLine * 0.7f, h));
  c = mix(c, snow, smoothstep(snowLine, snowLine + 3, h + 6 * n.y - 4) );
  return c * grain;
}

Scene alpineLake() {
  Scene s;
  s.seed = 201;
  s.eyeHeight = 6;
  s.horizon = 0.5f;
  s.height = [](float x, float z) {
    float m = mountains(x, z, 201, 0.012f, 70) * smoothstep(40, 160, z);
    return m - 4 + 3 * fbm2(x * 0.05f, z * 0.05f, 4, 202);
  };
  s.albedo = [](float x, float z, float h, Vec3 n) { return rockSnow(h, n, 32, x, z, 203); };
  s.water = 0;
  s.sunDir = {-0.6f, 0.45f, 1};
  s.haze = 0.0035f;
  s.clouds = 0.45f;
  return s;
}

Scene oceanSunset() {
  Scene s;
  s.seed = 211;
  s.eyeHeight = 3;
  s.horizon = 0.6f;
  s.zenith = rgb(0.10f, 0.10f, 0.30f);
  s.skyHorizon = rgb(1.0f, 0.45f, 0.18f);
  s.sun = rgb(1.0f, 0.6f, 0.25f);
  s.sunDir = {0.1f, 0.035f, 1};
  s.sunGlow = 1.2f;
  s.sunDisc = 0.99985f;
  s.clouds = 0.4f;
  s.cloudLit = rgb(1.0f, 0.55f, 0.45f);
  s.cloudShade = rgb(0.35f, 0.18f, 0.30f);
  s.height = [](float x, float z) {  // a headland on the left, far away
    return 25 * smoothstep(0.2f, 0.8f, 0.5f + 0.5f * fbm2(x * 0.01f, z * 0.004f, 5, 212)) * smoothstep(200, 300, z) * smoothstep(0, -250, x) - 2;
  };
  s.albedo = [](float, float, float, Vec3) { return rgb(0.05f, 0.03f, 0.05f); };
  s.water = 0;
  s.waves = 0.25f;
  s.waterShallow = s.waterDeep = rgb(0.05f, 0.03f, 0.08f);
  s.ambient = rgb(0.2f, 0.1f, 0.15f);
  s.haze = 0.002f;
  s.hazeColor = rgb(0.9f, 0.45f, 0.25f);
  return s;
}

Scene desertDunes() {
  Scene s;
  s.seed = 221;
  s.eyeHeight = 5;
  s.horizon = 0.45f;
  s.zenith = rgb(0.20f, 0.40f, 0.72f);
  s.skyHorizon = rgb(0.90f, 0.82f, 0.70f);
  s.sunDir = {0.9f, 0.25f, 0.6f};
  s.sun = rgb(1.0f, 0.88f, 0.7f);
  s.clouds = 0.12f;
  s.height = [](float x, float z) {
    float wx = x + 12 * fbm2(x * 0.01f, z * 0.01f, 3, 222);
    float ridge = 1 - std::fabs(std::sin((wx * 0.8f + z * 0.6f) * 0.035f + 2 * fbm2(x * 0.006f, z * 0.006f, 2, 223)));
    return 9 * std::pow(ridge, 1.8f) + 4 * fbm2(x * 0.012f, z * 0.012f, 4, 224) + 0.15f * noise2(x * 1.5f, z * 0.5f, 225);
  };
  s.albedo = [](float x, float z, float, Vec3) {
    return mix(rgb(0.85f, 0.60f, 0.36f), rgb(0.95f, 0.72f, 0.48f), 0.5f + 0.5f * noise2(x * 0.05f, z * 0.05f, 226));
  };
  s.ambient = rgb(0.35f, 0.35f, 0.45f);
  s.haze = 0.004f;
  s.hazeColor = rgb(0.92f, 0.82f, 0.70f);
  return s;
}

Scene auroraNight() {
  Scene s;
  s.seed = 231;
  s.eyeHeight = 4;
  s.horizon = 0.62f;
  s.zenith = rgb(0.005f, 0.01f, 0.04f);
  s.skyHorizon = rgb(0.03f, 0.06f, 0.12f);
  s.sun = rgb(0.25f, 0.3f, 0.45f);  // moonlight
  s.sunDir = {0.4f, 0.5f, -0.6f};
  s.sunGlow = 0;
  s.sunDisc = 2;
  s.clouds = 0;
  s.stars = true;
  s.aurora = true;
  s.height = [](float x, float z) { return mountains(x, z, 232, 0.015f, 40) * smoothstep(60, 140, z) - 2; };
  s.albedo = [](float x, float z, float h, Vec3 n) { return rockSnow(h + 30, n, 20, x, z, 233); };
  s.water = 0;
  s.waves = 0.03f;
  s.waterShallow = s.waterDeep = rgb(0.01f, 0.02f, 0.04f);
  s.ambient = rgb(0.03f, 0.07f, 0.07f);
  s.haze = 0.004f;
  s.hazeColor = rgb(0.03f, 0.07f, 0.10f);
  return s;
}

// Rolling green hills under a late-morning sky, a river in the valley floor.
Scene greenValley() {
  Scene s;
  s.seed = 231;
  s.eyeHeight = 14;
  s.horizon = 0.45f;
  s.height = [](float x, float z) {
    float hills = mountains(x, z, 232, 0.008f, 38) * smoothstep(30, 140, z);
    return hills - 2 + 2.5f * fbm2(x * 0.03f, z * 0.03f, 4, 233);
  };
  s.albedo = [](float x, float z, float h, Vec3 n) {
    float patch = fbm2(x * 0.02f, z * 0.02f, 3, 234);
    Color grass = rgb(0.16f + 0.08f * patch, 0.34f + 0.1f * patch, 0.08f);
    return n.y > 0.8f || h < 20 ? grass : rgb(0.35f, 0.32f, 0.28f);
  };
  s.water = 0;
  s.waterShallow = rgb(0.12f, 0.3f, 0.3f);
  s.sunDir = {0.5f, 0.6f, 1};
  s.clouds = 0.55f;
  s.haze = 0.004f;
  return s;
}

Scene mistyRidges() {
  Scene s;
  s.seed = 241;
  s.eyeHeight = 30;
  s.horizon = 0.42f;
  s.zenith = rgb(0.30f, 0.32f, 0.55f);
  s.skyHorizon = rgb(1.0f, 0.72f, 0.60f);
  s.sun = rgb(1.0f, 0.75f, 0.55f);
  s.sunDir = {0.15f, 0.06f, 1};
  s.sunGlow = 0.9f;
  s.clouds = 0.2f;
  s.cloudLit = rgb(1.0f, 0.75f, 0.7f);
  s.height = [](float x, float z) { return mountains(x, z, 242, 0.02f, 55) - 10; };
  s.albedo = [](float, float, float, Vec3) { return rgb(0.06f, 0.07f, 0.13f); };
  s.ambient = rgb(0.18f, 0.15f, 0.28f);
  s.haze = 0.008f;
  s.hazeColor = rgb(0.95f, 0.70f, 0.65f);
  return s;
}

Scene redCanyon() {
  Scene s;
  s.seed = 251;
  s.eyeHeight = 18;
  s.horizon = 0.4f;
  s.zenith = rgb(0.10f, 0.25f, 0.60f);
  s.skyHorizon = rgb(0.70f, 0.70f, 0.75f);
  s.sun = rgb(1.0f, 0.78f, 0.55f);
  s.sunDir = {-0.9f, 0.3f, 0.4f};
  s.clouds = 0.3f;
  s.height = [](float x, float z) {
    float n = 0.5f + 0.5f * fbm2(x * 0.012f, z * 0.012f, 6, 252);
    float steps = std::floor(n * 6) + smoothstep(0.75f, 1.0f, n * 6 - std::floor(n * 6));
    return steps * 7 + 1.5f * fbm2(x * 0.1f, z * 0.1f, 3, 253);
  };
  s.albedo = [](float x, float z, float h, Vec3) {
    float strata = 0.5f + 0.5f * std::sin(h * 1.7f + noise2(x * 0.05f, z * 0.05f, 254));
    return mix(rgb(0.62f, 0.25f, 0.12f), rgb(0.85f, 0.52f, 0.30f), strata);
  };
  s.ambient = rgb(0.25f, 0.28f, 0.40f);
  s.haze = 0.004f;
  s.hazeColor = rgb(0.80f, 0.70f, 0.65f);
  return s;
}

Scene stormySea() {
  Scene s;
  s.seed = 261;
  s.eyeHeight = 4;
  s.horizon = 0.5f;
  s.zenith = rgb(0.12f, 0.14f, 0.18f);
  s.skyHorizon = rgb(0.55f, 0.60f, 0.62f);
  s.sun = rgb(1.0f, 0.92f, 0.75f);
  s.sunDir = {0.25f, 0.25f, 1};
  s.sunGlow = 0.6f;
  s.clouds = 0.85f;
  s.cloudLit = rgb(0.75f, 0.76f, 0.78f);
  s.cloudShade = rgb(0.12f, 0.13f, 0.16f);
  s.height = [](float x, float z) {
    float swell = std::sin(z * 0.25f + x * 0.05f + 2 * noise2(x * 0.02f, z * 0.02f, 262));
    return 1.2f * swell * swell * swell + 0.8f * fbm2(x * 0.12f, z * 0.12f, 4, 263);
  };
  s.albedo = [](float x, float z, float h, Vec3 n) {
    Color sea = mix(rgb(0.02f, 0.10f, 0.12f), rgb(0.08f, 0.28f, 0.30f), clamp01(h * 0.4f + 0.3f));
    float foam = smoothstep(1.0f, 1.6f, h + 0.4f * noise2(x * 2, z * 2, 264)) * smoothstep(0.7f, 0.95f, n.y);
    return mix(sea, rgb(0.9f, 0.92f, 0.92f), foam);
  };
  s.ambient = rgb(0.35f, 0.40f, 0.45f);
  s.haze = 0.008f;
  s.hazeColor = rgb(0.5f, 0.55f, 0.58f);
  return s;
}

Scene alienWorld() {
  Scene s;
  s.seed = 271;
  s.eyeHeight = 8;
  s.horizon = 0.62f;
  s.zenith = rgb(0.04f, 0.02f, 0.10f);
  s.skyHorizon = rgb(0.45f, 0.25f, 0.45f);
  s.sun = rgb(0.85f, 0.80f, 1.0f);
  s.sunDir = {0.8f, 0.15f, 0.8f};
  s.sunGlow = 0.7f;
  s.clouds = 0;
  s.stars = true;
  s.ringedPlanet = true;
  s.height = [](float x, float z) { return mountains(x, z, 272, 0.025f, 30) * smoothstep(20, 90, z) - 3 + 2 * fbm2(x * 0.08f, z * 0.08f, 4, 273); };
  s.albedo = [](float x, float z, float h, Vec3 n) {
    Color c = mix(rgb(0.35f, 0.22f, 0.30f), rgb(0.65f, 0.55f, 0.50f), smoothstep(0.6f, 0.9f, n.y));
    return c * (0.8f + 0.3f * noise2(x * 0.5f, z * 0.5f, 274)) + rgb(0.1f, 0.05f, 0.0f) * smoothstep(10, 25, h);
  };
  s.water = -1;
  s.waterShallow = rgb(0.15f, 0.35f, 0.40f);
  s.waterDeep = rgb(0.05f, 0.05f, 0.12f);
  s.ambient = rgb(0.20f, 0.12f, 0.25f);
  s.haze = 0.006f;
  s.hazeColor = rgb(0.45f, 0.28f, 0.45f);
  return s;
}

Scene tropicalIsland() {
  Scene s;
  s.seed = 281;
  s.eyeHeight = 14;
  s.horizon = 0.38f;
  s.zenith = rgb(0.08f, 0.35f, 0.75f);
  s.skyHorizon = rgb(0.65f, 0.82f, 0.95f);
  s.sunDir = {-0.3f, 0.8f, 0.5f};
  s.sunGlow = 0.2f;
  s.clouds = 0.35f;
  s.height = [](float x, float z) {
    float dx = (x - 25) * 0.025f, dz = (z - 170) * 0.02f;
    float island = std::exp(-(dx * dx + dz * dz) * 1.2f);
    float n = fbm2(x * 0.03f, z * 0.03f, 6, 282);
    return 30 * island * island + 6 * island * n - 3.5f + 1.5f * n;
  };
  s.albedo = [](float x, float z, float h, Vec3 n) {
    Color sand = rgb(0.95f, 0.88f, 0.70f), jungle = rgb(0.08f, 0.28f, 0.06f) * (0.8f + 0.4f * noise2(x * 0.6f, z * 0.6f, 283));
    return mix(sand, jungle, smoothstep(0.5f, 1.5f, h) * smoothstep(0.4f, 0.7f, n.y) + smoothstep(1.5f, 4, h) * 0.5f);
  };
  s.water = 0;
  s.waves = 0.05f;
  s.waterShallow = rgb(0.15f, 0.80f, 0.75f);
  s.waterDeep = rgb(0.02f, 0.18f, 0.45f);
  s.ambient = rgb(0.35f, 0.42f, 0.55f);
  s.haze = 0.0025f;
  s.hazeColor = rgb(0.7f, 0.82f, 0.95f);
  return s;
}

}  // namespace

bool makePhoto(const std::string& path, int index) {
  Image img(kScreenW, kScreenH);
  static const std::function<Scene()> scenes[10] = {alpineLake, oceanSunset, desertDunes, auroraNight, greenValley,
                                                   mistyRidges, redCanyon,   stormySea,   alienWorld,  tropicalIsland};
  static const float exposure[10] = {1.6f, 1.25f, 1.5f, 2.0f, 1.5f, 1.5f, 1.6f, 1.7f, 1.6f, 1.5f};
  render(scenes[index](), img);
  develop(img, exposure[index]);
  return writeJpeg(img, path, 92);
}

}  // namespace assetgen
