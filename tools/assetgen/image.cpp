// Float canvas, masks, blurs and the 8-bit writers (stb_image_write for PNG, libjpeg for JPEG).
#include "image.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "noise.h"

#include <stb_image_write.h>

#include "gfx/jpeg_writer.h"

namespace assetgen {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float lerp(float a, float b, float t) { return a + (b - a) * t; }
float smoothstep(float e0, float e1, float x) {
  float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
Color mix(const Color& x, const Color& y, float t) {
  return {lerp(x.r, y.r, t), lerp(x.g, y.g, t), lerp(x.b, y.b, t), lerp(x.a, y.a, t)};
}
Color scaled(const Color& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a * k}; }

float Mask::sample(float x, float y) const {
  x -= 0.5f;
  y -= 0.5f;
  int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  float fx = x - x0, fy = y - y0;
  auto get = [&](int xi, int yi) {
    return (xi < 0 || yi < 0 || xi >= width || yi >= height) ? 0.0f : at(xi, yi);
  };
  float top = lerp(get(x0, y0), get(x0 + 1, y0), fx);
  float bottom = lerp(get(x0, y0 + 1), get(x0 + 1, y0 + 1), fx);
  return lerp(top, bottom, fy);
}

void Image::over(int x, int y, const Color& c, float coverage) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  float a = clamp01(c.a * coverage);
  Color& d = at(x, y);
  d.r = c.r * a + d.r * (1 - a);
  d.g = c.g * a + d.g * (1 - a);
  d.b = c.b * a + d.b * (1 - a);
  d.a = a + d.a * (1 - a);
}

void Image::add(int x, int y, const Color& c, float k) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  Color& d = at(x, y);
  float r = c.r * k, g = c.g * k, b = c.b * k;
  d.r += r;
  d.g += g;
  d.b += b;
  float light = std::max(r, std::max(g, b));
  d.a = d.a + light * (1 - d.a);
}

void Image::overMask(const Mask& m, int ox, int oy, const Color& c) {
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      float cov = m.at(x, y);
      if (cov > 0) over(ox + x, oy + y, c, cov);
    }
}

void Image::addMask(const Mask& m, int ox, int oy, const Color& c) {
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      float cov = m.at(x, y);
      if (cov > 0) add(ox + x, oy + y, c, cov);
    }
}

void Image::flipVertical() {
  for (int y = 0; y < height / 2; ++y)
    std::swap_ranges(px.begin() + size_t(y) * width, px.begin() + size_t(y + 1) * width,
                     px.begin() + size_t(height - 1 - y) * width);
}

// One box pass of width 2r+1 along a strided line of n floats, edges clamped.
static void boxLine(float* p, int n, int stride, int r, std::vector<float>& tmp) {
  tmp.resize(n);
  for (int i = 0; i < n; ++i) tmp[i] = p[size_t(i) * stride];
  float inv = 1.0f / float(2 * r + 1);
  double sum = 0;
  for (int i = -r; i <= r; ++i) sum += tmp[std::clamp(i, 0, n - 1)];
  for (int i = 0; i < n; ++i) {
    p[size_t(i) * stride] = float(sum) * inv;
    sum += tmp[std::min(i + r + 1, n - 1)] - tmp[std::max(i - r, 0)];
  }
}

static void blurPlane(float* data, int w, int h, int stride, int radius) {
  if (radius <= 0) return;
  std::vector<float> tmp;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y) boxLine(data + size_t(y) * w * stride, w, stride, radius, tmp);
    for (int x = 0; x < w; ++x) boxLine(data + size_t(x) * stride, h, w * stride, radius, tmp);
  }
}

void blur(Mask& m, int radius) { blurPlane(m.v.data(), m.width, m.height, 1, radius); }

void blur(Image& img, int radius) {
  float* base = &img.px[0].r;
  for (int c = 0; c < 4; ++c) blurPlane(base + c, img.width, img.height, 4, radius);
}

Image downscale(const Image& src, int w, int h) {
  Image cur = src;
  while (cur.width >= 2 * w && cur.height >= 2 * h) {
    Image half(cur.width / 2, cur.height / 2);
    for (int y = 0; y < half.height; ++y)
      for (int x = 0; x < half.width; ++x) {
        const Color& a = cur.at(2 * x, 2 * y);
        const Color& b = cur.at(2 * x + 1, 2 * y);
        const Color& c = cur.at(2 * x, 2 * y + 1);
        const Color& d = cur.at(2 * x + 1, 2 * y + 1);
        half.at(x, y) = {(a.r + b.r + c.r + d.r) / 4, (a.g + b.g + c.g + d.g) / 4,
                         (a.b + b.b + c.b + d.b) / 4, (a.a + b.a + c.a + d.a) / 4};
      }
    cur = std::move(half);
  }
  Image out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float sx = (x + 0.5f) * cur.width / w - 0.5f, sy = (y + 0.5f) * cur.height / h - 0.5f;
      int x0 = std::clamp(int(std::floor(sx)), 0, cur.width - 1);
      int y0 = std::clamp(int(std::floor(sy)), 0, cur.height - 1);
      int x1 = std::min(x0 + 1, cur.width - 1), y1 = std::min(y0 + 1, cur.height - 1);
      float fx = clamp01(sx - x0), fy = clamp01(sy - y0);
      out.at(x, y) = mix(mix(cur.at(x0, y0), cur.at(x1, y0), fx),
                         mix(cur.at(x0, y1), cur.at(x1, y1), fx), fy);
    }
  return out;
}

// Ordered by a hash, so smooth gradients do not band and two runs give the same bytes.
static uint8_t quantize(float v, int x, int y, int channel) {
  float d = hashUnit(hash3i(x, y, channel, 0x5eed));
  float q = std::floor(clamp01(v) * 255.0f + d);
  return uint8_t(std::min(q, 255.0f));
}

static std::vector<uint8_t> toBytes(const Image& img, int channels) {
  std::vector<uint8_t> out(size_t(img.width) * img.height * channels);
  size_t k = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      Color c = img.at(x, y);
      float a = clamp01(c.a);
      if (channels == 4) {
        if (a > 0) {
          c.r /= a;
          c.g /= a;
          c.b /= a;
        }
      }
      out[k++] = quantize(c.r, x, y, 0);
      out[k++] = quantize(c.g, x, y, 1);
      out[k++] = quantize(c.b, x, y, 2);
      if (channels == 4) out[k++] = quantize(a, x, y, 3);
    }
  return out;
}

bool makeParentDirs(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/') continue;
    std::string dir = path.substr(0, i);
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
      fprintf(stderr, "assetgen: cannot create folder %s\n", dir.c_str());
      return false;
    }
  }
  return true;
}

// Writes to a temporary name first so a failed run never leaves half a picture behind.
template <typename WriteFn>
static bool writeAtomically(const std::string& path, WriteFn write) {
  if (!makeParentDirs(path)) return false;
  std::string tmp = path + ".part";
  if (!write(tmp.c_str()) || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool writePng(const Image& img, const std::string& path, int channels) {
  std::vector<uint8_t> bytes = toBytes(img, channels);
  return writeAtomically(path, [&](const char* name) {
    return stbi_write_png(name, img.width, img.height, channels, bytes.data(),
                          img.width * channels) != 0;
  });
}

bool writeJpeg(const Image& img, const std::string& path, int quality) {
  std::vector<uint8_t> bytes = toBytes(img, 3);
  return writeAtomically(path, [&](const char* name) {
    return qorFramework::writeJpegFile(name, bytes.data(), img.width, img.height, quality);
  });
}

}  // namespace assetgen
