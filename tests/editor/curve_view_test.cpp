// The curve view on a real context: the background band, the curve and keys of the shown and
// reference controllers, selected-key markers, the ruler's marks and labels, the waveform, the
// beat grid, and snapping to the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/curve_view.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::glInteger;
using testsupport::Rgba;

namespace {

using Frame = std::vector<Rgba>;

struct Colour {
  float r, g, b;
};
const Colour kCurve = {0.8f, 0.8f, 0.7f}, kStem = {0.45f, 0.45f, 0.4f}, kHandle = {0.2f, 0.2f, 0.7f},
             kDimStem = {0.15f, 0.15f, 0.1f}, kDimValue = {0.2f, 0.2f, 0.0f}, kMark = {0.5f, 0, 0},
             kWave = {0.2f, 0.1f, 0.8f};

bool near(Rgba p, Colour c, int tol = 2) {
  return std::abs(p.r - c.r * 255) <= tol && std::abs(p.g - c.g * 255) <= tol &&
         std::abs(p.b - c.b * 255) <= tol;
}
bool same(Rgba a, Rgba b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
bool white(Rgba p) { return p.r == 255 && p.g == 255 && p.b == 255; }
Rgba at(const Frame& f, int x, int y) { return f[size_t(y) * 1000 + x]; }
// Whether some pixel of the box (bounds included) has the colour.
bool has(const Frame& f, int x0, int x1, int y0, int y1, Colour c) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (near(at(f, x, y), c)) return true;
  return false;
}

// 1000 x 1000 pixels: 0.001 in overlay coordinates is one pixel; the area is rows 0 .. 400.
class CurveViewTest : public testsupport::GLTest {
 protected:
  CurveViewTest() : GLTest(1000, 1000) {}
  CurveView view;
  Controller shown, reference;
  BitmapFont* font = nullptr;

  void TearDown() override {
    view.release();
    releaseBitmapFont(font);
    GLTest::TearDown();
  }
  // A silent timeline of `length` units, 1000 a second, showing [start, end); no beat grid.
  void timeline(uint32_t length, uint32_t start, uint32_t end) {
    view.lengthUnits = length;
    view.waveform.assign(length, WaveformFrame{0, 0});
    view.viewStart = start, view.viewEnd = end;
    view.showBeatGrid = false;
  }
  Frame frame(float clear = 0) {
    glClearColor(clear, clear, clear, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    view.rebuildDisplayList();
    view.draw();
    return pixels();
  }
};

TEST(CurveViewMapping, TimesBeforeTheWindowGoNegativeAndValuesFillTheUpperBand) {
  CurveView view;
  view.lengthUnits = 20000;
  view.viewStart = 10000, view.viewEnd = 20000;
  EXPECT_FLOAT_EQ(view.timeToX(15), 0.5f);
  EXPECT_FLOAT_EQ(view.timeToX(20), 1.0f);
  EXPECT_FLOAT_EQ(view.timeToX(10.0004f), 0.0f);  // whole units
  EXPECT_FLOAT_EQ(view.timeToX(5), -0.5f);
  EXPECT_FLOAT_EQ(view.valueToY(0), 0.25f);
  EXPECT_FLOAT_EQ(view.valueToY(1), 0.4f);
}

TEST_F(CurveViewTest, BackgroundCoversTheAreaUpTo04AndDrawLeavesTheStateClean) {
  view.lengthUnits = 10000, view.viewEnd = 10000;  // no waveform, no controller
  view.showBeatGrid = false;
  glMatrixMode(GL_PROJECTION);
  glOrtho(-2, 2, -2, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  Frame f = frame(0.5f);
  int touchedAbove = 0;
  for (int y = 403; y < 1000; ++y)
    for (int x = 0; x < 1000; ++x) touchedAbove += !same(at(f, x, y), f.back());
  EXPECT_EQ(touchedAbove, 0);
  EXPECT_EQ(f.back().r, 128);
  // Half-transparent, from black at the bottom to (0.2, 0.1, 0.025) at the top.
  auto band = [](float y) {
    float k = y / 0.4f;
    return Colour{(0.2f * k + 0.502f) / 2, (0.1f * k + 0.502f) / 2, (0.025f * k + 0.502f) / 2};
  };
  EXPECT_TRUE(near(at(f, 525, 272), band(0.2725f), 3));
  EXPECT_TRUE(near(at(f, 525, 5), band(0.0055f), 3));

  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLfloat colour[4], projection[16], lineWidth, pointSize;
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_LINE_WIDTH, &lineWidth);
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_FLOAT_EQ(projection[0], 0.5f);
  EXPECT_EQ(lineWidth, 1.0f);
  EXPECT_EQ(pointSize, 1.0f);
  EXPECT_EQ(glInteger(GL_PROJECTION_STACK_DEPTH), 1);
  EXPECT_EQ(glInteger(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(CurveViewTest, CurveFollowsTheEvaluatedController) {
  timeline(10000, 0, 10000);
  view.controller = &shown;
  shown.value = 0.63f;  // no keys: a flat line at y = 0.3445
  Frame f = frame();
  for (int x : {100, 500, 900}) {
    EXPECT_TRUE(has(f, x, x, 343, 346, kCurve)) << x;
    EXPECT_FALSE(has(f, x, x, 300, 340, kCurve) || has(f, x, x, 349, 398, kCurve)) << x;
  }
  EXPECT_FALSE(has(f, 0, 999, 390, 390, kStem));  // no key marks
  EXPECT_EQ(shown.value, 0.63f);

  addKey(shown, 0, 0);
  addKey(shown, 10, 1);
  shown.segments[0].interpolation = Smoothstep;
  view.playTime = 2.5f;
  f = frame();
  for (int x : {100, 300, 400, 500, 600, 750, 900}) {  // the play line is at 250
    Controller probe = shown;
    evaluateController(probe, (x + 0.5f) / 100);
    float expected = view.valueToY(probe.value) * 1000, sum = 0;
    int rows = 0;
    for (int y = 251; y < 400; ++y)
      if (near(at(f, x, y), kCurve)) sum += y + 0.5f, ++rows;
    ASSERT_GT(rows, 0) << x;
    EXPECT_NEAR(sum / rows, expected, 1.5f) << x;
  }
  // Drawing leaves the controller at the play time and marks that point in white.
  EXPECT_NEAR(shown.value, 0.15625f, 1e-5f);
  EXPECT_TRUE(has(f, 248, 252, 271, 276, {1, 1, 1}));
}

TEST_F(CurveViewTest, KeysHaveStemsAndHandlesWhileReferenceKeysAreDimAndBare) {
  timeline(10000, 0, 10000);
  addKey(shown, 2, 0.5f);  // x = 0.2
  addKey(shown, 6, 0.8f);
  addKey(reference, 4, 0.7f);  // x = 0.4
  addKey(reference, 8, 0.2f);
  view.controller = &shown;
  view.referenceController = &reference;
  Frame f = frame();
  EXPECT_TRUE(has(f, 196, 198, 225, 235, kHandle) && has(f, 202, 204, 225, 235, kHandle));
  EXPECT_TRUE(has(f, 198, 201, 388, 392, kStem));
  EXPECT_TRUE(has(f, 198, 201, 285, 295, kCurve));  // up to the key's value
  EXPECT_TRUE(has(f, 198, 201, 95, 105, kHandle));
  EXPECT_TRUE(has(f, 398, 401, 388, 392, kDimStem));
  EXPECT_TRUE(has(f, 398, 401, 295, 305, kDimValue));
  EXPECT_TRUE(has(f, 398, 401, 95, 105, kDimStem));
  for (int y = 221; y <= 239; ++y)  // no handle: the band is bare background
    for (int x = 394; x <= 406; ++x) ASSERT_TRUE(same(at(f, x, y), at(f, 420, y))) << x << ", " << y;

  view.referenceController = &shown;  // the shown controller is never dimmed as its own reference
  f = frame();
  EXPECT_TRUE(has(f, 198, 201, 388, 392, kStem));
  EXPECT_FALSE(has(f, 190, 410, 380, 395, kDimStem));
}

TEST_F(CurveViewTest, SelectedKeysAreMarkedOnlyWithinTheWindow) {
  timeline(10000, 2000, 6000);
  for (float t : {1.9921875f, 2.0f, 4.0f, 6.0f, 6.0078125f}) addKey(shown, t, 0.5f);  // x -0.002, 0, .5, 1, 1.002
  view.controller = &shown;
  Frame plain = frame();
  view.selectedKeys = {1, 3};
  Frame edges = frame();
  view.selectedKeys = {0, 4};
  Frame outside = frame();
  for (int x : {3, 996}) {
    EXPECT_GT(at(edges, x, 230).r, at(plain, x, 230).r + 40) << x;  // white, half transparent
    EXPECT_GT(at(edges, x, 241).r, at(plain, x, 241).r + 40) << x;
    EXPECT_TRUE(same(at(edges, x, 215), at(plain, x, 215)) && same(at(edges, x, 245), at(plain, x, 245)));
  }
  for (int y = 210; y <= 250; ++y)
    for (int x : {0, 1, 2, 3, 4, 6, 8, 991, 993, 995, 996, 997, 998, 999})
      ASSERT_TRUE(same(at(outside, x, y), at(plain, x, y))) << x << ", " << y;
}

TEST_F(CurveViewTest, RulerSkipsTheWindowStartAndLabelsFiveSecondsAndMinutes) {
  font = createBitmapFont("labels", 12);
  ASSERT_NE(font, nullptr);
  timeline(150000, 0, 150000);
  view.labelFont = font;
  view.playTime = 75;  // the play line away from the start
  glViewport(100, 0, 800, 1000);  // x = 0 lands inside the window, at column 100
  Frame ruler = frame();
  auto column = [](float x) { return int(100 + 800 * x); };
  EXPECT_FALSE(has(ruler, 95, 103, 181, 189, kMark));  // 0 s: on the window's start
  EXPECT_TRUE(has(ruler, 104, 106, 182, 188, kMark));  // 1 s
  EXPECT_FALSE(has(ruler, 104, 106, 192, 194, kMark));
  EXPECT_TRUE(has(ruler, column(5 / 150.f) - 1, column(5 / 150.f) + 1, 192, 194, kMark));
  EXPECT_TRUE(has(ruler, 419, 420, 203, 207, kMark));  // 60 s, the tallest

  // The same labels drawn by hand: 0:5 .. 0:55, 1m, 1:5 .. 1:55, 2m, 2:5 .. 2:30.
  glClear(GL_COLOR_BUFFER_BIT);
  testsupport::loadOverlayProjection();
  for (int s = 5; s <= 150; s += 5) {
    float x = view.timeToX(float(s)) - 0.008f;
    if (s % 60 == 0)
      drawText(font, x, 0.215f, 1, 1, 1, 1, "%sm", s == 60 ? "1" : "2");
    else
      drawText(font, x, 0.2f, 1, 1, 1, 1, "%s", (std::to_string(s / 60) + ":" + std::to_string(s % 60)).c_str());
  }
  Frame labels = pixels();
  int mismatched = 0, whites = 0;
  for (size_t i = 0; i < labels.size(); ++i) mismatched += white(ruler[i]) != white(labels[i]), whites += white(labels[i]);
  EXPECT_GT(whites, 300);
  EXPECT_EQ(mismatched, 0);

  view.labelFont = nullptr;  // ticks only
  Frame bare = frame();
  int anyWhite = 0;
  for (Rgba p : bare) anyWhite += white(p);
  EXPECT_EQ(anyWhite, 0);
  EXPECT_TRUE(has(bare, 104, 106, 182, 188, kMark));
}

TEST_F(CurveViewTest, NarrowWindowDrawsEveryWaveformFrame) {
  timeline(120000, 0, 3999);
  view.waveform[1000].second = 32767;  // one loud unit at x = 0.25: down to 0 and up to 0.09
  Frame f = frame();
  int lower = 0, upper = 0;
  for (int y = 5; y <= 40; ++y) lower += has(f, 249, 251, y, y, kWave);
  for (int y = 95; y <= 130; ++y) upper += has(f, 249, 251, y, y, kWave);
  EXPECT_GE(lower, 30);
  EXPECT_GE(upper, 30);
  EXPECT_FALSE(has(f, 590, 610, 5, 40, kWave));
}

// Columns where the beat grid changes the curve area.
std::vector<int> gridColumns(const Frame& with, const Frame& without) {
  std::vector<int> columns;
  for (int x = 0; x < 1000; ++x)
    for (int y = 252; y <= 398; ++y)
      if (!same(at(with, x, y), at(without, x, y))) {
        columns.push_back(x);
        break;
      }
  return columns;
}

TEST_F(CurveViewTest, BeatGridLinesFillTheCurveAreaAndThinOutOnLongWindows) {
  timeline(10000, 0, 10000);  // 120 bpm: a beat every 0.5 s, 50 px
  Frame without = frame();
  view.showBeatGrid = true;
  std::vector<int> columns = gridColumns(frame(), without);
  auto lit = [&](int x0, int x1) {
    for (int x : columns)
      if (x >= x0 && x <= x1) return true;
    return false;
  };
  for (int k = 1; k < 20; ++k) {
    EXPECT_TRUE(lit(50 * k - 1, 50 * k + 1)) << "beat " << k;
    EXPECT_FALSE(lit(50 * k - 25, 50 * k - 25)) << "between beats " << k - 1 << " and " << k;
  }

  timeline(600000, 0, 600000);  // bars every 3.3 px
  without = frame();
  view.showBeatGrid = true;
  columns = gridColumns(frame(), without);
  std::vector<int> starts;
  for (size_t i = 0; i < columns.size(); ++i)
    if (i == 0 || columns[i] != columns[i - 1] + 1) starts.push_back(columns[i]);
  EXPECT_GE(starts.size(), 10u);
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_GE(starts[i] - starts[i - 1], 4) << starts[i];
}

TEST(BeatGridSnap, RoundsToTheNearestGridLineAndNeverBelowZero) {
  BeatGrid grid;  // 120 bpm: quarter beats every 0.125 s, bars every 2 s
  EXPECT_FLOAT_EQ(snapToGrid(grid, 0.06f, 0.25), 0.0f);
  EXPECT_FLOAT_EQ(snapToGrid(grid, 0.07f, 0.25), 0.125f);
  EXPECT_FLOAT_EQ(snapToGrid(grid, 1.3f, 0.25), 1.25f);
  EXPECT_FLOAT_EQ(snapToGrid(grid, 2.9f, 4), 2.0f);
  EXPECT_FLOAT_EQ(snapToGrid(grid, 3.1f, 4), 4.0f);
  EXPECT_FLOAT_EQ(snapToGrid(grid, -0.3f, 0.25), 0.0f);
  grid.offsetSeconds = 0.1;  // lines at -0.025, 0.1, 0.225, ...
  EXPECT_NEAR(snapToGrid(grid, 0.2f, 0.25), 0.225f, 1e-6f);
  EXPECT_GE(snapToGrid(grid, 0.01f, 0.25), 0.0f);
}

}  // namespace
