#include "editor/bitmap_font.h"

#include <cstdarg>
#include <cstdio>

#include "platform/trace.h"

namespace qorFramework {

BitmapFont* createBitmapFont(const char* name, int pixelHeight) {
  GLuint first = 0;
  const char* whyNot = nullptr;
  platform::FontHandle* handle = platform::createBitmapFontLists(pixelHeight, &first, &whyNot);
  if (!handle) {
    trace(TRACE_WARNING, "bitmapFont", "no font \"%s\": %s", name ? name : "", whyNot ? whyNot : "");
    return nullptr;
  }
  BitmapFont* font = new BitmapFont;
  font->name = name ? name : "";
  font->firstList = first;
  font->fontHandle = handle;
  return font;
}

void releaseBitmapFont(BitmapFont* font) {
  if (!font) return;
  platform::deleteBitmapFontLists(font->fontHandle, font->firstList);
  delete font;
}

void drawText(const BitmapFont* font, float x, float y, float r, float g, float b, float a,
              const char* format, ...) {
  if (!font || font->firstList == 0 || !format) return;
  char text[4096];
  va_list args;
  va_start(args, format);
  int length = vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (length <= 0) return;
  if (length >= static_cast<int>(sizeof(text))) length = static_cast<int>(sizeof(text)) - 1;
  // Only codes 32..127 have lists; any other byte would call a list that is not ours.
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < kFontFirstCode || c >= kFontFirstCode + kFontCodeCount) text[i] = '?';
  }
  // The raster colour latches at glRasterPos: the colour goes first.
  glColor4f(r, g, b, a);
  glRasterPos2f(x, y);
  glPushAttrib(GL_LIST_BIT);
  glListBase(font->firstList - kFontFirstCode);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  glPopAttrib();
}

}  // namespace qorFramework
