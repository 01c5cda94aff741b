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
#include "timeline/show_clock.h"

namespace qorFramework {

class GL_TextureManager;
class SyncEditor;

constexpr uint32_t kFrameTimeCount = 250;

struct FpsCounter {
  int32_t frames = 0;
  int32_t lastFps = 0;
  float accumulated = 0.0f;
};

struct DemoApp {
  AppState appState = kStateSettingUp;
  LayerTimeline timeline;
  ShowClock clock;  // written only through show_clock.h; its span is the part that plays
  ControllerList* controllers = nullptr;        // shared with every layer; lives to process end
  GL_TextureManager* textureManager = nullptr;  // owned; deleted by the loop's shutdown
  MusicStream* music = nullptr;                 // lives in the entry function's frame
  float frameTimes[kFrameTimeCount] = {};
  uint32_t frameCursor = 0;
  platform::Window* window = nullptr;           // stored when the main loop starts
  FpsCounter fps;
  SyncEditor* editor = nullptr;  // owned when attached; null: no editor code runs
  // Demo ms the controllers and layers were last brought to. While the editor pauses the show
  // they stand still, until a seek moves the demo time away from this.
  uint32_t shownMs = 0;
};

// The window procedure of the render window: Escape closes, close quits, every message goes to
// an attached editor and then to the active layers. It acts on the record given to
// setWindowProcApp.
void renderWindowProc(platform::Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);
void setWindowProcApp(DemoApp* app);

// Starts the show on a loaded record (state 1 becomes 2): remembers the window, sets up the
// shared blur at its size, starts the clock at the time line's start (the music set to 0 around
// it) and initialises an attached editor (showing the cursor first when `live`). Shared by live
// play and the offline loop of capture, benchmark and video. False, with nothing started, unless
// the state was 1.
bool beginShow(DemoApp& app, platform::Window* window, bool live);

// One frame of the show, as live play and the offline loop both draw it.
struct ShowFrame {
  uint32_t tMs = 0;                // the demo millisecond shown
  const float* spectrum = nullptr;  // the music's 512 magnitudes at that time; null: none
  bool bringToTime = true;         // evaluate the controllers at tMs and update the layers
  bool live = false;               // live play: a frame with no active layer draws nothing more
  bool frameGraph = false;         // draw the F10 frame-time graph over the layers
};

// Draws `frame` without swapping: the controllers brought to its time (when asked), the layers in
// slot order, the frame-time graph, then an attached editor's overlay. False when no layer was
// active: the picture is black (and, live, nothing else was drawn).
bool renderShowFrame(DemoApp& app, const ShowFrame& frame);

// Runs the show from app.clock.span's start until its end (the time line's end at most), the
// quit message arrives or the state becomes 4, then shuts the layers, the shared blur and the
// texture manager down. Returns at once unless the state is 1 (loaded).
void runMainLoop(DemoApp& app, platform::Window* window);

// The shutdown after the loop: every layer's shutdown and deletion in registration order, the
// shared blur, an attached editor (released, then deleted), the texture manager (its GL
// textures released first). The controllers stay.
void shutdownDemo(DemoApp& app);

// One drawn frame at tMs: the spectrum, the clear, the layers in slot order, each updated to tMs
// first when `updateLayers` (otherwise drawn as they were); false (and nothing drawn) when no
// layer is active. Does not swap. Shared by the live loop and the capture mode.
bool drawDemoFrame(DemoApp& app, uint32_t tMs, const float* spectrum, bool updateLayers);

// The F10 overlay: the frame-time graph over the left quarter, and "FPS:  %d" in the title.
void drawFrameTimeGraph(DemoApp& app, platform::Window* window);

}  // namespace qorFramework
