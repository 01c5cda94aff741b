// CurveView: the editor's lower band (y 0 to 0.4): the music's waveform, the time ruler, the
// value grid and beat grid, the keys and curve of the shown controller, the dimmed keys of a
// reference controller, the selected segment, the zoom range, the selected keys and the play
// position, on one time axis in timeline units. The parts that change only with the data or the
// window (waveform, keys, curve, ruler) are compiled into one display list by
// rebuildDisplayList; draw() draws the rest around it every frame.
// Owns: the waveform buffer and the display list (freed by release, context current).
// Depends on: the controllers, bitmap_font.h, beat_grid.h, OpenGL.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/beat_grid.h"
#include "editor/bitmap_font.h"
#include "timeline/controller.h"

namespace qorFramework {

// One timeline unit of the waveform: two signed 16-bit values; the view draws `second`.
struct WaveformFrame {
  int16_t first;
  int16_t second;
};

class CurveView {
 public:
  // x of a time in seconds: (unitsPerSecond x t truncated - viewStart) / (viewEnd - viewStart),
  // negative before the window.
  float timeToX(float t) const;
  // 0.25 + 0.15 v: value 0 on the zero line, 1 at the top of the area.
  float valueToY(float v) const { return 0.25f + 0.15f * v; }

  // Recompiles the static part into a fresh display list (the old one deleted first). Samples
  // the shown controller with evaluateController, so its `value` changes.
  void rebuildDisplayList();
  // Draws the whole area in the overlay projection (pushed and popped here). Evaluates the shown
  // controller at playTime. Leaves blending off, colour white, line width and point size 1.
  void draw();
  // Deletes the display list (context current) and frees the waveform.
  void release();

  std::vector<WaveformFrame> waveform;  // one frame per unit over lengthUnits (may be empty: flat)
  uint32_t lengthUnits = 1;
  uint32_t unitsPerSecond = 1000;
  float playTime = 0.0f;  // seconds
  float rangeFrom = 0.0f, rangeTo = 0.0f;
  bool rangeActive = false;
  uint32_t viewStart = 0, viewEnd = 1;  // viewStart < viewEnd <= lengthUnits
  const BitmapFont* labelFont = nullptr;  // ruler labels; none without it
  Controller* controller = nullptr;
  Controller* referenceController = nullptr;
  std::vector<uint32_t> selectedKeys;
  GLuint displayList = 0;
  int selectedSegment = -1;
  BeatGrid beatGrid;  // drawn behind the curve; the editor's snapping uses it too
  bool showBeatGrid = true;

 private:
  void compileWaveform() const;
  void compileKeys() const;
  void compileCurve() const;
  void compileReferenceKeys() const;
  void compileRuler() const;
  void drawBackground() const;
  void drawValueGrid() const;
  void drawPlayPoint() const;
  void drawSelection() const;
  void drawPlayLine() const;
};

}  // namespace qorFramework
