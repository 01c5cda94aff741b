// ListPanel: a titled list that opens while the pointer rests on its title and stays open while
// the pointer is over it; its rows are picked by id. Rows are 0.02 high, the first just below
// the title. Coordinates are overlay coordinates (x 0..1 left to right, y 0..1 bottom to top).
// Owns: copies of the row names. Depends on: bitmap_font.h.
#pragma once

#include <string>
#include <vector>

#include "editor/bitmap_font.h"

namespace qorFramework {

struct ListPanelItem {
  std::string name;
  int id;  // -1: a row that can never be picked (a separator)
};

class ListPanel {
 public:
  void addItem(const char* name, int id);
  // Stores the position and width, then draws the background, its outline, the title at
  // (x, y), the rows when open, and the highlight bars over them: red for selectedId, grey for
  // hoverId, yellow for markId, stacked in that order. Draws in the current matrices (the
  // caller loads the overlay projection); leaves blending off and the polygon mode GL_FILL.
  void draw(const BitmapFont* font, const char* title, int selectedId, float x, float y, float width);
  // Id of the row under the point when open (no right-hand limit; overlapping bands go to the
  // upper row); -1 when closed or for none.
  int hitTest(float mx, float my) const;
  // Opens a closed panel when the point is in the title's open zone; for an open panel sets
  // hoverId and closes it once the point leaves its width or goes below its rows.
  void updateHover(float mx, float my);

  std::vector<ListPanelItem> items;
  float x = 0.0f, y = 0.0f, width = 0.0f;  // of the last draw
  bool open = false;
  int hoverId = 0;  // a fresh panel has 0 here; owners set -1 before use
  int markId = 0;
};

}  // namespace qorFramework
