// The image decoder behind loadImage (PNG or JPEG by its first bytes): any bytes are refused or
// give exactly width * height pixels of 3 or 4 bytes, and a refusal leaves the outputs alone.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "gfx/texture.h"

using namespace qorFramework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> pixels;
  int32_t width = -1, height = -1, bpp = -1;
  if (!decodeImage(data, size, pixels, &width, &height, &bpp)) {
    fuzz::check(pixels.empty() && width == -1 && height == -1 && bpp == -1,
                "a refused picture changed the outputs");
    return 0;
  }
  fuzz::check(width > 0 && height > 0 && (bpp == 3 || bpp == 4), "a bad size or pixel format");
  fuzz::check(pixels.size() == size_t(width) * height * bpp, "pixels do not match the size");
  return 0;
}
