#include "editor/button_bar.h"

#include "editor/overlay_projection.h"

namespace qorFramework {

void ButtonBar::add(float x, float y, GL_Texture* texture, int id) { entries.push_back({x, y, texture, id}); }

// An entry without a picture: its drawn rectangle outlined, so the button keeps its place.
static void drawMissingButton(const ButtonBarEntry& e) {
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.7f, 0.7f, 0.7f, 1.0f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(e.x - 0.005f, e.y - 0.005f);
  glVertex2f(e.x + 0.03f, e.y - 0.005f);
  glVertex2f(e.x + 0.03f, e.y + 0.06f);
  glVertex2f(e.x - 0.005f, e.y + 0.06f);
  glEnd();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void ButtonBar::draw(float ox, float oy) {
  originX = ox;
  originY = oy;
  beginOverlay();

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glTranslatef(ox, oy, 0.0f);
  for (const ButtonBarEntry& e : entries) {
    if (!e.texture) {
      drawMissingButton(e);
      continue;
    }
    e.texture->bind(GL_TEXTURE0);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(e.x - 0.005f, e.y - 0.005f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(e.x + 0.03f, e.y - 0.005f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(e.x + 0.03f, e.y + 0.06f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(e.x - 0.005f, e.y + 0.06f);
    glEnd();
    e.texture->unbind();
  }
  // A texture's bind enables GL_TEXTURE_2D on the active unit and unbind leaves it on: the
  // overlay's later untextured drawing needs it off.
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  endOverlay();
}

int ButtonBar::hitTest(float mx, float my) const {
  float px = mx - originX, py = my - originY;
  for (const ButtonBarEntry& e : entries) {
    if (e.x <= px && px <= e.x + 0.025f && e.y <= py && py <= e.y + 0.05f) return e.id;
  }
  return -1;
}

}  // namespace qorFramework
