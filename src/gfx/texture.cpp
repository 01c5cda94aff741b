#include "gfx/texture.h"

#include <png.h>

#include <algorithm>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// After <cstdio>: jpeglib.h uses FILE and size_t without including anything.
#include <jpeglib.h>
#include <jerror.h>

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

// Larger pictures are refused before their pixels are allocated: 8192 x 8192 RGBA.
constexpr uint64_t kMaxImageBytes = uint64_t(1) << 28;

bool sizeAcceptable(uint32_t width, uint32_t height, int bytesPerPixel) {
  return width > 0 && height > 0 && uint64_t(width) * height * bytesPerPixel <= kMaxImageBytes;
}

// ---- PNG through libpng. Every failure longjmps back to decodePng's setjmp.

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t offset;
};

// A read past the data's end is an error, never a short read: libpng has no other way to learn
// that the file ended, and would otherwise wait for bytes that never come.
void readPngBytes(png_structp png, png_bytep to, png_size_t count) {
  PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > source->size - source->offset) png_error(png, "file ends early");
  std::memcpy(to, source->data + source->offset, count);
  source->offset += count;
}

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

bool decodePng(const uint8_t* data, size_t size, std::vector<uint8_t>& pixels, int32_t* width,
               int32_t* height, int32_t* bytesPerPixel) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  PngSource source = {data, size, 0};
  // Locals changed after setjmp and read after a longjmp must be volatile.
  std::vector<uint8_t> decoded;
  std::vector<png_bytep> rows;
  volatile bool ok = false;
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, &source, readPngBytes);
    png_read_info(png, info);
    png_uint_32 w = 0, h = 0;
    int depth = 0, colour = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colour, nullptr, nullptr, nullptr);
    // Everything becomes 8-bit RGB, or RGBA when the file has any alpha (an alpha channel or a
    // tRNS chunk). Gamma is left as stored.
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    int channels = png_get_channels(png, info);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
        !sizeAcceptable(w, h, channels))
      png_error(png, "unsupported layout");
    size_t rowBytes = size_t(w) * channels;
    if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row size");
    decoded.resize(rowBytes * h);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = &decoded[y * rowBytes];
    png_read_image(png, rows.data());
    // The end chunk is required: a file cut after its image data is still a damaged file.
    png_read_end(png, nullptr);
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    *bytesPerPixel = channels;
    ok = true;
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (ok) pixels.swap(decoded);
  return ok;
}

// ---- JPEG through libjpeg(-turbo). Errors longjmp back to decodeJpeg's setjmp; running out of
// data (which the memory source answers with a made-up end marker and a warning) counts as an
// error too, so a cut file is refused rather than shown grey at the bottom.

struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf escape;
};

void jpegError(j_common_ptr info) { longjmp(reinterpret_cast<JpegErrors*>(info->err)->escape, 1); }

void jpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) jpegError(info);
}

bool decodeJpeg(const uint8_t* data, size_t size, std::vector<uint8_t>& pixels, int32_t* width,
                int32_t* height, int32_t* bytesPerPixel) {
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof(info));
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegError;
  errors.manager.emit_message = jpegMessage;
  std::vector<uint8_t> decoded;
  volatile bool ok = false;
  if (setjmp(errors.escape) == 0) {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // Greyscale and YCbCr come out as RGB; CMYK and other spaces are refused.
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB)
      jpegError(reinterpret_cast<j_common_ptr>(&info));
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (info.output_components != 3 || !sizeAcceptable(info.output_width, info.output_height, 3))
      jpegError(reinterpret_cast<j_common_ptr>(&info));
    jpeg_start_decompress(&info);
    size_t rowBytes = size_t(info.output_width) * 3;
    decoded.resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &decoded[info.output_scanline * rowBytes];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    *width = static_cast<int32_t>(info.output_width);
    *height = static_cast<int32_t>(info.output_height);
    *bytesPerPixel = 3;
    ok = true;
  }
  jpeg_destroy_decompress(&info);
  if (ok) pixels.swap(decoded);
  return ok;
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

}  // namespace

bool decodeImage(const uint8_t* data, size_t size, std::vector<uint8_t>& pixels, int32_t* width,
                 int32_t* height, int32_t* bytesPerPixel) {
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  int32_t w = 0, h = 0, bpp = 0;
  bool ok = false;
  if (size >= 8 && std::memcmp(data, png, 8) == 0) {
    ok = decodePng(data, size, pixels, &w, &h, &bpp);
  } else if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    ok = decodeJpeg(data, size, pixels, &w, &h, &bpp);
  }
  if (ok) {
    *width = w;
    *height = h;
    *bytesPerPixel = bpp;
  }
  return ok;
}

bool loadImage(const char* fileName, std::vector<uint8_t>& pixels, int32_t* width,
               int32_t* height, int32_t* bytesPerPixel) {
  std::vector<uint8_t> bytes;
  if (!fileName || !readWholeFile(fileName, bytes)) return false;
  return decodeImage(bytes.data(), bytes.size(), pixels, width, height, bytesPerPixel);
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
