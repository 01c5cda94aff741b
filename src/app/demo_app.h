// DemoApp: the application record (state, layers and schedule, clock, controllers, texture
// manager, music) and the main loop that runs the show frame by frame on it.
// Depends on: the timeline (layers, schedule, controllers), the rendering framework's shared
// blur, the music stream, the platform's window, clock and keys.
#pragma once

#include <cstdint>

#include "app/music_stream.h"
#include "platform/window.h"
#include "timeline/controller.h"
#include "timeline/schedule.h"

namespace qorFramework {

class GL_TextureManager;
class SyncEditor;

constexpr uint32_t kFrameTimeCount = 250;

struct DemoClock {
  float startSeconds = 0.0f;  // minStartMs / 1000
  int64_t frequency = 0;      // counter ticks per second
  int64_t baseCount = 0;      // counter value at which the clock started
  int64_t nowCount = 0;       // latest sample
  float elapsedSeconds = 0.0f;
  float playedSeconds = 0.0f;  // demo seconds accumulated while running
  float deltaSeconds = 0.0f;   // elapsed of the latest sample minus that of the previous one
  // The counter read by every sample; the platform's performance counter unless a test or the
  // capture mode drives time itself.
  uint64_t (*readCounter)() = nullptr;
};

struct FpsCounter {
  int32_t frames = 0;
  int32_t lastFps = 0;
  float accumulated = 0.0f;
};

// The part of the show the main loop plays, in demo seconds: from `fromSeconds` (the music is
// seeked there with the clock) until `toSeconds` (negative: the time line's end).
struct PlaySpan {
  double fromSeconds = 0.0;
  double toSeconds = -1.0;
};

struct DemoApp {
  DemoApp();  // state 0, empty timeline, clock frequency and base sampled once

  int32_t appState = kStateSettingUp;
  LayerTimeline timeline;
  DemoClock clock;
  ControllerList* controllers = nullptr;        // shared with every layer; lives to process end
  GL_TextureManager* textureManager = nullptr;  // owned; deleted by the loop's shutdown
  MusicStream* music = nullptr;                 // lives in the entry function's frame
  float frameTimes[kFrameTimeCount] = {};
  uint32_t frameCursor = 0;
  platform::Window* window = nullptr;           // stored when the main loop starts
  FpsCounter fps;
  SyncEditor* editor = nullptr;  // owned when attached; null: no editor code runs
  PlaySpan span;
  // Demo ms the controllers and layers were last brought to. While the editor pauses the show
  // they stand still, until a seek moves the demo time away from this.
  uint32_t shownMs = 0;
};

// The window procedure of the render window: Escape closes, close quits, every message goes to
// an attached editor and then to the active layers. It acts on the record given to
// setWindowProcApp.
void renderWindowProc(platform::Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);
void setWindowProcApp(DemoApp* app);

// Runs the show from app.span's start until its end (the time line's end at most), the quit message arrives or the state becomes 4, then
// shuts the layers, the shared blur and the texture manager down. Returns at once unless the
// state is 1 (loaded).
void runMainLoop(DemoApp& app, platform::Window* window);

// The shutdown after the loop: every layer's shutdown and deletion in registration order, the
// shared blur, an attached editor (released, then deleted), the texture manager (its GL
// textures released first). The controllers stay.
void shutdownDemo(DemoApp& app);

// Demo time in whole milliseconds: (startSeconds + playedSeconds) x 1000, truncated, low 32 bits.
uint32_t demoMilliseconds(const DemoClock& clock);

// One drawn frame at tMs: the spectrum, the clear, the layers in slot order, each updated to tMs
// first when `updateLayers` (otherwise drawn as they were); false (and nothing drawn) when no
// layer is active. Does not swap. Shared by the live loop and the capture mode.
bool drawDemoFrame(DemoApp& app, uint32_t tMs, const float* spectrum, bool updateLayers);

// The F10 overlay: the frame-time graph over the left quarter, and "FPS:  %d" in the title.
void drawFrameTimeGraph(DemoApp& app, platform::Window* window);

}  // namespace qorFramework
