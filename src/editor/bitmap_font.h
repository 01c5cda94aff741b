// BitmapFont and drawText: one line of text drawn with a display-list bitmap font at a raster
// position in overlay coordinates. The glyph lists come from the platform layer (FreeType).
// Owns: the font's 96 display lists and its platform handle (freed by releaseBitmapFont).
// Depends on: platform/glyph_lists.h, OpenGL.
#pragma once

#include <string>

#include "platform/glyph_lists.h"

namespace qorFramework {

constexpr int kFontFirstCode = 32;
constexpr int kFontCodeCount = 96;  // codes 32..127

struct BitmapFont {
  std::string name;
  GLuint firstList = 0;                        // first of 96 lists, code 32
  platform::FontHandle* fontHandle = nullptr;  // the face the lists were made from
};

// Creates a font about pixelHeight pixels high. Null, with a WARNING under "bitmapFont", when
// the platform cannot make the lists.
BitmapFont* createBitmapFont(const char* name, int pixelHeight);
// Deletes the 96 lists and the platform handle, then frees the object (context current).
// Null is ignored.
void releaseBitmapFont(BitmapFont* font);

// Formats (printf rules, into 4096 bytes; longer output is cut) and draws one line whose
// baseline starts at the raster position (x, y) of the current matrices, in colour (r, g, b, a).
// Bytes outside 32..127 draw as '?'. Pushes and pops GL_LIST_BIT; leaves the colour and the
// raster position set. A null font draws nothing and changes no state.
void drawText(const BitmapFont* font, float x, float y, float r, float g, float b, float a,
              const char* format, ...) __attribute__((format(printf, 8, 9)));

}  // namespace qorFramework
