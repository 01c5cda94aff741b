// Test helpers: writes PNG files with stb_image_write (a private copy per test file) and JPEG
// files with the engine's writer, and builds simple pixel patterns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "gfx/jpeg_writer.h"

namespace testimages {

// pixels: rows top first, `channels` bytes per pixel, packed.
inline bool writePng(const std::string& path, int width, int height, int channels,
                     const std::vector<uint8_t>& pixels) {
  return stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels) != 0;
}

inline bool writeJpeg(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& rgb) {
  return qorFramework::writeJpegFile(path.c_str(), rgb.data(), width, height, 100);
}

// A solid RGBA image.
inline std::vector<uint8_t> solid(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  std::vector<uint8_t> out;
  for (int i = 0; i < width * height; ++i) out.insert(out.end(), {r, g, b, a});
  return out;
}

}  // namespace testimages
