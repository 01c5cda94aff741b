// ToolWindow: a small OpenGL window of its own for a dialog drawn with Dear ImGui (the
// launcher), with ImGui's SDL2 backend run on it and its events turned into plain records.
// Owns, between openToolWindow and closeToolWindow: the window and its GL context (current from
// open to close). ImGui's context itself belongs to the caller, as do its widgets and its
// OpenGL2 renderer.
// Depends on SDL2 and Dear ImGui's SDL2 backend.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ToolWindow;  // opaque

// Opens a hidden window of `width` x `height` client pixels in the middle of the screen, with a
// double-buffered full-colour GL context made current. Null, with `whyNot` (may be null) saying
// why, when it cannot be made.
ToolWindow* openToolWindow(const char* title, int width, int height, std::string* whyNot);
// Shows and raises the window.
void showToolWindow(ToolWindow* window);
// Releases the context and the window, then discards the window events they left behind (the
// quit that follows closing the last window, focus and pointer events) so that they never reach
// the render window's message pump; posted user events are kept.
void closeToolWindow(ToolWindow* window);
// The window's SDL id (tests address synthetic events to it).
uint32_t toolWindowId(const ToolWindow* window);
void swapToolWindow(ToolWindow* window);

// Dear ImGui's SDL2 backend on this window: start after ImGui::CreateContext, a new frame before
// each ImGui::NewFrame, stop before ImGui::DestroyContext.
void startImGuiOnToolWindow(ToolWindow* window);
void newImGuiFrameOnToolWindow();
void stopImGuiOnToolWindow();

// What happened to a tool window, one event at a time.
enum class ToolEventKind { Other, Quit, Close, PointerLeft, Escape, Enter, PointerMoved, ButtonDown, ButtonUp };
struct ToolEvent {
  ToolEventKind kind = ToolEventKind::Other;
  float x = 0.0f, y = 0.0f;  // pointer events: client pixels
  int button = -1;           // button events: 0 left, 1 right, 2 middle, -1 another
};

// Takes one queued event (fed to ImGui's backend as well); false when none is queued. Events
// of other windows come back as Other, except the quit event.
bool pollToolEvent(ToolWindow* window, ToolEvent* event);

}  // namespace platform
