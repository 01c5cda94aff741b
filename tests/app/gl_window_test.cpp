// The render window: letterboxing for every launcher resolution, and the viewport and
// projection a freshly created window leaves for the layers.
#include <gtest/gtest.h>

#include "app/gl_window.h"
#include "platform/gl.h"
#include "support/test_support.h"

using qorFramework::GL_Window;
using qorFramework::letterbox;
using qorFramework::Viewport;

namespace {

TEST(LetterboxTest, LauncherResolutionsAtAspect177) {
  struct Row {
    int w, h, viewportHeight, viewportY;
  } rows[] = {{640, 480, 361, 59},   {800, 600, 451, 74},    {1280, 1024, 723, 150},
              {1280, 720, 723, -1},  {1680, 1050, 949, 50},  {1920, 1080, 1084, -2},
              {1920, 1200, 1084, 58}};
  for (const Row& row : rows) {
    Viewport v = letterbox(row.w, row.h, 1.77f);
    EXPECT_EQ(v.x, 0) << row.w << "x" << row.h;
    EXPECT_EQ(v.width, row.w) << row.w << "x" << row.h;
    EXPECT_EQ(v.height, row.viewportHeight) << row.w << "x" << row.h;
    EXPECT_EQ(v.y, row.viewportY) << row.w << "x" << row.h;
  }
}

TEST(GLWindowTest, CreateSetsTheLetterboxedViewportAndRecreateReplacesTheWindow) {
  GL_Window window;
  ASSERT_TRUE(window.create("vek", 640, 480, 1.77f, false, nullptr));
  EXPECT_TRUE(window.open);
  EXPECT_FALSE(window.fullscreen);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 59);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 361);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  ASSERT_TRUE(window.create("vek", 800, 600, 1.77f, false, nullptr));
  int w = 0, h = 0;
  platform::getClientSize(window.handle, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_TRUE(window.destroy());
  EXPECT_FALSE(window.open);
  EXPECT_FALSE(window.destroy());
}

}  // namespace
