// Helpers shared by the flash, fading-objects and earth layer tests: test pictures written with
// stb_image_write under the exact file names the layers request, a frame drawn the way the main
// loop draws it, and colour comparison with a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// libstb's writers (the implementation is in libstb.so); the header trips -Wextra.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "gfx/jpeg_writer.h"
#include "platform/gl.h"
#include "support/test_support.h"
#include "timeline/layer.h"

namespace layerscene {

using testsupport::Rgba;

// An RGBA picture, rows top first, filled by a function of the pixel (x right, y down).
struct Picture {
  int width, height;
  std::vector<uint8_t> rgba;
  Picture(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
  void set(int x, int y, Rgba c) {
    uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
  }
  template <class F> Picture& fill(F colourAt) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) set(x, y, colourAt(x, y));
    return *this;
  }
};

inline Picture solid(Rgba c, int size = 16) {
  return Picture(size, size).fill([&](int, int) { return c; });
}

// Writes a PNG (RGBA), or for a ".jpg" name a JPEG (RGB, best quality).
inline void writePicture(const std::string& name, const Picture& picture) {
  bool ok;
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0) {
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < picture.rgba.size(); i += 4)
      rgb.insert(rgb.end(), {picture.rgba[i], picture.rgba[i + 1], picture.rgba[i + 2]});
    ok = qorFramework::writeJpegFile(name.c_str(), rgb.data(), picture.width, picture.height, 100);
  } else {
    ok = stbi_write_png(name.c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                        picture.width * 4) != 0;
  }
  ASSERT_TRUE(ok) << name;
}

// Hands the layer its frame time, clears colour and depth, then renders on reset matrices with
// the model-view matrix pushed, as the main loop does for every active slot.
inline void drawFrame(qorFramework::Layer_Base& layer, float time, Rgba clear = {0, 0, 0, 255}) {
  qorFramework::FrameInfo info = {time, 0.016f, 124.0f, 124.0f - time, 0.0f, false, false, nullptr};
  layer.update(info);
  glClearColor(clear.r / 255.0f, clear.g / 255.0f, clear.b / 255.0f, clear.a / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glPushMatrix();
  layer.render();
  glPopMatrix();
}

// Colour channels within tol of (r, g, b); alpha is not compared.
inline ::testing::AssertionResult near(Rgba p, int r, int g, int b, int tol = 3) {
  if (std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << int(p.r) << ", " << int(p.g) << ", "
                                       << int(p.b) << ") is not within " << tol << " of (" << r
                                       << ", " << g << ", " << b << ")";
}

inline bool sameColour(Rgba a, Rgba b, int tol = 3) { return near(a, b.r, b.g, b.b, tol); }

}  // namespace layerscene
