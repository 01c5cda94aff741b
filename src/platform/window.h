// The render window and its OpenGL context, the message pump, key polling and the cursor,
// on SDL2. SDL events come out of the pump as Windows-style (message, wParam, lParam) triples
// (win_codes.h) and are dispatched to the window procedure the window was created with.
// One process has at most one render window at a time; all calls are main-thread only.
#pragma once

#include <cstdint>

#include "platform/win_codes.h"

namespace platform {

struct Window;  // opaque; owned by the platform layer between createWindow and destroyWindow

// A window procedure sees every message dispatched to its window.
using WindowProc = void (*)(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);

struct WindowDesc {
  const char* title;
  int width, height;  // requested client size in pixels
  bool fullscreen;    // ask for a display-mode change to width x height
  WindowProc proc;
};

// What createWindow obtained. When a full-screen request was refused, the window is
// borderless at (0, 0) with the requested client size on the unchanged desktop.
struct WindowOpened {
  bool fullscreen = false;                // the display mode really changed to the request
  int clientWidth = 0, clientHeight = 0;  // the window's drawable size in pixels
  int screenWidth = 0, screenHeight = 0;  // the display mode in effect afterwards
};

// Creates the window with an OpenGL 2.1+ compatibility context (double-buffered, RGBA 8-8-8-8,
// 24-bit depth) and makes the context current; `opened` says what was obtained. Returns null
// when SDL cannot make a window or context.
Window* createWindow(const WindowDesc& desc, WindowOpened* opened);
// Restores the desktop mode, deletes the context and the window.
void destroyWindow(Window* window);

void swapBuffers(Window* window);
void setWindowTitle(Window* window, const char* title);
const char* windowTitle(Window* window);
void getClientSize(Window* window, int* width, int* height);
void getScreenSize(int* width, int* height);

// The message pump. peekMessage takes at most one message without waiting; false when none.
struct Message {
  Window* window;  // null for the quit message
  uint32_t message, wParam, lParam;
};
bool peekMessage(Message* out);
// Calls the window procedure, then the default processing (a close hides the window).
void dispatchMessage(const Message& message);
// While a window procedure runs for a dispatched message: the performance counter when its
// event happened (a key press waiting in the queue behind a slow frame is older than now).
// 0 outside a dispatch, e.g. when a test calls a procedure directly.
uint64_t messageTime();
// Queue a close message for the window, or the quit message with an exit code; both are seen
// at a later peekMessage, after the events already queued.
void postCloseMessage(Window* window);
void postQuitMessage(int exitCode);
// Discards every pending message (tests start from a clean queue).
void flushMessages();

// Key state for a virtual key, kept from the key messages the pump has taken (the stand-in for
// GetAsyncKeyState). Cleared when the window loses the focus.
bool isKeyDown(int virtualKey);

// Win32-style display counter: show adds one, hide subtracts one; the cursor is visible while
// the counter is 0 or more. Returns the new counter.
int showCursor(bool show);
// Moves the pointer to screen coordinates.
void setCursorPos(int x, int y);

// Test input: queues the SDL events a real key or pointer would produce, so they go through the
// same translation as user input.
void injectKey(Window* window, int virtualKey, bool down);
void injectMouseMove(Window* window, int x, int y);
void injectMouseButton(Window* window, int button /*1 left, 2 middle, 3 right*/, bool down, int x, int y);
void injectWindowClose(Window* window);

}  // namespace platform
