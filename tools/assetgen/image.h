// Float pictures for the asset generator: an RGBA canvas with premultiplied alpha, a
// one-channel mask (text coverage, line coverage, glow), blurs, and the PNG/JPEG writers.
// Depends on stb_image_write (PNG) and the engine's JPEG writer only; everything else is plain
// arithmetic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Color {
  float r = 0, g = 0, b = 0, a = 0;
};

inline Color rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }
inline Color rgba(float r, float g, float b, float a) { return {r, g, b, a}; }
Color mix(const Color& x, const Color& y, float t);
Color scaled(const Color& c, float k);  // all four channels times k
float clamp01(float v);
float smoothstep(float e0, float e1, float x);
float lerp(float a, float b, float t);

// One float per pixel, row 0 at the top.
struct Mask {
  int width = 0, height = 0;
  std::vector<float> v;
  Mask() = default;
  Mask(int w, int h) : width(w), height(h), v(size_t(w) * h, 0.0f) {}
  float& at(int x, int y) { return v[size_t(y) * width + x]; }
  float at(int x, int y) const { return v[size_t(y) * width + x]; }
  float sample(float x, float y) const;  // bilinear, outside = 0
};

// RGBA, premultiplied alpha, row 0 at the top (the first row written to the file).
struct Image {
  int width = 0, height = 0;
  std::vector<Color> px;
  Image() = default;
  Image(int w, int h, Color fill = {}) : width(w), height(h), px(size_t(w) * h, fill) {}
  Color& at(int x, int y) { return px[size_t(y) * width + x]; }
  const Color& at(int x, int y) const { return px[size_t(y) * width + x]; }

  // c is straight (not premultiplied); coverage scales its alpha.
  void over(int x, int y, const Color& c, float coverage = 1.0f);
  // Adds light: rgb += c.rgb * k, alpha grows by the brightest added channel.
  void add(int x, int y, const Color& c, float k = 1.0f);
  // Paints the mask over the picture at (ox, oy) in colour c (straight alpha).
  void overMask(const Mask& m, int ox, int oy, const Color& c);
  void addMask(const Mask& m, int ox, int oy, const Color& c);
  void flipVertical();
};

// Separable box blur run three times (close to a Gaussian of sigma ~ radius * 0.8).
void blur(Mask& m, int radius);
void blur(Image& img, int radius);
// Halves the size (2x2 average) until the picture fits maxW x maxH, then a bilinear pass.
Image downscale(const Image& img, int w, int h);

// Writers. Rows are written top first; values are dithered deterministically to 8 bits.
// channels 3 drops alpha (premultiplied colour over black), 4 keeps straight alpha.
bool writePng(const Image& img, const std::string& path, int channels);
bool writeJpeg(const Image& img, const std::string& path, int quality);
// Creates every missing folder on the way to the file named by path.
bool makeParentDirs(const std::string& path);

}  // namespace assetgen
