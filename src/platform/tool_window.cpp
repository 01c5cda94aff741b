#include "platform/tool_window.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>

#include "platform/window.h"

namespace platform {

struct ToolWindow {
  SDL_Window* sdl = nullptr;
  SDL_GLContext context = nullptr;
  uint32_t id = 0;
};

ToolWindow* openToolWindow(const char* title, int width, int height, std::string* whyNot) {
  // Through the window module first, so SDL video is set up the way the render window expects.
  int screenW = 0, screenH = 0;
  getScreenSize(&screenW, &screenH);
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    if (whyNot) *whyNot = SDL_GetError();
    return nullptr;
  }
  // SDL's defaults give a double-buffered OpenGL 2.1 context; ask for full colour on top.
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  ToolWindow* window = new ToolWindow;
  int x = screenW / 2 - width / 2, y = screenH / 2 - height / 2;
  window->sdl = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window->sdl) window->context = SDL_GL_CreateContext(window->sdl);
  if (!window->context) {
    if (whyNot) *whyNot = SDL_GetError();
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    delete window;
    return nullptr;
  }
  SDL_GL_MakeCurrent(window->sdl, window->context);
  SDL_GL_SetSwapInterval(1);  // may fail (Xvfb): idle frames sleep anyway
  window->id = SDL_GetWindowID(window->sdl);
  return window;
}

void showToolWindow(ToolWindow* window) {
  SDL_ShowWindow(window->sdl);
  SDL_RaiseWindow(window->sdl);
}

void closeToolWindow(ToolWindow* window) {
  if (!window) return;
  SDL_GL_MakeCurrent(window->sdl, nullptr);
  SDL_GL_DeleteContext(window->context);
  SDL_DestroyWindow(window->sdl);
  delete window;
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_USEREVENT - 1);
}

uint32_t toolWindowId(const ToolWindow* window) { return window ? window->id : 0; }

void swapToolWindow(ToolWindow* window) { SDL_GL_SwapWindow(window->sdl); }

void startImGuiOnToolWindow(ToolWindow* window) {
  ImGui_ImplSDL2_InitForOpenGL(window->sdl, window->context);
}
void newImGuiFrameOnToolWindow() { ImGui_ImplSDL2_NewFrame(); }
void stopImGuiOnToolWindow() { ImGui_ImplSDL2_Shutdown(); }

static int buttonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

static ToolEventKind windowEventKind(const SDL_WindowEvent& event, uint32_t id) {
  if (event.windowID != id) return ToolEventKind::Other;
  if (event.event == SDL_WINDOWEVENT_CLOSE) return ToolEventKind::Close;
  if (event.event == SDL_WINDOWEVENT_LEAVE) return ToolEventKind::PointerLeft;
  return ToolEventKind::Other;
}

static ToolEventKind keyEventKind(const SDL_KeyboardEvent& event, uint32_t id) {
  if (event.windowID != id && event.windowID != 0) return ToolEventKind::Other;
  SDL_Scancode key = event.keysym.scancode;
  if (key == SDL_SCANCODE_ESCAPE) return ToolEventKind::Escape;
  if (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER) return ToolEventKind::Enter;
  return ToolEventKind::Other;
}

static void translateEvent(const SDL_Event& sdl, uint32_t id, ToolEvent* event) {
  *event = ToolEvent();
  switch (sdl.type) {
    case SDL_QUIT: event->kind = ToolEventKind::Quit; break;
    case SDL_WINDOWEVENT: event->kind = windowEventKind(sdl.window, id); break;
    case SDL_KEYDOWN: event->kind = keyEventKind(sdl.key, id); break;
    case SDL_MOUSEMOTION:
      if (sdl.motion.windowID != id) break;
      event->kind = ToolEventKind::PointerMoved;
      event->x = static_cast<float>(sdl.motion.x);
      event->y = static_cast<float>(sdl.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (sdl.button.windowID != id) break;
      event->kind = sdl.type == SDL_MOUSEBUTTONDOWN ? ToolEventKind::ButtonDown : ToolEventKind::ButtonUp;
      event->x = static_cast<float>(sdl.button.x);
      event->y = static_cast<float>(sdl.button.y);
      event->button = buttonIndex(sdl.button.button);
      break;
    default: break;
  }
}

bool pollToolEvent(ToolWindow* window, ToolEvent* event) {
  SDL_Event sdl;
  if (!SDL_PollEvent(&sdl)) return false;
  ImGui_ImplSDL2_ProcessEvent(&sdl);
  translateEvent(sdl, window->id, event);
  return true;
}

}  // namespace platform
