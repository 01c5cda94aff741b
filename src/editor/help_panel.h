// The editor's help panel: every gesture and key of the editor in plain words, drawn over the
// middle of the overlay. Shown by F1 or the "help" row; F1 again or a click closes it.
// Depends on: bitmap_font.h.
#pragma once

#include <cstddef>

#include "editor/bitmap_font.h"

namespace qorFramework {

struct HelpLine {
  const char* keys;  // the gesture or key; empty for a heading
  const char* what;  // what it does (the heading's text when keys is empty)
};

// The panel's lines, in display order.
const HelpLine* helpLines(size_t* count);

// Draws the panel in the current overlay projection (x 0..1, y 0..1 upward). Leaves blending off.
void drawHelpPanel(const BitmapFont* font);

}  // namespace qorFramework
