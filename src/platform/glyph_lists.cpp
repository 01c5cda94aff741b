// FreeType rasterises each glyph once as a hinted 1-bit bitmap; the rows are copied bottom row
// first into a glBitmap call compiled into the glyph's display list.
#include "platform/glyph_lists.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <vector>

namespace platform {

static const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
static const int kFirstCode = 32;
static const int kCodeCount = 96;

struct FontHandle {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int advance = 0;  // of 'M'; every glyph has it
};

static void freeHandle(FontHandle* font) {
  if (font->face) FT_Done_Face(font->face);
  if (font->library) FT_Done_FreeType(font->library);
  delete font;
}

// Compiles one glyph: the bitmap's lower-left corner lands (bitmap_left, top - rows) from the
// raster position, so the baseline sits at the raster position.
static bool compileGlyph(FT_Face face, unsigned long code, GLuint list) {
  if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
  const FT_GlyphSlot glyph = face->glyph;
  const FT_Bitmap& bitmap = glyph->bitmap;
  if (bitmap.rows > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  int rows = static_cast<int>(bitmap.rows);
  int width = static_cast<int>(bitmap.width);
  int rowBytes = (width + 7) / 8;
  std::vector<GLubyte> bottomFirst(static_cast<size_t>(rowBytes) * rows);
  for (int r = 0; r < rows; ++r) {
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
    std::copy_n(source, rowBytes, &bottomFirst[static_cast<size_t>(rows - 1 - r) * rowBytes]);
  }
  GLfloat advance = static_cast<GLfloat>(glyph->advance.x >> 6);
  glNewList(list, GL_COMPILE);
  glBitmap(width, rows, static_cast<GLfloat>(-glyph->bitmap_left),
           static_cast<GLfloat>(rows - glyph->bitmap_top), advance, 0.0f,
           rows > 0 ? bottomFirst.data() : nullptr);
  glEndList();
  return true;
}

FontHandle* createBitmapFontLists(int pixelHeight, GLuint* firstList, const char** whyNot) {
  *firstList = 0;
  const char* ignored = nullptr;
  if (!whyNot) whyNot = &ignored;
  if (pixelHeight < 4) pixelHeight = 4;
  FontHandle* font = new FontHandle;
  if (FT_Init_FreeType(&font->library) != 0) {
    *whyNot = "FreeType does not start";
    freeHandle(font);
    return nullptr;
  }
  if (FT_New_Face(font->library, kFontFile, 0, &font->face) != 0 ||
      FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
    *whyNot = "cannot open /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    freeHandle(font);
    return nullptr;
  }
  GLuint lists = glGenLists(kCodeCount);
  if (lists == 0) {
    *whyNot = "no display lists";
    freeHandle(font);
    return nullptr;
  }
  // glBitmap reads its rows with the unpack state in force while compiling: tightly packed.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  bool ok = true;
  for (int i = 0; i < kCodeCount && ok; ++i) {
    unsigned long code = static_cast<unsigned long>(kFirstCode + i);
    if (code == 127) code = '?';  // DEL has no glyph
    ok = compileGlyph(font->face, code, lists + static_cast<GLuint>(i));
    if (code == 'M') font->advance = static_cast<int>(font->face->glyph->advance.x >> 6);
  }
  glPopClientAttrib();
  if (!ok) {
    *whyNot = "FreeType cannot render a glyph";
    glDeleteLists(lists, kCodeCount);
    freeHandle(font);
    return nullptr;
  }
  *firstList = lists;
  return font;
}

void deleteBitmapFontLists(FontHandle* font, GLuint firstList) {
  if (firstList != 0) glDeleteLists(firstList, kCodeCount);
  if (font) freeHandle(font);
}

int fontAdvancePixels(const FontHandle* font) { return font ? font->advance : 0; }

}  // namespace platform
