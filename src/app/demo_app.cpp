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

DemoApp::DemoApp() {
  clock.frequency = static_cast<int64_t>(platform::performanceFrequency());
  clock.baseCount = static_cast<int64_t>(platform::performanceCounter());
}

void setWindowProcApp(DemoApp* app) { procApp = app; }

void renderWindowProc(platform::Window* window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (message == platform::WM_CLOSE) platform::postQuitMessage(0);
  if (message == platform::WM_KEYDOWN && wParam == platform::VK_ESCAPE) platform::postCloseMessage(window);
  if (!procApp) return;
  if (procApp->editor) procApp->editor->handleInput(message, wParam, lParam);
  forwardMessage(procApp->timeline, message, wParam, lParam);
}

uint32_t demoMilliseconds(const DemoClock& clock) {
  float seconds = clock.startSeconds + clock.playedSeconds;
  return static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(seconds) * 1000.0));
}

static uint64_t readCounter(const DemoClock& clock) {
  return clock.readCounter ? clock.readCounter() : platform::performanceCounter();
}

// One clock sample: elapsed time since the base, the delta to the previous sample, and the
// played time while running.
static void sampleClock(DemoApp& app) {
  DemoClock& c = app.clock;
  c.nowCount = static_cast<int64_t>(readCounter(c));
  float elapsed = static_cast<float>(static_cast<double>(c.nowCount - c.baseCount) /
                                     static_cast<double>(c.frequency));
  c.deltaSeconds = elapsed - c.elapsedSeconds;
  c.elapsedSeconds = elapsed;
  if (app.appState == kStateRunning) c.playedSeconds += c.deltaSeconds;
}

static void startClock(DemoApp& app) {
  DemoClock& c = app.clock;
  c.startSeconds = static_cast<float>(app.timeline.minStartMs / 1000.0);
  c.deltaSeconds = c.elapsedSeconds = c.playedSeconds = 0.0f;
  c.frequency = static_cast<int64_t>(platform::performanceFrequency());
  c.baseCount = static_cast<int64_t>(readCounter(c));
  c.deltaSeconds = 0.0f;
}

bool drawDemoFrame(DemoApp& app, uint32_t tMs, const float* spectrum, bool updateLayers) {
  beginPass("window clear");
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  addClearedPixels();
  endPass();
  const DemoClock& c = app.clock;
  uint32_t d = static_cast<uint32_t>(static_cast<int64_t>(c.deltaSeconds * 1000.0f));
  return drawFrame(app.timeline, updateLayers ? kStateRunning : kStateHalted, tMs, d,
                   c.startSeconds + c.playedSeconds, c.deltaSeconds, spectrum);
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
  float musicSeconds = static_cast<float>(musicTimeMs(app.music) / 1000.0);
  char title[64];
  snprintf(title, sizeof(title), "latency: %f\n", demoSeconds - musicSeconds);
  platform::setWindowTitle(app.window, title);
}

// The first message-free iteration starts the music and the clock together at the span's
// start. The music's 0 is the clock's start, as the editor's seeks assume.
static void startPlayback(DemoApp& app) {
  if (isMusicAllPaused(app.music)) resumeMusic(app.music);
  else playMusicStream(app.music);
  sampleClock(app);
  float played = static_cast<float>(std::max(0.0, app.span.fromSeconds - app.clock.startSeconds));
  app.clock.playedSeconds = played;
  setMusicTime(app.music, static_cast<uint32_t>(static_cast<double>(played) * 1000.0));
}

// The last millisecond the loop plays: the span's end, never past the time line's.
static uint32_t playEndMs(const DemoApp& app) {
  uint32_t end = app.timeline.maxEndMs;
  if (app.span.toSeconds < 0.0) return end;
  return static_cast<uint32_t>(std::min<double>(end, app.span.toSeconds * 1000.0));
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

void runMainLoop(DemoApp& app, platform::Window* window) {
  if (app.appState != kStateLoaded) return;
  app.appState = kStateRunning;
  app.window = window;
  int width = 0, height = 0;
  platform::getClientSize(window, &width, &height);
  initSharedBlur(width, height);
  setMusicTime(app.music, 0);
  startClock(app);
  setMusicTime(app.music, 0);
  if (app.editor) {
    platform::showCursor(true);
    app.editor->init();
  }
  bool started = false;
  uint32_t endMs = playEndMs(app);

  while (app.appState != kStateQuitting) {
    uint32_t tMs = demoMilliseconds(app.clock);
    // The show is over; an author's editor holds on the last frame instead.
    if (tMs > endMs && !(app.editor && app.editor->holdAtEnd())) break;

    platform::Message message;
    if (platform::peekMessage(&message)) {
      if (message.message == platform::WM_QUIT) {
        stopMusic(app.music);
        app.appState = kStateQuitting;
        break;
      }
      platform::dispatchMessage(message);
      continue;
    }
    if (app.appState == kStateRunning && !started) {
      startPlayback(app);
      started = true;
    }
    sampleClock(app);
    if (app.appState != kStateRunning && app.appState != kStateHalted) continue;

    tMs = demoMilliseconds(app.clock);
    // Past the end: nothing more is drawn, the check at the top ends the loop (or the editor
    // holds). A span can end while layers are still scheduled.
    if (tMs > endMs && !app.editor) continue;
    // Paused by the editor, controllers and layers stand still; a seek while paused brings them
    // to the new time once, so the picture shows the frame the author moved to.
    const bool running = app.appState == kStateRunning;
    const bool bringToTime = running || tMs != app.shownMs;
    if (bringToTime) {
      if (running && platform::isKeyDown(platform::VK_RETURN)) showLatency(app, tMs);
      if (app.controllers) evaluateAllControllers(*app.controllers, static_cast<float>(tMs / 1000.0));
      app.shownMs = tMs;
    }
    const float* spectrum = nullptr;
    if (app.music && app.music->spectrumEnabled) spectrum = app.music->spectrum = fetchMusicSpectrum(app.music);
    if (!drawDemoFrame(app, tMs, spectrum, bringToTime)) {
      presentBlackFrame(window);
      continue;
    }
    if (platform::isKeyDown(platform::VK_F10)) drawFrameTimeGraph(app, window);
    if (app.editor) app.editor->draw();
    platform::swapBuffers(window);
  }
  shutdownDemo(app);
}

}  // namespace qorFramework
