// Deterministic randomness for the asset generator: a small seeded generator, integer hashes,
// value and gradient noise (plain and periodic), fractal sums and cell noise. No global state.
#pragma once

#include <cstdint>

namespace assetgen {

uint32_t hash32(uint32_t x);
uint32_t hash2i(int x, int y, uint32_t seed);
uint32_t hash3i(int x, int y, int z, uint32_t seed);
float hashUnit(uint32_t h);  // 0..1

// xorshift-based generator; the same seed gives the same sequence everywhere.
struct Rng {
  uint64_t s;
  explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) { next(); }
  uint32_t next();
  float uniform();                   // 0..1
  float range(float a, float b);     // a..b
  float gauss();                     // mean 0, sigma 1
};

// Gradient noise in about -1..1.
float noise2(float x, float y, uint32_t seed);
float noise3(float x, float y, float z, uint32_t seed);
// Gradient noise repeating every period cells in x and y.
float noise2Periodic(float x, float y, int period, uint32_t seed);

// Fractal sums of gradient noise, normalised to about -1..1.
float fbm2(float x, float y, int octaves, uint32_t seed, float gain = 0.5f);
float fbm3(float x, float y, float z, int octaves, uint32_t seed, float gain = 0.5f);
float ridged2(float x, float y, int octaves, uint32_t seed);  // 0..1, sharp crests

// Cell noise: distances to the nearest and second-nearest feature point (in cells).
struct CellDist {
  float f1, f2;
};
CellDist cells2(float x, float y, uint32_t seed);

}  // namespace assetgen
