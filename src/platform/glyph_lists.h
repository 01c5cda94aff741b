// Bitmap fonts for OpenGL text: DejaVu Sans Mono (Debian's fonts-dejavu-core) rasterised once
// by FreeType into 96 glBitmap display lists, one per character code 32 to 127. This is the
// stand-in for the platform's "bitmap font to display lists" call.
// Depends on FreeType and OpenGL (a current context).
#pragma once

#include <cstdint>

#include "platform/gl.h"

namespace platform {

struct FontHandle;  // opaque: the FreeType face the lists were made from

// Makes 96 consecutive display lists for the codes 32..127 from a font about `pixelHeight`
// pixels high (ascent plus descent). List firstList + c - 32 draws code c with glBitmap and
// advances the raster position by the glyph's advance; the glyph's baseline sits at the raster
// position. Code 127 (which has no glyph) draws as '?'.
// Returns null, with *firstList = 0 and `whyNot` (may be null) saying why, when the font file
// is missing or cannot be rendered; nothing is left allocated then.
FontHandle* createBitmapFontLists(int pixelHeight, GLuint* firstList, const char** whyNot);
// Deletes the 96 lists starting at firstList (context current) and frees the handle.
void deleteBitmapFontLists(FontHandle* font, GLuint firstList);
// The glyph advance in pixels (the font is monospaced); 0 for a null handle.
int fontAdvancePixels(const FontHandle* font);

}  // namespace platform
