#include "editor/list_panel.h"

namespace qorFramework {

static const float kRow = 0.02f;

void ListPanel::addItem(const char* name, int id) { items.push_back({name ? name : "", id}); }

static void quad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glVertex2f(x0, y1);
  glVertex2f(x1, y1);
  glVertex2f(x1, y0);
  glVertex2f(x0, y0);
  glEnd();
}

// A highlight bar over row k: `left` colour at the left corners fading to `right` at the right.
static void rowBar(float x, float y, float width, int k, const float left[4], const float right[4]) {
  float top = y - k * kRow - 0.005f;
  float bottom = y - (k + 1) * kRow - 0.005f;
  glBegin(GL_QUADS);
  glColor4fv(left);
  glVertex2f(x - 0.005f, bottom);
  glVertex2f(x - 0.005f, top);
  glColor4fv(right);
  glVertex2f(x + width - 0.001f, top);
  glVertex2f(x + width - 0.001f, bottom);
  glEnd();
}

void ListPanel::draw(const BitmapFont* font, const char* title, int selectedId, float px, float py,
                     float newWidth) {
  x = px;
  y = py;
  width = newWidth;
  int n = open ? static_cast<int>(items.size()) : 0;
  float bottom = y - 0.01f - n * kRow;

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
  quad(x - 0.005f, bottom, x + width, y + 0.025f);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
  quad(x - 0.005f, bottom, x + width, y + 0.025f);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

  drawText(font, x, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", title ? title : "");
  for (int k = 0; k < n; ++k)
    drawText(font, x + 0.01f, y - (k + 1) * kRow, 1.0f, 1.0f, 1.0f, 1.0f, "%s", items[k].name.c_str());

  static const float selectedLeft[4] = {1.0f, 0.1f, 0.1f, 0.4f}, selectedRight[4] = {1.0f, 0.1f, 0.1f, 0.05f};
  static const float hoverLeft[4] = {0.5f, 0.5f, 0.5f, 0.6f}, hoverRight[4] = {0.5f, 0.5f, 0.5f, 0.05f};
  static const float markLeft[4] = {0.5f, 0.5f, 0.1f, 0.6f}, markRight[4] = {0.5f, 0.5f, 0.1f, 0.05f};
  for (int k = 0; k < n; ++k) {
    int id = items[k].id;
    if (id == -1) continue;
    if (id == selectedId) rowBar(x, y, width, k, selectedLeft, selectedRight);
    if (id == hoverId) rowBar(x, y, width, k, hoverLeft, hoverRight);
    if (id == markId) rowBar(x, y, width, k, markLeft, markRight);
  }
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

int ListPanel::hitTest(float mx, float my) const {
  if (!open) return -1;
  float px = mx - x;
  for (size_t k = 0; k < items.size(); ++k) {
    float bandBottom = y - (k + 1) * kRow - 0.005f;
    float bandTop = y - k * kRow + 0.005f;
    if (px >= 0.0f && bandBottom <= my && my <= bandTop) return items[k].id;
  }
  return -1;
}

void ListPanel::updateHover(float mx, float my) {
  float px = mx - x, py = my - y;
  if (!open) {
    open = 0.0f <= px && px <= width && -0.01f <= py && py <= 0.025f;
    return;
  }
  hoverId = hitTest(mx, my);
  int n = static_cast<int>(items.size());
  open = 0.0f <= px && px <= width && py > -0.005f - n * kRow;
}

}  // namespace qorFramework
