// The editor's widgets on a real context: button images and hit rectangles, list panels that
// open on their title and highlight their rows, and bitmap text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "editor/button_bar.h"
#include "editor/list_panel.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::glInteger;
using testsupport::Rgba;

namespace {

bool near(Rgba p, float r, float g, float b, int tol = 3) {
  return std::abs(p.r - r * 255) <= tol && std::abs(p.g - g * 255) <= tol &&
         std::abs(p.b - b * 255) <= tol;
}
bool same(Rgba a, Rgba b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
using Point = std::pair<float, float>;
float over(float dst, float src, float alpha) { return src * alpha + dst * (1 - alpha); }

const float kGrey = 0.4f;                 // the clear colour
const float kPanel = kGrey * 0.35f;       // grey under the panel's 65 % black background

// 1000 x 1000 pixels: 0.001 in overlay coordinates is one pixel.
class WidgetTest : public testsupport::GLTest {
 protected:
  WidgetTest() : GLTest(1000, 1000) {}
  BitmapFont* font = nullptr;
  GL_MemTexture texture;

  void SetUp() override {
    GLTest::SetUp();
    font = createBitmapFont("test", 16);
    ASSERT_NE(font, nullptr);
  }
  void TearDown() override {
    releaseBitmapFont(font);
    texture.release();
    GLTest::TearDown();
  }
  // Clears to grey and loads the overlay projection.
  void overlay() {
    glClearColor(kGrey, kGrey, kGrey, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    testsupport::loadOverlayProjection();
  }
  // Pixels of the box (bounds included) that differ from the clear colour / are pure white.
  int count(int x0, int x1, int y0, int y1, bool whiteOnly = false) const {
    std::vector<Rgba> box(size_t(x1 - x0 + 1) * (y1 - y0 + 1));
    glReadPixels(x0, y0, x1 - x0 + 1, y1 - y0 + 1, GL_RGBA, GL_UNSIGNED_BYTE, box.data());
    int n = 0;
    for (Rgba p : box)
      n += whiteOnly ? (p.r == 255 && p.g == 255 && p.b == 255) : !near(p, kGrey, kGrey, kGrey, 1);
    return n;
  }
};

TEST_F(WidgetTest, ButtonImageFillsItsDrawnQuadWithRowZeroAtTheTop) {
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 0, 255, 128};  // opaque red row 0, half-blue row 1
  texture.create(rgba, 1, 2, GL_RGBA, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  ButtonBar bar;
  bar.add(0.1f, 0.1f, &texture, 7);
  overlay();
  glMatrixMode(GL_PROJECTION);  // the bar uses its own projection whatever the caller has
  glLoadIdentity();
  glOrtho(-3, 5, -2, 9, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(0.3f, 0.1f, 0);
  bar.draw(0.2f, 0.3f);
  // Quad 0.295 .. 0.33 x 0.395 .. 0.46, margins included.
  for (int x : {297, 312, 327}) EXPECT_TRUE(near(pixel(x, 452), 1, 0, 0)) << x;
  EXPECT_TRUE(near(pixel(312, 400), over(kGrey, 0, 0.5f), over(kGrey, 0, 0.5f), over(kGrey, 1, 0.5f)));
  EXPECT_EQ(count(285, 292, 380, 470) + count(333, 340, 380, 470), 0);
  EXPECT_EQ(count(295, 330, 385, 392) + count(295, 330, 463, 470), 0);

  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(glInteger(GL_PROJECTION_STACK_DEPTH), 1);
  EXPECT_EQ(glInteger(GL_MODELVIEW_STACK_DEPTH), 1);
  GLfloat projection[16], modelView[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
  EXPECT_FLOAT_EQ(projection[0], 0.25f);
  EXPECT_FLOAT_EQ(modelView[12], 0.3f);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(WidgetTest, ButtonHitsIncludeTheRectangleEdgesButNotTheDrawnMargins) {
  ButtonBar bar;
  bar.add(0.5f, 0.125f, nullptr, 3);
  bar.add(0.5f, 0.125f, nullptr, 4);  // hidden under the first
  bar.add(0.625f, 0.125f, nullptr, 5);
  bar.draw(0, 0);
  const float right = 0.5f + 0.025f, top = 0.125f + 0.05f;
  EXPECT_EQ(bar.hitTest(0.5f, 0.125f), 3);
  EXPECT_EQ(bar.hitTest(right, top), 3);
  EXPECT_EQ(bar.hitTest(0.51f, 0.15f), 3);
  EXPECT_EQ(bar.hitTest(0.64f, 0.15f), 5);
  // Inside the image: 0.005 left, right and below the rectangle, 0.01 above it.
  for (auto [mx, my] : std::initializer_list<Point>{{0.497f, 0.15f}, {0.528f, 0.15f}, {0.51f, 0.122f}, {0.51f, 0.178f}})
    EXPECT_EQ(bar.hitTest(mx, my), -1) << mx << ", " << my;
  EXPECT_EQ(bar.hitTest(0.6f, 0.15f), -1);
  bar.draw(0.125f, 0.5f);  // answers where it was drawn last
  EXPECT_EQ(bar.hitTest(0.625f, 0.625f), 3);
  EXPECT_EQ(bar.hitTest(0.51f, 0.15f), -1);
  EXPECT_EQ(ButtonBar().hitTest(0.5f, 0.5f), -1);
}

TEST_F(WidgetTest, ButtonWithoutAnImageDrawsAnOutlinedBox) {
  ButtonBar bar;
  bar.add(0.5f, 0.5f, nullptr, 9);
  overlay();
  bar.draw(0, 0);
  EXPECT_GT(count(493, 502, 515, 535), 0);  // left side
  EXPECT_GT(count(523, 532, 515, 535), 0);  // right side
  EXPECT_GT(count(505, 520, 493, 502), 0);  // bottom
  EXPECT_GT(count(505, 520, 548, 562), 0);  // top
  EXPECT_EQ(count(505, 520, 505, 545), 0);  // the interior is untouched
  EXPECT_EQ(count(470, 488, 470, 590), 0);
  EXPECT_EQ(bar.hitTest(0.51f, 0.52f), 9);
  EXPECT_EQ(glInteger(GL_POLYGON_MODE), GL_FILL);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// Rows at 0.5: hit bands 0.475..0.505, 0.455..0.485, 0.435..0.465 (separator), 0.415..0.445.
ListPanel fourRows() {
  ListPanel panel;
  panel.addItem("alpha", 1);
  panel.addItem("beta", 2);
  panel.addItem("----", -1);
  panel.addItem("gamma", 3);
  panel.hoverId = panel.markId = -1;
  return panel;
}

TEST_F(WidgetTest, PanelOpensOnItsTitleAndClosesPastItsWidthOrBelowItsRows) {
  ListPanel panel = fourRows();
  overlay();
  panel.draw(font, "WORKSPACE", -1, 0.5f, 0.5f, 0.25f);
  EXPECT_EQ(panel.hitTest(0.6f, 0.47f), -1);
  for (auto [mx, my] : std::initializer_list<Point>{{0.49f, 0.51f}, {0.76f, 0.51f}, {0.6f, 0.53f}, {0.6f, 0.47f}}) {
    panel.updateHover(mx, my);
    EXPECT_FALSE(panel.open) << mx << ", " << my;
  }
  panel.updateHover(0.6f, 0.51f);
  EXPECT_TRUE(panel.open);
  panel.updateHover(0.74f, 0.47f);
  EXPECT_EQ(panel.hoverId, 2);
  EXPECT_EQ(panel.hitTest(0.95f, 0.47f), 2);  // no limit on the right
  EXPECT_EQ(panel.hitTest(0.49f, 0.47f), -1);
  EXPECT_EQ(panel.hitTest(0.6f, 0.48f), 1);   // the bands overlap: the upper row wins
  EXPECT_EQ(panel.hitTest(0.6f, 0.472f), 2);
  panel.updateHover(0.6f, 0.45f);
  EXPECT_EQ(panel.hoverId, -1);  // the separator
  panel.updateHover(0.6f, 0.43f);
  EXPECT_EQ(panel.hoverId, 3);
  for (float my : {0.51f, 0.9f}) {  // up over the title and above it
    panel.updateHover(0.6f, my);
    EXPECT_TRUE(panel.open) << my;
    EXPECT_EQ(panel.hoverId, -1);
  }
  panel.updateHover(0.76f, 0.49f);  // past the width
  EXPECT_FALSE(panel.open);
  EXPECT_EQ(panel.hitTest(0.76f, 0.49f), -1);
  panel.updateHover(0.6f, 0.51f);
  panel.updateHover(0.6f, 0.41f);  // below the last row
  EXPECT_FALSE(panel.open);
}

TEST_F(WidgetTest, HighlightBarsStackRedGreyYellowAndSkipSeparators) {
  ListPanel panel = fourRows();
  panel.open = true;
  // Left end of each row's bar (0.295 .. 0.599), clear of the text at 0.31; rows 20 px apart.
  auto row = [&](int k) { return pixel(297, 685 - 20 * k); };
  const float f = (0.2975f - 0.295f) / 0.304f;
  const float red = 0.4f - 0.35f * f, strong = 0.6f - 0.55f * f;  // the bars' alpha there
  auto draw = [&](int selected, int hover, int mark) {
    panel.hoverId = hover, panel.markId = mark;
    overlay();
    panel.draw(font, "LIST", selected, 0.3f, 0.7f, 0.3f);
  };
  draw(-1, -1, -1);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(near(row(k), kPanel, kPanel, kPanel)) << k;
  draw(2, 3, 1);
  EXPECT_TRUE(near(row(1), over(kPanel, 1, red), over(kPanel, 0.1f, red), over(kPanel, 0.1f, red)));
  EXPECT_TRUE(near(row(3), over(kPanel, 0.5f, strong), over(kPanel, 0.5f, strong), over(kPanel, 0.5f, strong)));
  EXPECT_TRUE(near(row(0), over(kPanel, 0.5f, strong), over(kPanel, 0.5f, strong), over(kPanel, 0.1f, strong)));
  EXPECT_TRUE(near(row(2), kPanel, kPanel, kPanel));
  draw(1, 1, 1);  // red, then grey over it, then yellow over both
  float r = over(over(over(kPanel, 1, red), 0.5f, strong), 0.5f, strong);
  float g = over(over(over(kPanel, 0.1f, red), 0.5f, strong), 0.5f, strong);
  float b = over(over(over(kPanel, 0.1f, red), 0.5f, strong), 0.1f, strong);
  EXPECT_TRUE(near(row(0), r, g, b)) << int(row(0).r) << " " << int(row(0).g) << " " << int(row(0).b);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(glInteger(GL_POLYGON_MODE), GL_FILL);
}

TEST_F(WidgetTest, PanelFrameHoldsTheTitleAndGrowsWithItsRowsOnlyWhenOpen) {
  ListPanel empty;
  empty.open = true;
  overlay();
  empty.draw(font, "LAYERS", -1, 0.3f, 0.5f, 0.2f);  // frame 0.295 .. 0.5 x 0.49 .. 0.525
  EXPECT_TRUE(near(pixel(450, 495), kPanel, kPanel, kPanel));
  EXPECT_TRUE(near(pixel(450, 520), kPanel, kPanel, kPanel));
  EXPECT_EQ(count(400, 480, 470, 486) + count(400, 480, 529, 540), 0);
  EXPECT_GT(count(450, 450, 488, 492), 0);  // outline
  EXPECT_GT(count(298, 400, 497, 525, true), 20);  // the title
  EXPECT_EQ(count(290, 510, 400, 496, true), 0);

  ListPanel panel = fourRows();
  overlay();
  panel.draw(font, "LAYERS", -1, 0.3f, 0.5f, 0.2f);
  EXPECT_EQ(count(400, 480, 400, 486), 0);
  panel.open = true;
  overlay();
  panel.draw(font, "LAYERS", -1, 0.3f, 0.5f, 0.2f);  // four rows: down to 0.41
  EXPECT_TRUE(near(pixel(450, 415), kPanel, kPanel, kPanel));
  EXPECT_GT(count(300, 400, 412, 489, true), 40);
  EXPECT_EQ(count(400, 480, 395, 406), 0);
}

TEST_F(WidgetTest, TextStartsAtItsRasterPositionAndFollowsTheFormat) {
  overlay();
  drawText(font, 0.25f, 0.5f, 0, 1, 0, 1, "%s %d", "Hi", 42);
  drawText(font, 0.25f, 0.25f, 0, 1, 0, 1, "Hi 42");
  const int advance = platform::fontAdvancePixels(font->fontHandle);
  ASSERT_GT(advance, 4);
  const std::vector<Rgba> frame = pixels();
  auto at = [&](int x, int y) { return frame[size_t(y) * 1000 + x]; };
  int lit = 0;
  for (int y = 400; y < 1000; ++y)
    for (int x = 0; x < 1000; ++x) {
      Rgba p = at(x, y);
      if (near(p, kGrey, kGrey, kGrey, 0)) continue;
      ++lit;
      ASSERT_TRUE(near(p, 0, 1, 0, 0));
      const bool inBox = x >= 250 && x < 252 + 5 * advance && y >= 497 && y <= 520;
      ASSERT_TRUE(inBox) << x << ", " << y;
      ASSERT_TRUE(same(p, at(x, y - 250))) << "formatted and literal text differ at " << x << ", " << y;
    }
  EXPECT_GT(lit, 30);
}

TEST_F(WidgetTest, TextKeepsTheListBaseAndDrawsUnknownBytesAsQuestionMarks) {
  overlay();
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  glRasterPos2f(0.125f, 0.125f);
  glListBase(5);
  GLfloat raster[4], rasterAfter[4], colour[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
  drawText(nullptr, 0.5f, 0.5f, 1, 0, 0, 1, "nothing");
  glGetFloatv(GL_CURRENT_RASTER_POSITION, rasterAfter);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(count(0, 999, 0, 999), 0);
  EXPECT_EQ(rasterAfter[0], raster[0]);
  EXPECT_EQ(rasterAfter[1], raster[1]);
  EXPECT_EQ(colour[0], 0.25f);
  EXPECT_EQ(colour[2], 0.75f);
  EXPECT_EQ(glInteger(GL_LIST_BASE), 5);

  drawText(font, 0.25f, 0.5f, 1, 1, 1, 1, "%s", "?\x01\xe9\x7f");
  EXPECT_EQ(glInteger(GL_LIST_BASE), 5);
  const int advance = platform::fontAdvancePixels(font->fontHandle);
  EXPECT_GT(count(250, 250 + advance - 1, 490, 525, true), 10);
  const std::vector<Rgba> frame = pixels();
  auto red = [&](int x, int y) { return frame[size_t(y) * 1000 + x].r; };
  for (int cell = 1; cell < 4; ++cell)
    for (int y = 490; y <= 525; ++y)
      for (int x = 250; x < 250 + advance; ++x)
        ASSERT_EQ(red(x, y), red(x + cell * advance, y)) << "cell " << cell << " at " << x << ", " << y;
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

}  // namespace
