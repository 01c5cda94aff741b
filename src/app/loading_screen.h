// The loading screen: shows one full-screen picture while every registered layer runs its
// one-time init, in registration order, and decides whether the demo may start.
// Depends on: the layer registry (timeline/schedule.h), the texture manager and screen quad
// (gfx), the render window (buffer swap, cursor).
#pragma once

#include <cstdint>

#include "gfx/texture.h"
#include "timeline/controller.h"
#include "timeline/schedule.h"

namespace platform {
struct Window;
}

namespace qorFramework {

class GL_TextureManager;

class LoadingScreen {
 public:
  virtual ~LoadingScreen() = default;

  // Runs every layer's init with `textures` and `controllers`, each after its share of progress
  // frames and a 2-second pause; stops at the first init that fails. True (and *appState = 1)
  // when every init succeeded or no layer is registered; otherwise *appState is unchanged.
  // Needs the window's context current. pacing false skips every sleep (offline capture, tests)
  // but draws and swaps the same frames. Pumps no window messages.
  bool run(platform::Window* window, LayerTimeline& timeline, GL_TextureManager* textures,
           ControllerList* controllers, AppState* appState, bool pacing = true);

  GL_Texture* picture = nullptr;  // owned by the texture manager; null when it could not be loaded
  uint32_t framesSwapped = 0;     // buffer swaps made by the last run
};

}  // namespace qorFramework
