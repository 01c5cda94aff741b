#include "editor/curve_view.h"

#include "editor/overlay_projection.h"

#include <cmath>

namespace qorFramework {

// A float product truncated to whole units, kept in a range where the conversion is defined.
static int64_t truncateUnits(float units) {
  if (!std::isfinite(units)) return 0;
  if (units > 4.0e18f) return INT64_C(4000000000000000000);
  if (units < -4.0e18f) return -INT64_C(4000000000000000000);
  return static_cast<int64_t>(units);
}

float CurveView::timeToX(float t) const {
  int64_t u = truncateUnits(static_cast<float>(unitsPerSecond) * t);
  int64_t window = static_cast<int64_t>(viewEnd) - static_cast<int64_t>(viewStart);
  return static_cast<float>(u - static_cast<int64_t>(viewStart)) / static_cast<float>(window);
}

static void line(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINE_STRIP);
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
  glEnd();
}

// A quad from (x0, y0) to (x1, y1), the bottom corners in one colour and the top in another.
static void gradientQuad(float x0, float y0, float x1, float y1, const float bottom[4], const float top[4]) {
  glBegin(GL_QUADS);
  glColor4fv(bottom);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glColor4fv(top);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
}

// ---- the display list ----------------------------------------------------------------------

void CurveView::compileWaveform() const {
  uint32_t step = (viewEnd - viewStart) / 2000;
  if (step < 1) step = 1;
  float window = static_cast<float>(viewEnd - viewStart);
  glColor3f(0.2f, 0.1f, 0.8f);
  for (float base : {0.09f, 0.18f}) {
    glBegin(GL_LINE_STRIP);
    for (uint32_t i = viewStart; i < viewEnd; i += step) {
      int16_t s = i < waveform.size() ? waveform[i].second : 0;
      float n = (static_cast<float>(s) + 32768.0f) / 65536.0f;
      glVertex2f(static_cast<float>(i - viewStart) / window, base - 0.09f * n);
      if (viewEnd - i <= step) break;  // the next step would wrap past the top of u32
    }
    glEnd();
  }
}

void CurveView::compileKeys() const {
  for (const ControllerKey& key : controller->keys) {
    float x = timeToX(key.time);
    glColor3f(0.45f, 0.45f, 0.4f);
    line(x, 0.24f, x, 0.4f);
    glLineWidth(2.0f);
    glColor3f(0.8f, 0.8f, 0.7f);
    line(x, 0.25f, x, valueToY(key.value));
    glLineWidth(1.0f);
    glColor3f(0.2f, 0.2f, 0.7f);
    glBegin(GL_QUADS);
    glVertex2f(x - 0.005f, 0.22f);
    glVertex2f(x + 0.005f, 0.22f);
    glVertex2f(x + 0.005f, 0.24f);
    glVertex2f(x - 0.005f, 0.24f);
    glEnd();
    line(x, 0.22f, x, 0.0f);
  }
}

void CurveView::compileCurve() const {
  float window = static_cast<float>(viewEnd - viewStart);
  glColor3f(0.8f, 0.8f, 0.7f);
  glBegin(GL_LINE_STRIP);
  for (float u = 0.0f; u <= 1.0f; u += 0.001f) {
    float t = (static_cast<float>(viewStart) + u * window) / static_cast<float>(unitsPerSecond);
    evaluateController(*controller, t);
    glVertex2f(u, valueToY(controller->value));
  }
  glEnd();
}

void CurveView::compileReferenceKeys() const {
  for (const ControllerKey& key : referenceController->keys) {
    float x = timeToX(key.time);
    glColor3f(0.15f, 0.15f, 0.1f);
    line(x, 0.24f, x, 0.4f);
    glLineWidth(2.0f);
    glColor3f(0.2f, 0.2f, 0.0f);
    line(x, 0.25f, x, valueToY(key.value));
    glLineWidth(1.0f);
    glColor3f(0.15f, 0.15f, 0.1f);
    line(x, 0.22f, x, 0.0f);
  }
}

void CurveView::compileRuler() const {
  static const float bandBottom[4] = {0.5f, 0.5f, 0.5f, 0.4f}, bandTop[4] = {0.0f, 0.0f, 0.0f, 0.2f};
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gradientQuad(0.0f, 0.18f, 1.0f, 0.2f, bandBottom, bandTop);
  glDisable(GL_BLEND);

  double lengthSeconds = static_cast<double>(lengthUnits) / unitsPerSecond;
  glColor3f(0.5f, 0.0f, 0.0f);
  for (float s = 0.0f; s <= lengthSeconds; s += 1.0f) {
    float x = timeToX(s);
    if (0.0f < x && x < 1.0f) line(x, 0.18f, x, 0.19f);
  }
  for (float s = 0.0f; s <= lengthSeconds; s += 60.0f) {
    float x = timeToX(s);
    if (!(0.0f < x && x < 1.0f)) continue;
    drawText(labelFont, x - 0.008f, 0.215f, 1.0f, 1.0f, 1.0f, 1.0f, "%dm", static_cast<int>(s) / 60);
    glColor3f(0.5f, 0.0f, 0.0f);  // the label left its own colour
    line(x, 0.18f, x, 0.21f);
  }
  for (float s = 0.0f; s <= lengthSeconds; s += 5.0f) {
    float x = timeToX(s);
    int seconds = static_cast<int>(s);
    // Labels go in whether or not the mark is in the window: off-window raster positions drop them.
    if (seconds % 60 != 0) {
      drawText(labelFont, x - 0.008f, 0.2f, 1.0f, 1.0f, 1.0f, 1.0f, "%d:%d", seconds / 60, seconds % 60);
      glColor3f(0.5f, 0.0f, 0.0f);
    }
    if (0.0f < x && x < 1.0f) line(x, 0.18f, x, 0.195f);
  }
}

void CurveView::rebuildDisplayList() {
  if (displayList != 0 && glIsList(displayList)) glDeleteLists(displayList, 1);
  displayList = glGenLists(1);
  if (displayList == 0) return;
  glNewList(displayList, GL_COMPILE);
  compileWaveform();
  if (controller) compileKeys();
  if (controller) compileCurve();
  if (referenceController && referenceController != controller) compileReferenceKeys();
  compileRuler();
  glEndList();
}

// ---- drawn every frame ---------------------------------------------------------------------

void CurveView::drawBackground() const {
  static const float bottom[4] = {0.0f, 0.0f, 0.0f, 0.5f}, top[4] = {0.2f, 0.1f, 0.025f, 0.5f};
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gradientQuad(0.0f, 0.0f, 1.0f, 0.4f, bottom, top);
  glDisable(GL_BLEND);
}

void CurveView::drawValueGrid() const {
  glColor3f(0.25f, 0.25f, 0.2f);
  line(0.0f, 0.25f, 1.0f, 0.25f);
  // The float accumulation stops after v = 1.0 (ten lines, brightening upward).
  for (float v = 0.1f; v <= 1.1f; v += 0.1f) {
    glColor3f(0.1f * v + 0.05f, 0.1f * v + 0.05f, 0.1f * v + 0.025f);
    line(0.0f, valueToY(v), 1.0f, valueToY(v));
  }
}

void CurveView::drawPlayPoint() const {
  evaluateController(*controller, playTime);
  glPointSize(3.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_POINTS);
  glVertex2f(timeToX(playTime), valueToY(controller->value));
  glEnd();
  glPointSize(1.0f);
}

void CurveView::drawSelection() const {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (selectedSegment != -1 && controller) {
    static const float bottom[4] = {0.4f, 0.3f, 0.1f, 0.6f}, top[4] = {0.2f, 0.1f, 0.025f, 0.2f};
    uint32_t k = static_cast<uint32_t>(selectedSegment);
    float x0 = timeToX(keyTime(*controller, k)), x1 = timeToX(nextKeyTime(*controller, k));
    gradientQuad(x0, 0.25f, x1, 0.4f, bottom, top);
  }
  if (rangeActive) {
    static const float top[4] = {0.1f, 0.3f, 0.4f, 0.6f}, bottom[4] = {0.025f, 0.1f, 0.2f, 0.4f};
    gradientQuad(timeToX(rangeFrom), 0.0f, timeToX(rangeTo), 0.18f, bottom, top);
  }
  if (controller) {
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    for (uint32_t index : selectedKeys) {
      if (index >= controller->keys.size()) continue;
      float x = timeToX(controller->keys[index].time);
      if (!(0.0f <= x && x <= 1.0f)) continue;
      glBegin(GL_QUADS);
      glVertex2f(x - 0.006f, 0.218f);
      glVertex2f(x + 0.006f, 0.218f);
      glVertex2f(x + 0.006f, 0.242f);
      glVertex2f(x - 0.006f, 0.242f);
      glEnd();
    }
  }
  glDisable(GL_BLEND);
}

void CurveView::drawPlayLine() const {
  float units = static_cast<float>(unitsPerSecond) * playTime;
  int64_t playUnits = truncateUnits(units);
  if (playUnits < 0) playUnits = 0;
  if (playUnits > lengthUnits) playUnits = lengthUnits;
  float xp = static_cast<float>(playUnits - static_cast<int64_t>(viewStart)) /
             static_cast<float>(viewEnd - viewStart);
  glColor3f(0.2f, 0.4f, 0.7f);
  line(xp, 0.4f, xp, 0.0f);
}

void CurveView::draw() {
  beginOverlay();

  drawBackground();
  if (showBeatGrid) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    drawBeatGrid(beatGrid, static_cast<double>(viewStart) / unitsPerSecond,
                 static_cast<double>(viewEnd) / unitsPerSecond, 0.25f, 0.4f, viewport[2]);
  }
  drawValueGrid();
  if (controller) drawPlayPoint();
  if (displayList != 0) glCallList(displayList);
  drawSelection();
  drawPlayLine();

  glColor3f(1.0f, 1.0f, 1.0f);
  endOverlay();
}

void CurveView::release() {
  if (displayList != 0) glDeleteLists(displayList, 1);
  displayList = 0;
  waveform.clear();
  waveform.shrink_to_fit();
}

}  // namespace qorFramework
