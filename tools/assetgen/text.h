// Text for the generated pictures: FreeType renders one line of a DejaVu font (from the
// fonts-dejavu-core package) into a coverage mask. Each Font owns its own FreeType library,
// so fonts in different threads never share state.
#pragma once

#include <string>

#include "image.h"

namespace assetgen {

class Font {
 public:
  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // name: a file of /usr/share/fonts/truetype/dejavu, e.g. "DejaVuSans-Bold.ttf".
  bool load(const std::string& name);
  // One line of UTF-8 text; tracking adds pixels after every letter. The mask is cropped to
  // the ink and padded by pad pixels on every side (room for glows and shadows).
  Mask render(const std::string& text, int pixelSize, float tracking = 0, int pad = 0) const;

 private:
  void* library = nullptr;  // FT_Library
  void* face = nullptr;     // FT_Face
};

// Crops a mask to its non-zero pixels plus pad pixels of empty border.
Mask cropToInk(const Mask& m, int pad);

}  // namespace assetgen
