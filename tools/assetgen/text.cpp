// FreeType text rendering into coverage masks.
#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace assetgen {

static const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";

Font::~Font() {
  if (face) FT_Done_Face(FT_Face(face));
  if (library) FT_Done_FreeType(FT_Library(library));
}

bool Font::load(const std::string& name) {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) != 0) {
    fprintf(stderr, "assetgen: FreeType does not start\n");
    return false;
  }
  library = lib;
  FT_Face f = nullptr;
  std::string path = kFontFolder + name;
  if (FT_New_Face(lib, path.c_str(), 0, &f) != 0) {
    fprintf(stderr, "assetgen: cannot open font %s\n", path.c_str());
    return false;
  }
  face = f;
  return true;
}

static std::vector<uint32_t> decodeUtf8(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(c);
    } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
      out.push_back(((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu));
      ++i;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
      out.push_back(((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu));
      i += 2;
    }
  }
  return out;
}

Mask Font::render(const std::string& text, int pixelSize, float tracking, int pad) const {
  if (!face) return Mask(1, 1);
  FT_Face f = FT_Face(face);
  FT_Set_Pixel_Sizes(f, 0, FT_UInt(pixelSize));
  std::vector<uint32_t> codes = decodeUtf8(text);
  // Generous canvas: every glyph fits inside two em of height and its advance of width.
  int w = int(codes.size() * (pixelSize * 1.2f + std::fabs(tracking))) + 4 * pixelSize;
  int h = 3 * pixelSize;
  Mask canvas(w, h);
  float penX = float(pixelSize);
  int baseline = 2 * pixelSize;
  FT_UInt previous = 0;
  for (uint32_t code : codes) {
    FT_UInt glyph = FT_Get_Char_Index(f, code);
    if (previous && glyph && FT_HAS_KERNING(f)) {
      FT_Vector k;
      FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNFITTED, &k);
      penX += k.x / 64.0f;
    }
    previous = glyph;
    if (FT_Load_Glyph(f, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = f->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    int gx = int(std::lround(penX)) + slot->bitmap_left, gy = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        int x = gx + int(col), y = gy + int(row);
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        float v = bm.buffer[row * bm.pitch + col] / 255.0f;
        canvas.at(x, y) = std::min(1.0f, canvas.at(x, y) + v);
      }
    penX += slot->advance.x / 64.0f + tracking;
  }
  return cropToInk(canvas, pad);
}

Mask cropToInk(const Mask& m, int pad) {
  int x0 = m.width, y0 = m.height, x1 = -1, y1 = -1;
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      if (m.at(x, y) > 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return Mask(1 + 2 * pad, 1 + 2 * pad);
  Mask out(x1 - x0 + 1 + 2 * pad, y1 - y0 + 1 + 2 * pad);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) out.at(x - x0 + pad, y - y0 + pad) = m.at(x, y);
  return out;
}

}  // namespace assetgen
