// The main loop on a real GL context with small recording layers, injected input and a clock
// the test drives (a quarter millisecond per sample), so every demo millisecond is seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/demo_app.h"
#include "app/demo_transport.h"
#include "app/gl_window.h"
#include "platform/trace.h"
#include "editor/sync_editor.h"
#include "platform/system.h"
#include "support/test_support.h"

using namespace qorFramework;

namespace {

struct Call {
  std::string layer, what;
  uint32_t ms;
};
std::vector<Call> calls;
int deletions = 0;

class RecordingLayer : public Layer_Base {
 public:
  explicit RecordingLayer(std::string name, bool failInRender = false)
      : name_(std::move(name)), failInRender_(failInRender) {}
  ~RecordingLayer() override { ++deletions; }
  bool init(GL_TextureManager*, ControllerList*) override { return true; }
  void update(const FrameInfo& info) override {
    Layer_Base::update(info);
    calls.push_back({name_, "update", ms()});
  }
  void render() override {
    calls.push_back({name_, "render", ms()});
    if (failInRender_) trace(TRACE_ERROR, "test", "render failed");
  }
  void handleMessage(uint32_t message, uint32_t, uint32_t) override {
    calls.push_back({name_, "message " + std::to_string(message), ms()});
  }
  void shutdown() override { calls.push_back({name_, "shutdown", ms()}); }

 private:
  uint32_t ms() const { return static_cast<uint32_t>(static_cast<int64_t>(time * 1000.0)); }
  std::string name_;
  bool failInRender_;
};

uint64_t fakeNow = 0;
uint64_t fakeCounter() {
  fakeNow += platform::performanceFrequency() / 4000;  // 0.25 ms per sample
  return fakeNow;
}

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    deletions = 0;
    fakeNow = 0;
    ASSERT_TRUE(window.create("vek", 64, 64, 1.77f, false, renderWindowProc));
    platform::flushMessages();
    app.clock.readCounter = fakeCounter;
    app.controllers = &controllers;
    setWindowProcApp(&app);
  }
  void TearDown() override {
    setWindowProcApp(nullptr);
    window.destroy();
    platform::flushMessages();
  }
  void add(const char* name, Layer_Base* layer) { registerLayer(app.timeline, name, layer); }
  void schedule(const char* name, uint32_t slot, uint32_t start, uint32_t end) {
    scheduleLayer(app.timeline, app.appState, name, slot, start, end);
  }
  // The editor's view of this record: its transport, curves, window and time line.
  EditorHost editorHost() {
    EditorHost host;
    host.transport = &transport;
    host.controllers = &controllers;
    host.window = window.handle;
    host.lengthMs = app.timeline.maxEndMs;
    return host;
  }
  void run() {
    app.appState = kStateLoaded;
    runMainLoop(app, window.handle);
  }
  std::vector<uint32_t> renderTimes(const std::string& layer) const {
    std::vector<uint32_t> out;
    for (const Call& c : calls)
      if (c.layer == layer && c.what == "render") out.push_back(c.ms);
    return out;
  }

  testsupport::DebugCapture capture{1};
  GL_Window window;
  DemoApp app;
  DemoTransport transport{app};
  ControllerList controllers;
};

TEST_F(MainLoopTest, ScheduleEndsAreInclusiveAndTheLoopStopsAfterTheLastMillisecond) {
  add("short", new RecordingLayer("short"));
  add("long", new RecordingLayer("long"));
  schedule("short", 1, 0, 5);
  schedule("long", 2, 0, 10);
  run();
  std::vector<uint32_t> shortTimes = renderTimes("short");
  std::vector<uint32_t> longTimes = renderTimes("long");
  ASSERT_FALSE(shortTimes.empty());
  EXPECT_EQ(shortTimes.back(), 5u);
  EXPECT_EQ(longTimes.back(), 10u);
  for (uint32_t t : shortTimes) EXPECT_LE(t, 5u);
  EXPECT_EQ(deletions, 2);
  EXPECT_TRUE(app.timeline.registry.empty());
  EXPECT_TRUE(app.timeline.schedule.empty());
}

// An author rehearsing one section: the clock starts at --from and the show ends after --to.
TEST_F(MainLoopTest, APlaySpanStartsTheClockAtItsStartAndEndsTheShowAfterItsEnd) {
  add("a", new RecordingLayer("a"));
  schedule("a", 1, 0, 100);
  setPlaySpan(app.clock, 0.040, 0.060);
  run();
  std::vector<uint32_t> times = renderTimes("a");
  ASSERT_FALSE(times.empty());
  EXPECT_EQ(times.front(), 40u);
  EXPECT_EQ(times.back(), 60u);
  EXPECT_EQ(calls.back().what, "shutdown");
}

TEST_F(MainLoopTest, SameSlotLaterEntryWinsAndTwoSlotLayerRunsTwiceInSlotOrder) {
  add("post", new RecordingLayer("post"));
  add("scene", new RecordingLayer("scene"));
  add("hidden", new RecordingLayer("hidden"));
  schedule("post", 0, 0, 3);
  schedule("hidden", 60, 0, 3);
  schedule("scene", 60, 0, 3);
  schedule("post", 65, 0, 3);
  run();
  EXPECT_TRUE(renderTimes("hidden").empty());
  // One frame: post (update, render), scene (update, render), post again.
  std::vector<std::string> firstFrame;
  for (size_t i = 0; i < 6 && i < calls.size(); ++i) firstFrame.push_back(calls[i].layer + " " + calls[i].what);
  std::vector<std::string> expected = {"post update",  "post render",  "scene update",
                                       "scene render", "post update", "post render"};
  EXPECT_EQ(firstFrame, expected);
}

TEST_F(MainLoopTest, NoActiveLayerDrawsNothingUntilTheNextEntryStarts) {
  add("a", new RecordingLayer("a"));
  add("b", new RecordingLayer("b"));
  schedule("a", 1, 0, 2);
  schedule("b", 1, 8, 10);
  run();
  for (const Call& c : calls) {
    if (c.what != "render") continue;
    EXPECT_TRUE(c.ms <= 2 || c.ms >= 8) << c.layer << " at " << c.ms;
  }
  EXPECT_EQ(renderTimes("b").back(), 10u);
}

TEST_F(MainLoopTest, EscapeClosesQuitsAndShutsEveryLayerDown) {
  add("a", new RecordingLayer("a"));
  schedule("a", 1, 0, 100000);
  platform::injectKey(window.handle, platform::VK_ESCAPE, true);
  run();
  EXPECT_EQ(app.appState, kStateQuitting);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().what, "shutdown");
  EXPECT_EQ(deletions, 1);
  // Key-down, then the posted close, then the posted quit: three messages, no frame between.
  EXPECT_TRUE(renderTimes("a").empty());
}

TEST_F(MainLoopTest, AnErrorTraceDuringAFrameEndsTheRunAtTheNextMessageCheck) {
  add("bad", new RecordingLayer("bad", true));
  schedule("bad", 1, 0, 100000);
  run();
  EXPECT_EQ(renderTimes("bad").size(), 1u);
  EXPECT_EQ(app.appState, kStateQuitting);
  EXPECT_TRUE(capture.contains("ERROR (test): render failed\n"));
  EXPECT_EQ(deletions, 1);
}

TEST_F(MainLoopTest, LoopDoesNothingUnlessLoaded) {
  add("a", new RecordingLayer("a"));
  schedule("a", 1, 0, 10);
  runMainLoop(app, window.handle);  // state 0: loading did not finish
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(deletions, 0);
  shutdownLayers(app.timeline);
}

EditorOptions quietEditor() {
  EditorOptions options;
  options.musicFile = "no-such.mp3";
  options.viewportHeight = 64;
  return options;
}

TEST_F(MainLoopTest, AnAttachedEditorGetsTheMessagesAndIsInitialisedAndReleasedByTheLoop) {
  testsupport::ScratchDir scratch;
  add("a", new RecordingLayer("a"));
  schedule("a", 1, 0, 100000);
  findOrCreateController(controllers, "A: x");
  SyncEditor* editor = new SyncEditor(editorHost(), quietEditor());
  app.editor = editor;
  renderWindowProc(window.handle, platform::WM_KEYDOWN, 'G', 0);  // the editor's snapping key
  EXPECT_TRUE(editor->snapToBeats);
  platform::injectKey(window.handle, platform::VK_ESCAPE, true);
  run();
  EXPECT_EQ(app.editor, nullptr) << "released and deleted by the shutdown";
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().what, "shutdown");
  EXPECT_FALSE(platform::fileExists("editor/session.lock")) << "the editor was initialised and released";
  EXPECT_TRUE(platform::fileExists("editor")) << "its init opened the workspace";
}

// Posts the quit message after a number of its renders.
class QuittingLayer : public RecordingLayer {
 public:
  explicit QuittingLayer(int* framesLeft) : RecordingLayer("quit"), framesLeft_(framesLeft) {}
  void render() override {
    RecordingLayer::render();
    if (--*framesLeft_ == 0) platform::postQuitMessage(0);
  }

 private:
  int* framesLeft_;
};

TEST_F(MainLoopTest, AnEditorHoldsTheLastFrameInsteadOfEndingTheShow) {
  testsupport::ScratchDir scratch;
  int framesLeft = 200;  // far more frames than 5 ms of quarter-millisecond samples give
  add("a", new RecordingLayer("a"));
  add("quit", new QuittingLayer(&framesLeft));
  schedule("a", 1, 0, 5);
  schedule("quit", 2, 0, 5);
  app.editor = new SyncEditor(editorHost(), quietEditor());
  run();
  EXPECT_EQ(framesLeft, 0) << "the show did not end on its own";
  EXPECT_EQ(renderTimes("a").back(), 5u);
  EXPECT_EQ(app.editor, nullptr);
}

// Pauses the show at its 20th render and seeks it 1 s on, as the editor's pause and seek do;
// quits 20 renders later.
class PauseAndSeekLayer : public RecordingLayer {
 public:
  explicit PauseAndSeekLayer(DemoApp* app) : RecordingLayer("pause"), app_(app) {}
  void render() override {
    RecordingLayer::render();
    if (++renders_ == 20) {
      DemoTransport transport(*app_);
      transport.setPaused(true);
      transport.seek(transport.now() + 1.0f);
    }
    if (renders_ == 40) platform::postQuitMessage(0);
  }

 private:
  DemoApp* app_;
  int renders_ = 0;
};

TEST_F(MainLoopTest, ASeekWhilePausedShowsTheNewTimeOnceAndHoldsThere) {
  add("pause", new PauseAndSeekLayer(&app));
  add("later", new RecordingLayer("later"));
  schedule("pause", 1, 0, 5000);
  schedule("later", 2, 1000, 5000);  // first active at the time the seek goes to
  Controller* x = findOrCreateController(controllers, "A: x");
  addKey(*x, 0.0f, 0.0f);
  addKey(*x, 10.0f, 1.0f);
  run();

  std::vector<uint32_t> updates;
  for (const Call& c : calls)
    if (c.layer == "later" && c.what == "update") updates.push_back(c.ms);
  ASSERT_EQ(updates.size(), 1u) << "brought to the new time once, then held";
  EXPECT_GE(updates[0], 1000u);
  const std::vector<uint32_t> later = renderTimes("later");
  ASSERT_FALSE(later.empty());
  EXPECT_EQ(later.front(), updates[0]) << "its first picture is at the new time";
  EXPECT_EQ(later.back(), updates[0]);
  EXPECT_NEAR(x->value, updates[0] / 10000.0f, 0.0002f) << "controllers evaluated at the new time";
  EXPECT_EQ(app.appState, kStateQuitting);
}

TEST_F(MainLoopTest, FrameTimeGraphCursorWrapsAndTitleShowsFps) {
  app.clock.deltaSeconds = 0.02f;
  for (int i = 0; i < 251; ++i) drawFrameTimeGraph(app, window.handle);
  EXPECT_EQ(app.frameCursor, 1u);
  EXPECT_EQ(std::string(platform::windowTitle(window.handle)), "FPS:  50");
}

}  // namespace
