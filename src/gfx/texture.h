// Textures: the abstract GL_Texture (an image or a render target that can be sampled), the image
// texture GL_MemTexture filled once from pixels in memory, and loadImage, which decodes a PNG or
// JPEG file into 8-bit RGB or RGBA pixels with libpng and libjpeg.
// Depends on: platform/gl.h, platform/system.h (files), libpng, libjpeg. GL_FBOTexture is in render_target.h.
//
// GL objects are freed only by release(), called while the context is current; destroying a
// texture object makes no GL call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gl.h"

namespace qorFramework {

class GL_Texture {
 public:
  virtual ~GL_Texture() = default;
  // Makes the texture current on a unit; textureUnit is the GL enum (GL_TEXTURE0, ...).
  virtual void bind(GLenum textureUnit) = 0;
  // Undoes bind on the unit remembered by the last bind.
  virtual void unbind() = 0;
  // Deletes the GL objects.
  virtual void release() = 0;

  int32_t width = 32;   // 32 until created
  int32_t height = 32;  // 32 until created
  GLenum format = 0;    // GL_RGB or GL_RGBA once created (internal and upload format)
};

// A 2D image texture, one level, bilinear, 8-bit components.
class GL_MemTexture : public GL_Texture {
 public:
  // Uploads `pixels` (width * height pixels of 3 bytes for GL_RGB, 4 for GL_RGBA, rows packed, in
  // the order given: the first row becomes texture row t = 0). Leaves the texture bound on unit
  // GL_TEXTURE0, GL_TEXTURE0 active, and GL_TEXTURE_2D disabled on that unit.
  void create(const uint8_t* pixels, int32_t width, int32_t height, GLenum format, GLint wrapS,
              GLint wrapT);
  // Enables GL_TEXTURE_2D on the unit active BEFORE the call, then makes textureUnit active and
  // binds the texture there. textureUnit stays the active unit.
  void bind(GLenum textureUnit) override;
  // Makes the unit of the last bind active and binds texture 0 on it. GL_TEXTURE_2D stays enabled
  // and the previously active unit is not restored.
  void unbind() override;
  void release() override;

  GLuint glName = 0;
  GLenum boundUnit = GL_TEXTURE0;
};

// A part of a texture in texture coordinates: s0..s1 across, t0..t1 down the rows.
struct TextureRect {
  float s0 = 0.0f, t0 = 0.0f, s1 = 1.0f, t1 = 1.0f;
  bool empty = false;  // no texel can change a pixel
};

// Reads the texture back once (context current) and returns the smallest part that holds every
// texel with alpha above 0 (`byAlpha`: for pictures blended by their alpha) or colour above 0
// (for pictures added), grown by two texels for bilinear reads; a side within that reach of an
// edge takes the whole axis, since repeating textures blend across the edges. Leaves texture 0
// bound on GL_TEXTURE0, which is left active.
TextureRect findContentRect(GL_Texture* texture, bool byAlpha);

// Decodes a PNG or JPEG file (chosen by its first bytes; other formats are refused) into pixels
// of 3 (RGB) or 4 (RGBA) bytes, rows packed, first stored row (the top of the picture) first.
// Greyscale, palette and 16-bit images are converted. fileName is a demo path (backslashes
// allowed). On false the outputs are left untouched; nothing is traced here.
// A file that ends early (anywhere before a PNG's end chunk or inside a JPEG's data) is refused
// at once; so is a picture of more than 2^28 bytes of pixels.
bool loadImage(const char* fileName, std::vector<uint8_t>& pixels, int32_t* width,
               int32_t* height, int32_t* bytesPerPixel);
// loadImage's decoder for a file already in memory (`size` bytes at `data`).
bool decodeImage(const uint8_t* data, size_t size, std::vector<uint8_t>& pixels, int32_t* width,
                 int32_t* height, int32_t* bytesPerPixel);

}  // namespace qorFramework
