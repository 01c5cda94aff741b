// GL_Window: the demo's one render window, its OpenGL context and the display-mode change for
// full screen. The picture is letterboxed to a fixed aspect through the viewport; the window
// itself always has the size the viewer chose.
// Depends on: platform/window.h (SDL underneath), the trace log.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace qorFramework {

// The letterboxed picture rectangle for a window: full width, height = width / aspect
// (truncated), centred vertically (y is negative when the picture is taller than the window).
struct Viewport {
  int32_t x, y, width, height;
};
Viewport letterbox(int32_t width, int32_t height, float aspect);

class GL_Window {
 public:
  virtual ~GL_Window();

  // Opens the window with a current GL context, sets the letterboxed viewport and a 45-degree
  // perspective. A refused display-mode change falls back to a borderless window at (0, 0),
  // with a WARNING naming the mode asked for and the window opened instead.
  // False (with an ERROR trace) when no window or context could be made at all.
  bool create(const char* title, int32_t width, int32_t height, float aspect, bool fullscreen,
              platform::WindowProc proc);
  // Restores the desktop, shows the cursor once, deletes the context and the window.
  // False when the window was not open.
  bool destroy();

  bool open = false;
  int32_t height = 0, width = 0;
  Viewport viewport = {0, 0, 0, 0};
  float aspect = 0.0f;
  bool fullscreen = false;  // the mode actually in effect
  platform::WindowProc proc = nullptr;
  platform::Window* handle = nullptr;
  std::string title;
};

}  // namespace qorFramework
