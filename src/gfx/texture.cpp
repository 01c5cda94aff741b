#include "gfx/texture.h"

#include <algorithm>

#include <IL/il.h>

#include <cstdio>
#include <cstring>

#include "gfx/gl_check.h"
#include "platform/system.h"

namespace qorFramework {

// ---------------------------------------------------------------------------------------------
// GL_MemTexture

void GL_MemTexture::create(const uint8_t* pixels, int32_t w, int32_t h, GLenum fmt, GLint wrapS,
                           GLint wrapT) {
  width = w;
  height = h;
  format = fmt;
  glEnable(GL_TEXTURE_2D);
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &glName);
  glBindTexture(GL_TEXTURE_2D, glName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
  // RGB rows of odd widths are not 4-byte aligned; the pixels are packed.
  GLint previousAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(fmt), w, h, 0, fmt, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  glDisable(GL_TEXTURE_2D);
  checkGlError("GL_MemTexture::create");
}

void GL_MemTexture::bind(GLenum textureUnit) {
  glEnable(GL_TEXTURE_2D);
  glActiveTexture(textureUnit);
  glBindTexture(GL_TEXTURE_2D, glName);
  boundUnit = textureUnit;
}

void GL_MemTexture::unbind() {
  glActiveTexture(boundUnit);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void GL_MemTexture::release() {
  glDeleteTextures(1, &glName);
  glName = 0;
}

// ---------------------------------------------------------------------------------------------
// loadImage

namespace {

bool devilReady = false;  // ilInit runs once per process

// Only PNG and JPEG reach DevIL, each with its own decoder named explicitly: DevIL's other
// decoders are not trusted with arbitrary files.
ILenum imageTypeOf(const std::vector<uint8_t>& bytes) {
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), png, 8) == 0) return IL_PNG;
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return IL_JPG;
  return IL_TYPE_UNKNOWN;
}

bool readWholeFile(const char* fileName, std::vector<uint8_t>& bytes) {
  FILE* file = platform::openFile(fileName, "rb");
  if (!file) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(file) : -1;
  ok = ok && size > 0 && size < 0x7FFFFFFF && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  std::fclose(file);
  return ok;
}

bool hasAlpha(ILint format) {
  if (format == IL_RGBA || format == IL_BGRA || format == IL_LUMINANCE_ALPHA) return true;
  if (format != IL_COLOUR_INDEX) return false;
  ILint palette = ilGetInteger(IL_PALETTE_TYPE);
  return palette == IL_PAL_RGBA32 || palette == IL_PAL_BGRA32;
}

// Brings the bound DevIL image to 8-bit RGB or RGBA; images that already are stay untouched.
bool makeRgbOrRgba() {
  ILint format = ilGetInteger(IL_IMAGE_FORMAT);
  ILint type = ilGetInteger(IL_IMAGE_TYPE);
  if ((format == IL_RGB || format == IL_RGBA) && type == IL_UNSIGNED_BYTE) return true;
  return ilConvertImage(hasAlpha(format) ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE) == IL_TRUE;
}

}  // namespace

bool loadImage(const char* fileName, std::vector<uint8_t>& pixels, int32_t* width,
               int32_t* height, int32_t* bytesPerPixel) {
  if (!fileName) return false;
  if (!devilReady) {
    ilInit();
    devilReady = true;
  }
  std::vector<uint8_t> bytes;
  if (!readWholeFile(fileName, bytes)) return false;
  ILenum type = imageTypeOf(bytes);
  if (type == IL_TYPE_UNKNOWN) return false;

  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  bool ok = ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())) == IL_TRUE &&
            makeRgbOrRgba();
  ILint w = ok ? ilGetInteger(IL_IMAGE_WIDTH) : 0;
  ILint h = ok ? ilGetInteger(IL_IMAGE_HEIGHT) : 0;
  ILint bpp = ok ? ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) : 0;
  const ILubyte* data = ok ? ilGetData() : nullptr;
  ok = ok && w > 0 && h > 0 && (bpp == 3 || bpp == 4) && data;
  if (ok) {
    pixels.assign(data, data + static_cast<size_t>(bpp) * static_cast<size_t>(w) * h);
    *width = w;
    *height = h;
    *bytesPerPixel = bpp;
  }
  ilBindImage(0);
  ilDeleteImages(1, &image);
  return ok;
}

// One axis of the content rectangle: texels first..last (inclusive) of `size`, grown by two.
static void growAxis(int first, int last, int size, float* from, float* to) {
  first -= 2;
  last += 2;
  if (first <= 0 || last >= size - 1) {
    *from = 0.0f;
    *to = 1.0f;
    return;
  }
  *from = static_cast<float>(first) / size;
  *to = static_cast<float>(last + 1) / size;
}

TextureRect findContentRect(GL_Texture* texture, bool byAlpha) {
  TextureRect rect;
  if (!texture || texture->width <= 0 || texture->height <= 0) return rect;
  const int w = texture->width, h = texture->height;
  std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 4);
  texture->bind(GL_TEXTURE0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  texture->unbind();
  int minX = w, minY = h, maxX = -1, maxY = -1;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &texels[static_cast<size_t>(y) * w * 4];
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + x * 4;
      bool counts = byAlpha ? p[3] != 0 : (p[0] | p[1] | p[2]) != 0;
      if (!counts) continue;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  if (maxX < 0) {
    rect.empty = true;
    return rect;
  }
  growAxis(minX, maxX, w, &rect.s0, &rect.s1);
  growAxis(minY, maxY, h, &rect.t0, &rect.t1);
  return rect;
}

}  // namespace qorFramework
