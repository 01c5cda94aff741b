// The editor driven the way the window procedure drives it, for the input tests: Windows-style
// message triples with pointer positions in client pixels, read through a real 1000 x 500
// viewport, on an editor zoomed to the first 10 s of the 124-s time line, so a key at t seconds
// sits at x = 100 t pixels. Rows of pixels: 385 is overlay y 0.23 (the key handles), 335 is
// 0.33 (the curve area), 450 is 0.10 (the time strip), 25 is 0.95 (the panel titles).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/sync_editor.h"
#include "platform/mp3_maker.h"
#include "platform/system.h"
#include "platform/win_codes.h"
#include "platform/window.h"
#include "support/fake_show.h"
#include "support/test_support.h"

using namespace qorFramework;
using ::testing::FloatNear;
using ::testing::Pointwise;
namespace pf = platform;

namespace editortest {

constexpr int kKeyY = 385;
constexpr int kCurveY = 335;
constexpr int kStripY = 450;
constexpr int kTitleY = 25;
constexpr int kButtonY = 52;  // overlay y 0.896: the transport buttons
constexpr int kPlayX = 912, kPauseX = 945, kRecordX = 978;
constexpr int kWorkspaceX = 50, kControllersX = 400, kControllers2X = 600;
constexpr int kSave = 0, kUndo = 2, kReset = 4, kHelp = 6;  // workspace rows
inline int rowY(int row) { return 32 + 10 * row; }                  // the middle of a panel row
inline int pixelX(float x) { return static_cast<int>(std::lround(x * 1000.0f)); }
inline int pixelY(float y) { return static_cast<int>(std::lround((1.0f - y) * 500.0f)); }

using Floats = std::vector<float>;
using Keys = std::vector<uint32_t>;

class EditorInputTest : public testsupport::GLTest {
 protected:
  EditorInputTest() : GLTest(1000, 500) {}

  void SetUp() override {
    GLTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    pf::makeDirectory("data");
    curve = findOrCreateController(controllers, "Curve: value");
    addKey(*curve, 1.0f, 0.2f);
    addKey(*curve, 3.0f, 0.6f);
    addKey(*curve, 5.0f, 0.4f);
    addKey(*curve, 7.0f, 0.8f);
    reference = findOrCreateController(controllers, "Beat: flash");
    for (float t : {2.0f, 4.03f, 5.0f}) addKey(*reference, t, 1.0f);
  }
  void TearDown() override {
    if (editor) {
      editor->release();
      delete editor;
      editor = nullptr;
    }
    GLTest::TearDown();
  }

  void attach(bool takesInput = true) {
    EditorOptions options;
    options.musicFile = "no-such.mp3";
    options.viewportHeight = height_;
    options.takesInput = takesInput;
    EditorHost host;
    host.transport = &show;
    host.controllers = &controllers;
    host.window = window;
    host.lengthMs = show.lengthMs;
    editor = new SyncEditor(host, options);
    editor->init();
    editor->draw();  // the panels and buttons answer where they were last drawn
    editor->view.viewStart = 0;
    editor->view.viewEnd = 10000;
  }

  void send(uint32_t message, uint32_t wParam, uint32_t lParam) { editor->handleInput(message, wParam, lParam); }
  void move(int x, int y) { send(pf::WM_MOUSEMOVE, 0, pf::packPoint(x, y)); }
  void down(int vk, bool repeat = false) { send(pf::WM_KEYDOWN, vk, repeat ? 0x40000001u : 1u); }
  void up(int vk) { send(pf::WM_KEYUP, vk, 0xC0000001u); }
  void tap(int vk) {
    down(vk);
    up(vk);
  }
  void chord(int modifier, int vk) {
    down(modifier);
    tap(vk);
    up(modifier);
  }
  void leftPress(int x, int y) {
    move(x, y);
    send(pf::WM_LBUTTONDOWN, pf::MK_LBUTTON, pf::packPoint(x, y));
  }
  void leftUp() { send(pf::WM_LBUTTONUP, 0, 0); }
  void click(int x, int y) {
    leftPress(x, y);
    leftUp();
  }
  void rightPress(int x, int y) {
    move(x, y);
    send(pf::WM_RBUTTONDOWN, pf::MK_RBUTTON, pf::packPoint(x, y));
  }
  void rightUp() { send(pf::WM_RBUTTONUP, 0, 0); }
  void middleClick(int x, int y) {
    move(x, y);
    send(pf::WM_MBUTTONDOWN, pf::MK_MBUTTON, pf::packPoint(x, y));
    send(pf::WM_MBUTTONUP, 0, pf::packPoint(x, y));
  }
  // Opens a panel by resting on its title, then clicks one of its rows.
  void pickRow(int panelX, int row) {
    move(panelX, kTitleY);
    click(panelX, rowY(row));
  }
  size_t snapshots() const { return editor->workspace.history.names.size(); }

  static Floats times(const Controller& c) {
    Floats out;
    for (const ControllerKey& k : c.keys) out.push_back(k.time);
    return out;
  }
  static Floats values(const Controller& c) {
    Floats out;
    for (const ControllerKey& k : c.keys) out.push_back(k.value);
    return out;
  }

  testsupport::ScratchDir scratch;
  testsupport::DebugCapture capture;
  testsupport::FakeShow show;
  ControllerList controllers;
  pf::Window* window = nullptr;  // the window whose title the editor marks
  Controller* curve = nullptr;      // keys at 1, 3, 5, 7 s
  Controller* reference = nullptr;  // keys at 2, 4.03, 5 s
  SyncEditor* editor = nullptr;
};

}  // namespace editortest
