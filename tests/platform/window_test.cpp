// The render window's context and the message pump's translation of SDL input.
#include <gtest/gtest.h>

#include "platform/system.h"
#include "platform/window.h"
#include "support/test_support.h"

using namespace platform;
using testsupport::GLTest;

namespace {

class WindowTest : public GLTest {
 protected:
  // Takes messages until one arrives (injected events are queued, so one poll is enough).
  bool next(Message* m) { return peekMessage(m); }
};

TEST_F(WindowTest, ContextClearsAndReadsBack) {
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  testsupport::Rgba p = pixel(10, 10);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 0);
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 24);
  int w = 0, h = 0;
  getClientSize(window_, &w, &h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
}

TEST_F(WindowTest, KeysBecomeVirtualKeyMessagesAndPollableState) {
  injectKey(window_, VK_ESCAPE, true);
  injectKey(window_, 'A', true);
  injectKey(window_, VK_F10, true);
  injectKey(window_, VK_CONTROL, true);
  Message m;
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_EQ(m.wParam, static_cast<uint32_t>(VK_ESCAPE));
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.wParam, static_cast<uint32_t>('A'));
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.wParam, static_cast<uint32_t>(VK_F10));
  EXPECT_TRUE(isKeyDown(VK_F10));
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.wParam, static_cast<uint32_t>(VK_CONTROL));
  injectKey(window_, VK_F10, false);
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_KEYUP);
  EXPECT_FALSE(isKeyDown(VK_F10));
  EXPECT_FALSE(next(&m));
}

TEST_F(WindowTest, PointerMessagesPackClientCoordinates) {
  injectMouseMove(window_, 12, 34);
  injectMouseButton(window_, 1, true, 5, 6);
  injectMouseButton(window_, 3, false, 7, 8);
  Message m;
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_MOUSEMOVE);
  EXPECT_EQ(pointX(m.lParam), 12);
  EXPECT_EQ(pointY(m.lParam), 34);
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_LBUTTONDOWN);
  EXPECT_EQ(m.wParam & MK_LBUTTON, MK_LBUTTON);
  EXPECT_EQ(pointX(m.lParam), 5);
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_RBUTTONUP);
}

TEST_F(WindowTest, CloseBoxGivesOneCloseAndPostedMessagesArriveInOrder) {
  injectWindowClose(window_);
  Message m;
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_CLOSE);
  EXPECT_EQ(m.window, window_);
  postCloseMessage(window_);
  postQuitMessage(0);
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_CLOSE);
  ASSERT_TRUE(next(&m));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.window, nullptr);
  EXPECT_FALSE(next(&m));
}

// A close posted to a window that is destroyed before the close is taken must reach nobody:
// not freed memory, and not the next window (which may even reuse the old one's address).
TEST(WindowLifetimeTest, CloseQueuedForADestroyedWindowIsDropped) {
  Window* old = testsupport::createTestWindow(32, 32);
  ASSERT_NE(old, nullptr);
  flushMessages();
  postCloseMessage(old);
  destroyWindow(old);
  Window* fresh = testsupport::createTestWindow(32, 32);
  ASSERT_NE(fresh, nullptr);
  Message m;
  bool sawClose = false;
  while (peekMessage(&m)) sawClose |= m.message == WM_CLOSE;
  EXPECT_FALSE(sawClose);
  // A close for the live window still arrives.
  postCloseMessage(fresh);
  ASSERT_TRUE(peekMessage(&m));
  EXPECT_EQ(m.message, WM_CLOSE);
  EXPECT_EQ(m.window, fresh);
  destroyWindow(fresh);
  flushMessages();
}

TEST(PathTest, BackslashesAndDoubledSeparatorsBecomeOneSlash) {
  EXPECT_EQ(nativePath("data\\textures\\distortion.png"), "data/textures/distortion.png");
  EXPECT_EQ(nativePath("editor//button-linear.png"), "editor/button-linear.png");
  EXPECT_EQ(nativePath(".\\resources\\"), "./resources/");
}

TEST(PathTest, WholeFileReadTellsAMissingFileFromAFailedRead) {
  testsupport::ScratchDir dir;
  ASSERT_TRUE(makeDirectory("data"));
  const std::string content("a\0b\xff", 4);
  testsupport::writeFile("data/x.bin", content);
  std::string bytes = "stale";
  bool couldNotOpen = true;
  EXPECT_TRUE(readWholeFile("data\\x.bin", &bytes, &couldNotOpen));
  EXPECT_FALSE(couldNotOpen);
  EXPECT_EQ(bytes, content);
  EXPECT_FALSE(readWholeFile("data\\missing.bin", &bytes, &couldNotOpen));
  EXPECT_TRUE(couldNotOpen);
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(readWholeFile("data", &bytes, &couldNotOpen));  // a folder opens but cannot be read
  EXPECT_FALSE(couldNotOpen);
}

TEST(CursorTest, DisplayCounterFollowsWin32Rules) {
  int start = showCursor(true);
  EXPECT_EQ(showCursor(false), start - 1);
  EXPECT_EQ(showCursor(false), start - 2);
  showCursor(true);
  showCursor(true);
  EXPECT_EQ(showCursor(false), start - 1);
  showCursor(true);
  showCursor(false);
}

}  // namespace
