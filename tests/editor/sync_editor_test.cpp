// The editor overlay as a whole on a real context: what init lists, the order the overlay is
// drawn in (seen in which parts darken which), F5 and F6, record mode's Space, what release
// deletes, the waveform strip made from the music.
#include "editor/sync_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/system.h"
#include "platform/win_codes.h"
#include "platform/window.h"
#include "support/fake_show.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::Rgba;

namespace {

class OverlayTest : public testsupport::GLTest {
 protected:
  OverlayTest() : GLTest(800, 400) {}
  void SetUp() override {
    GLTest::SetUp();
  }
  void TearDown() override {
    if (editor) {
      editor->release();
      delete editor;
    }
    GLTest::TearDown();
  }
  void addControllers(int count) {
    for (int i = 0; i < count; ++i) findOrCreateController(controllers, ("C: " + std::to_string(i)).c_str());
  }
  void attach() {
    EditorOptions options;
    options.musicFile = "no-such.mp3";
    options.viewportHeight = height_;
    EditorHost host;
    host.transport = &show;
    host.controllers = &controllers;
    host.lengthMs = show.lengthMs;
    editor = new SyncEditor(host, options);
    editor->init();
  }
  // Holds or lets go of a key as the message pump sees it (the editor polls the key table).
  void holdKey(int vk, bool down) {
    platform::injectKey(window_, vk, down);
    platform::flushMessages();
  }
  void clearTo(float grey) {
    glClearColor(grey, grey, grey, 1.0f);
    glClearDepth(0.5);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
  }
  Rgba at(float x, float y) const { return pixel(static_cast<int>(x * width_), static_cast<int>(y * height_)); }
  float depthAt(int x, int y) const {
    float depth = 0.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
  }
  // The largest value of one channel (0 red, 1 green, 2 blue) in a box of overlay coordinates.
  int brightest(int channel, float x0, float y0, float x1, float y1) const {
    int best = 0;
    for (int y = static_cast<int>(y0 * height_); y <= static_cast<int>(y1 * height_); ++y)
      for (int x = static_cast<int>(x0 * width_); x <= static_cast<int>(x1 * width_); ++x) {
        Rgba p = pixel(x, y);
        best = std::max(best, static_cast<int>(channel == 0 ? p.r : channel == 1 ? p.g : p.b));
      }
    return best;
  }
  int brightestGreen(float x0, float y0, float x1, float y1) const { return brightest(1, x0, y0, x1, y1); }

  testsupport::ScratchDir scratch;
  testsupport::FakeShow show;
  ControllerList controllers;
  SyncEditor* editor = nullptr;
};

TEST_F(OverlayTest, ControllersSplitFortyToAPanelAndTheFirstIsSelected) {
  addControllers(45);
  attach();
  ASSERT_EQ(editor->widgets.controllersPanel.items.size(), 40u);
  EXPECT_EQ(editor->widgets.controllersPanel.items.front().id, 0);
  EXPECT_EQ(editor->widgets.controllersPanel.items.back().id, 39);
  ASSERT_EQ(editor->widgets.controllersPanel2.items.size(), 5u);
  EXPECT_EQ(editor->widgets.controllersPanel2.items.front().id, 40);
  EXPECT_EQ(editor->widgets.controllersPanel2.items.back().name, "C: 44");
  EXPECT_EQ(editor->selection.controller, controllers[0].get());
  EXPECT_TRUE(editor->widgets.layersPanel.items.empty());
  ASSERT_EQ(editor->widgets.workspacePanel.items.size(), 7u);
  EXPECT_EQ(editor->widgets.workspacePanel.items[6].name, "help");
  EXPECT_EQ(editor->widgets.workspacePanel.items[1].id, -1);
  EXPECT_EQ(editor->widgets.controllersPanel.markId, -1) << "no row is marked as the reference at start";
}

TEST_F(OverlayTest, ExactlyFortyLeaveTheSecondPanelEmptyAndNoneLeaveNothingSelected) {
  addControllers(40);
  attach();
  EXPECT_EQ(editor->widgets.controllersPanel.items.size(), 40u);
  EXPECT_TRUE(editor->widgets.controllersPanel2.items.empty());
  editor->release();
  delete editor;
  editor = nullptr;

  controllers.clear();
  attach();
  EXPECT_EQ(editor->selection.controller, nullptr);
  editor->recordMode = true;
  holdKey(platform::VK_SPACE, true);
  clearTo(0.0f);
  editor->draw();  // nothing to insert into, nothing to label
  holdKey(platform::VK_SPACE, false);
  EXPECT_EQ(glErrorName(), "GL_NO_ERROR");
}

TEST_F(OverlayTest, LabelsGoUnderTheCurveViewAndPanelsOverIt) {
  addControllers(40);
  controllers[0]->value = 1.0f;  // its flat curve runs along the top of the area
  attach();
  editor->view.labelFont = nullptr;  // no ruler labels near the hover time
  editor->input.pointerOverTimeline = true;
  editor->input.mouseX = 0.6f;
  editor->input.hoverTime = 12.5f;
  clearTo(0.0f);
  editor->draw();
  // The white hover time is drawn before the area's half-transparent background.
  int hoverText = brightestGreen(0.59f, 0.235f, 0.68f, 0.27f);
  EXPECT_GT(hoverText, 60);
  EXPECT_LT(hoverText, 190);
  EXPECT_GT(brightestGreen(0.9f, 0.975f, 1.0f, 1.0f), 240) << "\"runtime\" is drawn in plain white";

  // An open panel reaches down over the curve area and darkens the play line under it.
  show.clock.playedSeconds = 0.4f * 124.0f;
  clearTo(0.0f);
  editor->draw();
  int closed = brightest(2, 0.395f, 0.31f, 0.405f, 0.33f);
  editor->widgets.controllersPanel.open = true;
  clearTo(0.0f);
  editor->draw();
  int open = brightest(2, 0.395f, 0.31f, 0.405f, 0.33f);
  EXPECT_GT(closed, 140);
  EXPECT_LT(open, closed / 2) << "panels come after the curve view";
}

TEST_F(OverlayTest, F5HidesEverythingUntilF6AndBothKeysShowIt) {
  addControllers(3);
  attach();
  holdKey(platform::VK_F5, true);
  clearTo(0.25f);
  editor->draw();
  for (Rgba p : pixels()) ASSERT_EQ(p.g, 64);
  EXPECT_FLOAT_EQ(depthAt(10, 10), 0.5f) << "not even the depth buffer is cleared";

  holdKey(platform::VK_F5, false);
  clearTo(0.25f);
  editor->draw();
  EXPECT_EQ(at(0.5f, 0.1f).g, 64) << "hidden stays hidden";

  holdKey(platform::VK_F5, true);
  holdKey(platform::VK_F6, true);
  clearTo(0.25f);
  editor->draw();
  EXPECT_NE(at(0.5f, 0.1f).g, 64) << "F6 wins over F5";
  EXPECT_FLOAT_EQ(depthAt(10, 10), 1.0f);

  holdKey(platform::VK_F5, false);
  holdKey(platform::VK_F6, false);
  clearTo(0.25f);
  editor->draw();
  EXPECT_NE(at(0.5f, 0.1f).g, 64);
}

// Space as the window procedure hands it over: a key-down, then auto-repeats while held.
void pressSpace(SyncEditor* editor, int repeats = 0) {
  editor->handleInput(platform::WM_KEYDOWN, platform::VK_SPACE, 1u);
  for (int i = 0; i < repeats; ++i) editor->handleInput(platform::WM_KEYDOWN, platform::VK_SPACE, 0x40000001u);
  editor->handleInput(platform::WM_KEYUP, platform::VK_SPACE, 0xC0000001u);
}

TEST_F(OverlayTest, RecordModeInsertsOneKeyForEachPressOfSpace) {
  show.heardSeconds = 0.0;  // the music plays, heard at its start
  addControllers(1);
  attach();
  Controller& c = *controllers[0];

  pressSpace(editor);
  editor->draw();
  EXPECT_TRUE(c.keys.empty()) << "outside record mode Space inserts nothing";
  editor->recordMode = true;
  pressSpace(editor, 5);
  for (int frame = 0; frame < 5; ++frame) editor->draw();
  EXPECT_EQ(c.keys.size(), 1u) << "a held key is one press";
  show.heardSeconds = 1.0;
  pressSpace(editor);
  editor->draw();
  ASSERT_EQ(c.keys.size(), 2u);
  EXPECT_EQ(c.keys[1].value, 0.0f);
  EXPECT_NEAR(c.keys[1].time, 1.0f, 0.1f) << "at the music's position";
}

// At a few frames a second several presses arrive between two frames: each is a key at the
// music position of its press, not one key at the next frame.
TEST_F(OverlayTest, RecordModeKeepsEveryPressBetweenTwoFramesAtItsOwnPosition) {
  addControllers(1);
  attach();
  editor->recordMode = true;
  editor->draw();
  for (double heard : {2.0, 2.25, 2.5, 2.75}) {
    show.heardSeconds = heard;
    pressSpace(editor);
  }
  editor->draw();
  const Controller& c = *controllers[0];
  ASSERT_EQ(c.keys.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(c.keys[i].time, 2.0f + 0.25f * i);
}

TEST_F(OverlayTest, ReleaseDeletesTheSnapshotFilesStillListed) {
  addControllers(2);
  attach();
  editor->workspace.snapshot();
  editor->workspace.snapshot();
  editor->workspace.snapshot();
  ASSERT_TRUE(editor->workspace.undo());  // its file stays: it was restored
  std::vector<std::string> listed = editor->workspace.history.names;
  ASSERT_EQ(listed.size(), 2u);
  editor->release();
  for (const std::string& name : listed) EXPECT_FALSE(platform::fileExists(name.c_str())) << name;
  EXPECT_FALSE(platform::fileExists("editor/session.lock"));
  EXPECT_EQ(editor->resources.mainFont, nullptr);
  delete editor;
  editor = nullptr;
}

TEST(Waveform, EachMillisecondHoldsItsLoudestSampleWithItsSign) {
  std::vector<float> mono(48 * 3, 0.1f);  // 48 kHz: 48 samples a millisecond
  mono[10] = -0.5f;
  mono[60] = 0.25f;
  mono[61] = -0.75f;
  mono[100] = 2.0f;  // clipped to full scale
  std::vector<WaveformFrame> frames = waveformFromSamples(mono, 48000, 5);
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0].second, static_cast<int16_t>(-16384));
  EXPECT_EQ(frames[1].second, static_cast<int16_t>(-24575));
  EXPECT_EQ(frames[2].second, 32767);
  EXPECT_EQ(frames[3].second, 0) << "past the end of the song";
  EXPECT_EQ(frames[0].first, frames[0].second);
}

}  // namespace
