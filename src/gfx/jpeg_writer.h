// Baseline JPEG files from 8-bit RGB pixels through libjpeg(-turbo): the asset generator's and
// the tests' writer. The same pixels and quality always give the same bytes.
// Depends on libjpeg only (the asset generator compiles this file on its own).
#pragma once

#include <cstdint>

namespace qorFramework {

// rgb: width * height pixels of 3 bytes, rows packed, top row first. quality 1..100 (clamped);
// 4:2:0 chroma up to 90, full-resolution chroma above. `path` is a plain file path.
// False, with no file left behind, when the file cannot be written or the size is not positive.
bool writeJpegFile(const char* path, const uint8_t* rgb, int width, int height, int quality);

}  // namespace qorFramework
