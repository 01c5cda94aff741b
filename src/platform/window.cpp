// SDL2 implementation of the render window, the message pump, key polling and the cursor.
#include "platform/window.h"

#include <SDL.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/gl.h"
#include "platform/system.h"

namespace platform {

struct Window {
  SDL_Window* sdl = nullptr;
  SDL_GLContext context = nullptr;
  WindowProc proc = nullptr;
  std::string title;
  bool closeDelivered = false;  // an SDL window-close became WM_CLOSE; swallow the SDL_QUIT after it
};

static Window* currentWindow = nullptr;
static bool keyStates[256];
static int cursorCounter = 0;
static uint32_t postedEventType = 0;  // SDL user event carrying our posted close and quit messages
static uint32_t mouseButtons = 0;     // MK_ flags of the buttons held

// Starts SDL video when nobody has yet, and registers our posted-message event type once,
// whoever started SDL (the launcher may have).
static bool initVideo() {
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  if (postedEventType == 0) {
    uint32_t type = SDL_RegisterEvents(1);
    if (type != static_cast<uint32_t>(-1)) postedEventType = type;
  }
  return true;
}

// ---- keys ---------------------------------------------------------------------------------

struct KeyMapping {
  int vk;
  SDL_Scancode scancode;
};

static const KeyMapping namedKeys[] = {
    {VK_BACK, SDL_SCANCODE_BACKSPACE}, {VK_TAB, SDL_SCANCODE_TAB},
    {VK_RETURN, SDL_SCANCODE_RETURN},  {VK_RETURN, SDL_SCANCODE_KP_ENTER},
    {VK_SHIFT, SDL_SCANCODE_LSHIFT},   {VK_SHIFT, SDL_SCANCODE_RSHIFT},
    {VK_CONTROL, SDL_SCANCODE_LCTRL},  {VK_CONTROL, SDL_SCANCODE_RCTRL},
    {VK_MENU, SDL_SCANCODE_LALT},      {VK_MENU, SDL_SCANCODE_RALT},
    {VK_ESCAPE, SDL_SCANCODE_ESCAPE},  {VK_SPACE, SDL_SCANCODE_SPACE},
    {VK_PRIOR, SDL_SCANCODE_PAGEUP},   {VK_NEXT, SDL_SCANCODE_PAGEDOWN},
    {VK_END, SDL_SCANCODE_END},        {VK_HOME, SDL_SCANCODE_HOME},
    {VK_LEFT, SDL_SCANCODE_LEFT},      {VK_UP, SDL_SCANCODE_UP},
    {VK_RIGHT, SDL_SCANCODE_RIGHT},    {VK_DOWN, SDL_SCANCODE_DOWN},
    {VK_INSERT, SDL_SCANCODE_INSERT},  {VK_DELETE, SDL_SCANCODE_DELETE},
    {VK_F1 + 0, SDL_SCANCODE_F1},      {VK_F1 + 1, SDL_SCANCODE_F2},
    {VK_F1 + 2, SDL_SCANCODE_F3},      {VK_F1 + 3, SDL_SCANCODE_F4},
    {VK_F1 + 4, SDL_SCANCODE_F5},      {VK_F1 + 5, SDL_SCANCODE_F6},
    {VK_F1 + 6, SDL_SCANCODE_F7},      {VK_F1 + 7, SDL_SCANCODE_F8},
    {VK_F1 + 8, SDL_SCANCODE_F9},      {VK_F1 + 9, SDL_SCANCODE_F10},
    {VK_F1 + 10, SDL_SCANCODE_F11},    {VK_F1 + 11, SDL_SCANCODE_F12},
    {VK_OEM_4, SDL_SCANCODE_LEFTBRACKET}, {VK_OEM_6, SDL_SCANCODE_RIGHTBRACKET},
    {VK_OEM_MINUS, SDL_SCANCODE_MINUS},   {VK_OEM_PERIOD, SDL_SCANCODE_PERIOD},
    {VK_SUBTRACT, SDL_SCANCODE_KP_MINUS}, {VK_DECIMAL, SDL_SCANCODE_KP_PERIOD},
    {VK_NUMPAD0, SDL_SCANCODE_KP_0},      {VK_NUMPAD0 + 1, SDL_SCANCODE_KP_1},
    {VK_NUMPAD0 + 2, SDL_SCANCODE_KP_2},  {VK_NUMPAD0 + 3, SDL_SCANCODE_KP_3},
    {VK_NUMPAD0 + 4, SDL_SCANCODE_KP_4},  {VK_NUMPAD0 + 5, SDL_SCANCODE_KP_5},
    {VK_NUMPAD0 + 6, SDL_SCANCODE_KP_6},  {VK_NUMPAD0 + 7, SDL_SCANCODE_KP_7},
    {VK_NUMPAD0 + 8, SDL_SCANCODE_KP_8},  {VK_NUMPAD0 + 9, SDL_SCANCODE_KP_9},
};

// Letters and digits come from the key code (layout-aware), everything else from the scan code.
static int virtualKeyOf(const SDL_Keysym& key) {
  if (key.sym >= 'a' && key.sym <= 'z') return toupper(key.sym);
  if (key.sym >= '0' && key.sym <= '9') return key.sym;
  for (const KeyMapping& m : namedKeys)
    if (m.scancode == key.scancode) return m.vk;
  return 0;
}

bool isKeyDown(int virtualKey) {
  return virtualKey > 0 && virtualKey < 256 && keyStates[virtualKey];
}

// ---- window -------------------------------------------------------------------------------

void getScreenSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (initVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *width = mode.w;
    *height = mode.h;
  } else {
    *width = 0;
    *height = 0;
  }
}

static void requestContextAttributes() {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
}

// Full screen through a display-mode change. SDL can report success when no mode matched (Xvfb),
// so the mode and drawable size actually obtained decide.
static bool enterFullscreen(SDL_Window* sdl, int width, int height) {
  SDL_DisplayMode wanted = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
  SDL_DisplayMode closest;
  if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return false;
  if (closest.w != width || closest.h != height) return false;
  if (SDL_SetWindowDisplayMode(sdl, &closest) != 0) return false;
  if (SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) != 0) return false;
  SDL_DisplayMode obtained;
  int drawableW = 0, drawableH = 0;
  SDL_GL_GetDrawableSize(sdl, &drawableW, &drawableH);
  bool ok = SDL_GetWindowDisplayMode(sdl, &obtained) == 0 && obtained.w == width &&
            obtained.h == height && drawableW == width && drawableH == height;
  if (!ok) SDL_SetWindowFullscreen(sdl, 0);
  return ok;
}

Window* createWindow(const WindowDesc& desc, WindowOpened* opened) {
  *opened = WindowOpened();
  if (!initVideo()) return nullptr;
  requestContextAttributes();

  int screenW = 0, screenH = 0;
  getScreenSize(&screenW, &screenH);
  int x = screenW / 2 - desc.width / 2;
  int y = screenH / 2 - desc.height / 2;
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (desc.fullscreen) {
    x = 0;
    y = 0;
    flags |= SDL_WINDOW_BORDERLESS;  // the pop-up style, kept when the mode change is refused
  }
  SDL_Window* sdl = SDL_CreateWindow(desc.title, x, y, desc.width, desc.height, flags);
  if (!sdl) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(sdl);
  if (!context) {
    SDL_DestroyWindow(sdl);
    return nullptr;
  }
  SDL_GL_MakeCurrent(sdl, context);
  SDL_GL_SetSwapInterval(1);  // -1 under Xvfb: not fatal

  bool fullscreen = desc.fullscreen && enterFullscreen(sdl, desc.width, desc.height);
  if (desc.fullscreen && !fullscreen) SDL_SetWindowPosition(sdl, 0, 0);
  SDL_ShowWindow(sdl);
  SDL_RaiseWindow(sdl);

  Window* window = new Window;
  window->sdl = sdl;
  window->context = context;
  window->proc = desc.proc;
  window->title = desc.title ? desc.title : "";
  currentWindow = window;
  memset(keyStates, 0, sizeof(keyStates));
  mouseButtons = 0;
  opened->fullscreen = fullscreen;
  SDL_GL_GetDrawableSize(sdl, &opened->clientWidth, &opened->clientHeight);
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(sdl), &mode) == 0) {
    opened->screenWidth = mode.w;
    opened->screenHeight = mode.h;
  }
  return window;
}

void destroyWindow(Window* window) {
  if (!window) return;
  SDL_SetWindowFullscreen(window->sdl, 0);  // restores the desktop mode
  SDL_GL_MakeCurrent(window->sdl, nullptr);
  SDL_GL_DeleteContext(window->context);
  SDL_DestroyWindow(window->sdl);
  if (currentWindow == window) currentWindow = nullptr;
  delete window;
}

void swapBuffers(Window* window) {
  if (window) SDL_GL_SwapWindow(window->sdl);
}

void setWindowTitle(Window* window, const char* title) {
  if (!window) return;
  window->title = title ? title : "";
  SDL_SetWindowTitle(window->sdl, window->title.c_str());
}

const char* windowTitle(Window* window) { return window ? window->title.c_str() : ""; }

void getClientSize(Window* window, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (window) SDL_GL_GetDrawableSize(window->sdl, width, height);
}

// ---- message pump -------------------------------------------------------------------------

enum PostedKind { PostedClose = 1, PostedQuit = 2 };

// A posted close names its window by SDL window id, not by pointer: a close still queued when
// its window is destroyed must find no window (rather than freed memory, or a new window that
// took the same address) when it is finally taken.
static void postEvent(PostedKind kind, Window* window, int code) {
  if (!initVideo()) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = postedEventType;
  event.user.code = kind;
  event.user.windowID = window ? SDL_GetWindowID(window->sdl) : 0;
  event.user.data2 = reinterpret_cast<void*>(static_cast<intptr_t>(code));
  SDL_PushEvent(&event);
}

void postCloseMessage(Window* window) { postEvent(PostedClose, window, 0); }
void postQuitMessage(int exitCode) { postEvent(PostedQuit, nullptr, exitCode); }

static uint32_t keyLParam(const SDL_KeyboardEvent& key, bool down) {
  uint32_t lParam = 1u | (static_cast<uint32_t>(key.keysym.scancode & 0xFF) << 16);
  if (key.repeat) lParam |= 1u << 30;
  if (!down) lParam |= (1u << 30) | (1u << 31);
  return lParam;
}

static uint32_t mouseFlags() {
  uint32_t flags = mouseButtons;
  if (keyStates[VK_SHIFT]) flags |= MK_SHIFT;
  if (keyStates[VK_CONTROL]) flags |= MK_CONTROL;
  return flags;
}

static uint32_t buttonFlag(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
  }
}

static uint32_t buttonMessage(uint8_t button, bool down) {
  switch (button) {
    case SDL_BUTTON_LEFT: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
  }
}

// Turns one SDL event into a message; false when the event has no message of its own.
// A quit or close message posted through SDL's user events.
static bool translatePosted(const SDL_Event& event, Window* w, Message* out) {
  if (event.user.code == PostedQuit) {
    *out = {nullptr, WM_QUIT, static_cast<uint32_t>(reinterpret_cast<intptr_t>(event.user.data2)), 0};
    return true;
  }
  bool forCurrent = w && event.user.windowID != 0 && event.user.windowID == SDL_GetWindowID(w->sdl);
  out->message = WM_CLOSE;
  return forCurrent;
}

// SDL sends a window close and then SDL_QUIT when the last window closes: one WM_CLOSE.
static bool translateQuit(Window* w, Message* out) {
  if (w && w->closeDelivered) {
    w->closeDelivered = false;
    return false;
  }
  out->message = WM_CLOSE;
  return w != nullptr;
}

static bool translateWindowEvent(const SDL_WindowEvent& event, Window* w, Message* out) {
  if (event.event == SDL_WINDOWEVENT_CLOSE && w) {
    w->closeDelivered = true;
    out->message = WM_CLOSE;
    return true;
  }
  if (event.event == SDL_WINDOWEVENT_FOCUS_LOST) {
    memset(keyStates, 0, sizeof(keyStates));
    out->message = WM_KILLFOCUS;
    return w != nullptr;
  }
  return false;
}

static bool translateKey(const SDL_KeyboardEvent& event, bool down, Window* w, Message* out) {
  int vk = virtualKeyOf(event.keysym);
  if (vk == 0) return false;
  keyStates[vk] = down;
  *out = {w, down ? WM_KEYDOWN : WM_KEYUP, static_cast<uint32_t>(vk), keyLParam(event, down)};
  return w != nullptr;
}

static bool translateButton(const SDL_MouseButtonEvent& event, bool down, Window* w, Message* out) {
  uint32_t message = buttonMessage(event.button, down);
  if (message == 0) return false;
  if (down) mouseButtons |= buttonFlag(event.button);
  else mouseButtons &= ~buttonFlag(event.button);
  *out = {w, message, mouseFlags(), packPoint(event.x, event.y)};
  return w != nullptr;
}

static bool translateWheel(const SDL_MouseWheelEvent& event, Window* w, Message* out) {
  int mx = 0, my = 0;
  SDL_GetMouseState(&mx, &my);
  uint32_t delta = static_cast<uint16_t>(static_cast<int16_t>(event.y * 120));
  *out = {w, WM_MOUSEWHEEL, (delta << 16) | mouseFlags(), packPoint(mx, my)};
  return w != nullptr;
}

static bool translateEvent(const SDL_Event& event, Message* out) {
  Window* w = currentWindow;
  *out = {w, 0, 0, 0};
  if (event.type == postedEventType && postedEventType != 0) return translatePosted(event, w, out);
  switch (event.type) {
    case SDL_QUIT: return translateQuit(w, out);
    case SDL_WINDOWEVENT: return translateWindowEvent(event.window, w, out);
    case SDL_KEYDOWN:
    case SDL_KEYUP: return translateKey(event.key, event.type == SDL_KEYDOWN, w, out);
    case SDL_MOUSEMOTION:
      *out = {w, WM_MOUSEMOVE, mouseFlags(), packPoint(event.motion.x, event.motion.y)};
      return w != nullptr;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return translateButton(event.button, event.type == SDL_MOUSEBUTTONDOWN, w, out);
    case SDL_MOUSEWHEEL: return translateWheel(event.wheel, w, out);
    default: return false;
  }
}

// The performance counter when the message last peeked happened, and while it is dispatched.
static uint64_t peekedTime = 0;
static uint64_t dispatchedTime = 0;

// SDL stamps events in milliseconds of SDL_GetTicks: the counter at that moment.
static uint64_t counterAtTicks(uint32_t ticks) {
  uint64_t now = performanceCounter();
  uint32_t age = SDL_GetTicks() - ticks;  // wraps correctly; a stamp from the future reads huge
  if (ticks == 0 || age > 60000u) return now;
  uint64_t back = static_cast<uint64_t>(age) * performanceFrequency() / 1000u;
  return back < now ? now - back : now;
}

uint64_t messageTime() { return dispatchedTime; }

bool peekMessage(Message* out) {
  if (!initVideo()) return false;
  // SDL_PollEvent ends a "poll cycle" at a sentinel it queued when it last pumped, so it can
  // answer 0 while events pushed after that sentinel wait; a second pass reaches them.
  SDL_Event event;
  for (int pass = 0; pass < 2; ++pass) {
    while (SDL_PollEvent(&event)) {
      if (translateEvent(event, out)) {
        peekedTime = counterAtTicks(event.common.timestamp);
        return true;
      }
    }
    if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) break;
  }
  return false;
}

void dispatchMessage(const Message& message) {
  Window* window = message.window;
  if (!window) return;
  dispatchedTime = peekedTime;
  if (window->proc) window->proc(window, message.message, message.wParam, message.lParam);
  dispatchedTime = 0;
  // Default processing: a close takes the window off the screen. The context stays alive until
  // destroyWindow, so the shutdown can still release GL objects.
  if (message.message == WM_CLOSE && window == currentWindow) SDL_HideWindow(window->sdl);
}

void flushMessages() {
  if (!initVideo()) return;
  // Drained through the pump: SDL_FlushEvents would also drop SDL's poll sentinel, after which
  // events pushed later are not returned by the next poll.
  Message ignored;
  while (peekMessage(&ignored)) {
  }
}

// ---- cursor -------------------------------------------------------------------------------

int showCursor(bool show) {
  cursorCounter += show ? 1 : -1;
  if (initVideo()) SDL_ShowCursor(cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCounter;
}

void setCursorPos(int x, int y) {
  if (initVideo()) SDL_WarpMouseGlobal(x, y);
}

// ---- test input ---------------------------------------------------------------------------

static void keyEventFor(int vk, SDL_Keysym* keysym) {
  SDL_zero(*keysym);
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    keysym->sym = (vk >= 'A' && vk <= 'Z') ? tolower(vk) : vk;
    keysym->scancode = SDL_GetScancodeFromKey(keysym->sym);
    return;
  }
  for (const KeyMapping& m : namedKeys) {
    if (m.vk == vk) {
      keysym->scancode = m.scancode;
      keysym->sym = SDL_GetKeyFromScancode(m.scancode);
      return;
    }
  }
}

void injectKey(Window* window, int virtualKey, bool down) {
  if (!initVideo()) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = window ? SDL_GetWindowID(window->sdl) : 0;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  keyEventFor(virtualKey, &event.key.keysym);
  SDL_PushEvent(&event);
}

void injectMouseMove(Window* window, int x, int y) {
  if (!initVideo()) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = window ? SDL_GetWindowID(window->sdl) : 0;
  event.motion.x = x;
  event.motion.y = y;
  SDL_PushEvent(&event);
}

void injectMouseButton(Window* window, int button, bool down, int x, int y) {
  if (!initVideo()) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = window ? SDL_GetWindowID(window->sdl) : 0;
  event.button.button = static_cast<uint8_t>(button);
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  event.button.x = x;
  event.button.y = y;
  SDL_PushEvent(&event);
}

void injectWindowClose(Window* window) {
  if (!initVideo() || !window) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = SDL_GetWindowID(window->sdl);
  SDL_PushEvent(&event);
  SDL_zero(event);
  event.type = SDL_QUIT;
  SDL_PushEvent(&event);
}

}  // namespace platform
