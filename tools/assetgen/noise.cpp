// Hashes, the seeded generator and gradient/cell noise.
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

uint32_t hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

uint32_t hash2i(int x, int y, uint32_t seed) {
  return hash32(uint32_t(x) * 0x8da6b343U ^ hash32(uint32_t(y) * 0xd8163841U ^ seed));
}

uint32_t hash3i(int x, int y, int z, uint32_t seed) {
  return hash32(uint32_t(z) * 0xcb1ab31fU ^ hash2i(x, y, seed));
}

float hashUnit(uint32_t h) { return float(h >> 8) * (1.0f / 16777216.0f); }

uint32_t Rng::next() {
  s ^= s << 13;
  s ^= s >> 7;
  s ^= s << 17;
  return uint32_t(s >> 32);
}
float Rng::uniform() { return hashUnit(next()); }
float Rng::range(float a, float b) { return a + (b - a) * uniform(); }
float Rng::gauss() {
  float u = std::max(uniform(), 1e-7f), v = uniform();
  return std::sqrt(-2.0f * std::log(u)) * std::cos(6.2831853f * v);
}

static float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Dot of a hashed unit gradient with the offset (dx, dy).
static float grad2(uint32_t h, float dx, float dy) {
  static const float gx[8] = {1, -1, 0, 0, 0.7071f, -0.7071f, 0.7071f, -0.7071f};
  static const float gy[8] = {0, 0, 1, -1, 0.7071f, 0.7071f, -0.7071f, -0.7071f};
  int i = int(h >> 29);
  return gx[i] * dx + gy[i] * dy;
}

static float noise2Lattice(float x, float y, int period, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float dx = x - fx, dy = y - fy;
  auto cell = [&](int cx, int cy) {
    if (period > 0) {
      cx = ((cx % period) + period) % period;
      cy = ((cy % period) + period) % period;
    }
    return hash2i(cx, cy, seed);
  };
  float n00 = grad2(cell(ix, iy), dx, dy);
  float n10 = grad2(cell(ix + 1, iy), dx - 1, dy);
  float n01 = grad2(cell(ix, iy + 1), dx, dy - 1);
  float n11 = grad2(cell(ix + 1, iy + 1), dx - 1, dy - 1);
  float u = fade(dx), v = fade(dy);
  float a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
  return 1.41f * (a + (b - a) * v);
}

float noise2(float x, float y, uint32_t seed) { return noise2Lattice(x, y, 0, seed); }
float noise2Periodic(float x, float y, int period, uint32_t seed) {
  return noise2Lattice(x, y, period, seed);
}

static float grad3(uint32_t h, float dx, float dy, float dz) {
  switch (h >> 28) {  // the twelve cube-edge directions, four repeated
    case 0: case 12: return dx + dy;
    case 1: case 13: return -dx + dy;
    case 2: return dx - dy;
    case 3: return -dx - dy;
    case 4: return dx + dz;
    case 5: return -dx + dz;
    case 6: return dx - dz;
    case 7: return -dx - dz;
    case 8: case 14: return dy + dz;
    case 9: case 15: return -dy + dz;
    case 10: return dy - dz;
    default: return -dy - dz;
  }
}

float noise3(float x, float y, float z, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  int ix = int(fx), iy = int(fy), iz = int(fz);
  float dx = x - fx, dy = y - fy, dz = z - fz;
  float u = fade(dx), v = fade(dy), w = fade(dz);
  float n[2][2][2];
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i)
        n[k][j][i] = grad3(hash3i(ix + i, iy + j, iz + k, seed), dx - i, dy - j, dz - k);
  auto lx = [&](int k, int j) { return n[k][j][0] + (n[k][j][1] - n[k][j][0]) * u; };
  float a = lx(0, 0) + (lx(0, 1) - lx(0, 0)) * v;
  float b = lx(1, 0) + (lx(1, 1) - lx(1, 0)) * v;
  return 0.95f * (a + (b - a) * w);
}

float fbm2(float x, float y, int octaves, uint32_t seed, float gain) {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * noise2(x, y, seed + uint32_t(i) * 131u);
    norm += amp;
    amp *= gain;
    float nx = 1.6f * x + 1.2f * y, ny = -1.2f * x + 1.6f * y;  // rotate to hide the grid
    x = nx + 17.3f;
    y = ny + 5.1f;
  }
  return sum / norm;
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed, float gain) {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * noise3(x, y, z, seed + uint32_t(i) * 131u);
    norm += amp;
    amp *= gain;
    x = x * 2.03f + 11.7f;
    y = y * 2.03f + 3.9f;
    z = z * 2.03f + 7.3f;
  }
  return sum / norm;
}

float ridged2(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, amp = 1, norm = 0, weight = 1;
  for (int i = 0; i < octaves; ++i) {
    float n = 1.0f - std::fabs(noise2(x, y, seed + uint32_t(i) * 71u));
    n *= n * weight;
    weight = std::fmin(1.0f, n * 2.0f);
    sum += amp * n;
    norm += amp;
    amp *= 0.5f;
    float nx = 1.6f * x + 1.2f * y, ny = -1.2f * x + 1.6f * y;
    x = nx + 9.1f;
    y = ny + 2.7f;
  }
  return sum / norm;
}

CellDist cells2(float x, float y, uint32_t seed) {
  int ix = int(std::floor(x)), iy = int(std::floor(y));
  float f1 = 1e9f, f2 = 1e9f;
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) {
      uint32_t h = hash2i(ix + i, iy + j, seed);
      float px = ix + i + hashUnit(h), py = iy + j + hashUnit(hash32(h));
      float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
      if (d < f1) {
        f2 = f1;
        f1 = d;
      } else if (d < f2) {
        f2 = d;
      }
    }
  return {f1, f2};
}

}  // namespace assetgen
