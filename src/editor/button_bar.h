// ButtonBar: a row or block of textured buttons placed relative to an origin that every draw
// sets, and the hit test that turns a point into a button id. Coordinates are overlay
// coordinates (x 0..1 left to right, y 0..1 bottom to top).
// Owns: nothing (the textures belong to the texture manager that loaded them).
// Depends on: gfx/texture.h.
#pragma once

#include <vector>

#include "gfx/texture.h"

namespace qorFramework {

struct ButtonBarEntry {
  float x, y;           // relative to the bar's origin
  GL_Texture* texture;  // may be null (the image failed to load): drawn as an outline
  int id;
};

class ButtonBar {
 public:
  void add(float x, float y, GL_Texture* texture, int id);
  // Stores the origin and draws every entry: the quad ex - 0.005 .. ex + 0.03, ey - 0.005 ..
  // ey + 0.06, texture row 0 at the top, blended. Pushes and pops both matrices (loading the
  // overlay projection); leaves blending off, texture unit GL_TEXTURE0 active with no texture
  // bound.
  void draw(float originX, float originY);
  // Id of the first entry whose hit rectangle (ex .. ex + 0.025, ey .. ey + 0.05, bounds
  // included) holds the point, relative to the origin of the last draw; -1 for none.
  int hitTest(float mx, float my) const;

  std::vector<ButtonBarEntry> entries;
  float originX = 0.0f, originY = 0.0f;
};

}  // namespace qorFramework
