#include "app/gl_window.h"

#include "platform/trace.h"
#include "platform/gl.h"

namespace qorFramework {

Viewport letterbox(int32_t width, int32_t height, float aspect) {
  Viewport v;
  v.width = width;
  v.height = static_cast<int32_t>(static_cast<float>(width) / aspect);
  v.x = 0;
  v.y = (height - v.height) / 2;  // integer division toward zero, as the table expects
  return v;
}

GL_Window::~GL_Window() {
  if (open) destroy();
}

bool GL_Window::create(const char* newTitle, int32_t newWidth, int32_t newHeight, float newAspect,
                       bool wantFullscreen, platform::WindowProc newProc) {
  if (open) destroy();

  platform::WindowDesc desc = {newTitle, newWidth, newHeight, wantFullscreen, newProc};
  platform::WindowOpened opened;
  handle = platform::createWindow(desc, &opened);
  if (!handle) {
    trace(TRACE_ERROR, "renderWindow", "unable to create a %d x %d window with an OpenGL context",
          newWidth, newHeight);
    return false;
  }
  bool obtained = opened.fullscreen;
  if (wantFullscreen && !obtained)
    trace(TRACE_WARNING, "renderWindow",
          "the display refused full screen at %d x %d; playing in a borderless %d x %d window on the %d x %d "
          "desktop",
          newWidth, newHeight, opened.clientWidth, opened.clientHeight, opened.screenWidth, opened.screenHeight);
  // Full screen hides the pointer: the display counter goes negative (at most 101 calls).
  if (obtained) {
    for (int calls = 0; calls < 101; ++calls)
      if (platform::showCursor(false) < 0) break;
  }

  open = true;
  height = newHeight;
  proc = newProc;
  width = newWidth;
  fullscreen = obtained;
  title = newTitle ? newTitle : "";
  aspect = newAspect;

  viewport = letterbox(width, height, aspect);
  glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, aspect, 0.1, 100.0);
  glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  return open;
}

bool GL_Window::destroy() {
  if (!open) return false;
  platform::showCursor(true);
  platform::destroyWindow(handle);  // restores the desktop mode in every mode
  handle = nullptr;
  open = false;
  height = width = 0;
  viewport.width = viewport.height = 0;
  aspect = 0.0f;
  fullscreen = false;
  proc = nullptr;
  title = "";
  return true;
}

}  // namespace qorFramework
