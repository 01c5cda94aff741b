#include "app/demo_app.h"

#include <algorithm>
#include <cstdio>

#include "platform/trace.h"
#include "editor/sync_editor.h"
#include "gfx/blur.h"
#include "gfx/pass_profiler.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"
#include "platform/gl.h"
#include "platform/system.h"

namespace qorFramework {

static DemoApp* procApp = nullptr;

void setWindowProcApp(DemoApp* app) { procApp = app; }

void renderWindowProc(platform::Window* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (message == platform::WM_CLOSE) platform::postQuitMessage(0);
  if (message == platform::WM_KEYDOWN && wParam == platform::VK_ESCAPE) platform::postCloseMessage(window);
  if (!procApp) return;
  if (procApp->editor) procApp->editor->handleInput(message, wParam, lParam);
  forwardMessage(procApp->timeline, message, wParam, lParam);
}

bool drawDemoFrame(DemoApp& app, uint32_t tMs, const float* spectrum, bool updateLayers) {
  beginPass("window clear");
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  addClearedPixels();
  endPass();
  const ShowClock& c = app.clock;
  uint32_t d = static_cast<uint32_t>(static_cast<int64_t>(c.deltaSeconds * 1000.0f));
  return drawFrame(app.timeline, updateLayers ? kStateRunning : kStateHalted, tMs, d,
                   demoSeconds(c), c.deltaSeconds, spectrum);
}

void drawFrameTimeGraph(DemoApp& app, platform::Window* window) {
  ScopedPass pass("frame-time graph");
  app.frameTimes[app.frameCursor] = app.clock.deltaSeconds;
  if (++app.frameCursor == kFrameTimeCount) app.frameCursor = 0;

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glPushMatrix();
  glDisable(GL_LIGHTING);
  gluOrtho2D(0.0, 1.0, 1.0, 0.0);  // x 0..1 to the right, y 0 (top) .. 1 (bottom)
  glBindTexture(GL_TEXTURE_2D, 0);

  // Darken the left quarter by multiplication.
  glColor3f(0.25f, 0.2f, 0.2f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(0.25f, 0.0f);
  glVertex2f(0.25f, 1.0f);
  glVertex2f(0.0f, 1.0f);
  glEnd();
  glDisable(GL_BLEND);

  // Red up to the cursor (the newest entries), dim yellow after it (the oldest).
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_LINE_STRIP);
  for (uint32_t i = 0; i < app.frameCursor; ++i)
    glVertex2f(i / 1000.0f, app.frameTimes[i] * 4.0f + 0.25f);
  glEnd();
  glColor3f(0.5f, 0.5f, 0.0f);
  glBegin(GL_LINE_STRIP);
  for (uint32_t i = app.frameCursor; i < kFrameTimeCount; ++i)
    glVertex2f(i / 1000.0f, app.frameTimes[i] * 4.0f + 0.25f);
  glEnd();
  glColor3f(1.0f, 1.0f, 1.0f);

  FpsCounter& fps = app.fps;
  fps.frames += 1;
  fps.accumulated += app.clock.deltaSeconds;
  if (fps.accumulated >= 0.5f) {
    fps.lastFps = fps.frames * 2;
    fps.accumulated = 0.0f;
    fps.frames = 0;
  }
  char title[64];
  snprintf(title, sizeof(title), "FPS:  %d", fps.lastFps);
  platform::setWindowTitle(window, title);
  glColor3f(1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

static void showLatency(DemoApp& app, uint32_t tMs) {
  float demoSeconds = static_cast<float>(tMs / 1000.0);
  float musicSeconds = static_cast<float>(streamTimeMs(app.music) / 1000.0);
  char title[64];
  snprintf(title, sizeof(title), "latency: %f\n", demoSeconds - musicSeconds);
  platform::setWindowTitle(app.window, title);
}

// The first message-free iteration starts the music and the clock together at the span's
// start. The music's 0 is the clock's start, as the editor's seeks assume.
static void startPlayback(DemoApp& app) {
  if (isStreamPaused(app.music)) resumeStream(app.music);
  else playStream(app.music);
  setStreamTime(app.music, beginShowPlayback(app.clock));
}

static void presentBlackFrame(platform::Window* window) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  platform::swapBuffers(window);
  platform::sleepMs(1);
}

void shutdownDemo(DemoApp& app) {
  shutdownLayers(app.timeline);
  releaseSharedBlur();
  if (app.editor) {
    app.editor->release();
    delete app.editor;
    app.editor = nullptr;
  }
  if (app.textureManager) {
    app.textureManager->release();
    delete app.textureManager;
    app.textureManager = nullptr;
  }
}

bool beginShow(DemoApp& app, platform::Window* window, bool live) {
  if (app.appState != kStateLoaded) return false;
  app.appState = kStateRunning;
  app.window = window;
  int width = 0, height = 0;
  platform::getClientSize(window, &width, &height);
  initSharedBlur(width, height);
  setStreamTime(app.music, 0);
  startShowClock(app.clock, app.timeline.minStartMs);
  setStreamTime(app.music, 0);
  if (app.editor) {
    if (live) platform::showCursor(true);
    app.editor->init();
  }
  return true;
}

bool renderShowFrame(DemoApp& app, const ShowFrame& frame) {
  if (frame.bringToTime && app.controllers)
    evaluateAllControllers(*app.controllers, static_cast<float>(frame.tMs / 1000.0));
  const bool drawn = drawDemoFrame(app, frame.tMs, frame.spectrum, frame.bringToTime);
  if (!drawn && frame.live) return false;
  if (drawn && frame.frameGraph) drawFrameTimeGraph(app, app.window);
  if (app.editor) {
    ScopedPass pass("editor");
    app.editor->draw();
  }
  return drawn;
}

// One message-free iteration of the live loop after the clock sample: the frame at the clock's
// millisecond, swapped, or a black one when no layer is active.
static void playOneFrame(DemoApp& app, uint32_t endMs) {
  ShowFrame frame;
  frame.tMs = demoMilliseconds(app.clock);
  // Past the end: nothing more is drawn, the check at the top of the loop ends it (or the
  // editor holds). A span can end while layers are still scheduled.
  if (frame.tMs > endMs && !app.editor) return;
  // Paused by the editor, controllers and layers stand still; a seek while paused brings them
  // to the new time once, so the picture shows the frame the author moved to.
  const bool running = app.appState == kStateRunning;
  frame.bringToTime = running || frame.tMs != app.shownMs;
  if (frame.bringToTime) {
    if (running && platform::isKeyDown(platform::VK_RETURN)) showLatency(app, frame.tMs);
    app.shownMs = frame.tMs;
  }
  if (app.music && app.music->spectrumEnabled)
    frame.spectrum = app.music->spectrum = fetchStreamSpectrum(app.music);
  frame.live = true;
  frame.frameGraph = platform::isKeyDown(platform::VK_F10);
  if (renderShowFrame(app, frame)) platform::swapBuffers(app.window);
  else presentBlackFrame(app.window);
}

// Takes one window message: true when there was one (no frame is drawn in this iteration).
// The quit message stops the music and ends the loop.
static bool takeMessage(DemoApp& app) {
  platform::Message message;
  if (!platform::peekMessage(&message)) return false;
  if (message.message == platform::WM_QUIT) {
    stopStream(app.music);
    app.appState = kStateQuitting;
    return true;
  }
  platform::dispatchMessage(message);
  return true;
}

void runMainLoop(DemoApp& app, platform::Window* window) {
  if (!beginShow(app, window, true)) return;
  bool started = false;
  const uint32_t endMs = playEndMs(app.clock, app.timeline.maxEndMs);
  while (app.appState != kStateQuitting) {
    // The show is over; an author's editor holds on the last frame instead.
    if (demoMilliseconds(app.clock) > endMs && !(app.editor && app.editor->holdAtEnd())) break;
    if (takeMessage(app)) continue;
    if (app.appState == kStateRunning && !started) {
      startPlayback(app);
      started = true;
    }
    sampleShowClock(app.clock);
    uint32_t loopStartMs = 0;
    if (wrapShowLoop(app.clock, app.timeline.maxEndMs, &loopStartMs)) setStreamTime(app.music, loopStartMs);
    if (app.appState == kStateRunning || app.appState == kStateHalted) playOneFrame(app, endMs);
  }
  shutdownDemo(app);
}

}  // namespace qorFramework
