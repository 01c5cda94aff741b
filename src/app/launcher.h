// The launcher: a small window shown before the render window opens, in which the viewer picks
// one of seven resolutions and full-screen or windowed play, then launches the demo or leaves.
// Owns, while runLauncher runs: its tool window (with its own GL context) and a Dear ImGui
// context; both are gone when it returns. Depends on the platform's tool window and on Dear
// ImGui (its widgets and its OpenGL2 backend) directly.
#pragma once

#include <cstdint>

namespace qorFramework {

struct LaunchSettings {
  bool cancelled = true;  // true unless "launch" was pressed with a resolution selected
  int32_t width = 0;      // the chosen resolution in pixels
  int32_t height = 0;
  bool fullscreen = false;  // the "fullscreen" box when "launch" was pressed
};

// The resolution list, in list order.
struct LauncherResolution {
  const char* text;
  int32_t width, height;
};
const int kLauncherResolutionCount = 7;
extern const LauncherResolution launcherResolutions[kLauncherResolutionCount];

// What a test sees at the start of each launcher frame, before that frame's events are read.
struct LauncherFrame {
  int index;          // frames since the window opened, from 0
  uint32_t windowId;  // the window's SDL id, for synthetic events
  bool listOpen;      // the resolution list was dropped down in the previous frame
  // Centres of the list's items in client pixels, valid while listOpen.
  int itemX[kLauncherResolutionCount], itemY[kLauncherResolutionCount];
};

struct LauncherHooks {
  void (*onFrame)(const LauncherFrame& frame, void* user);
  void* user;
};

// Shows the launcher until the viewer launches ("launch", Return, keypad Enter) or leaves
// ("exit", the close box, Escape).
// `hooks` may be null. A window that cannot be opened counts as a cancel (with an ERROR line).
LaunchSettings runLauncher(const LauncherHooks* hooks = nullptr);

}  // namespace qorFramework
