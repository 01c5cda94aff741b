// The launcher window, drawn with Dear ImGui on its own SDL window and GL context.
//
// Controls (client pixels, as laid out in the original dialog):
//   "launch" button (10, 25) 175 x 25, "exit" button (10, 60) 175 x 25,
//   resolution list (10, 95) 175 wide, "fullscreen" check box (10, 150).
// The loop runs until "launch" (or Return, keypad Enter), "exit", the close box or Escape; idle
// frames sleep 10 ms.
#include "app/launcher.h"

#include <SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

#include <cfloat>
#include <cstring>
#include <string>

#include "platform/trace.h"
#include "platform/gl.h"
#include "platform/system.h"
#include "platform/window.h"

namespace qorFramework {

const LauncherResolution launcherResolutions[kLauncherResolutionCount] = {
    {"640x480 (4:3)", 640, 480},       {"800x600 (4:3)", 800, 600},
    {"1280x1024 (5:4)", 1280, 1024},   {"1280x720 (16:9)", 1280, 720},
    {"1680x1050 (16:10)", 1680, 1050}, {"1920x1080 (16:9)", 1920, 1080},
    {"1920x1200 (16:10)", 1920, 1200},
};

namespace {

const char* const kSource = "launcher";
const char* const kTitle = "dovrix-2012";
const int kWindowSize = 200;
const int kInitialSelection = 4;  // "1680x1050 (16:10)"
const char* const kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const float kFontPixels = 16.0f;
const uint32_t kIdleSleepMs = 10;

// The result survives here after the window is gone.
LaunchSettings launchSettings;

struct LauncherWindow {
  SDL_Window* sdl = nullptr;
  SDL_GLContext context = nullptr;
  uint32_t id = 0;
};

// The pointer as SDL events report it. ImGui 1.86's SDL backend reads SDL's global mouse state
// instead, which events pushed by tests (and some window managers) never update, so the
// launcher feeds ImGui from here. `pressed` keeps a press that was released within one frame.
struct Pointer {
  float x = -FLT_MAX, y = -FLT_MAX;
  bool held[3] = {false, false, false};
  bool pressed[3] = {false, false, false};
};

enum class Action { None, Launch, Exit };

struct LauncherState {
  int selected = kInitialSelection;
  bool fullscreen = true;
  bool done = false;
  bool launchKey = false;  // Return or keypad Enter: "launch" with the choices shown
  Pointer pointer;
  LauncherFrame frame = {};
};

// ---- window and context -------------------------------------------------------------------

bool openWindow(LauncherWindow* window) {
  // Through the platform layer first, so SDL video is set up the way the render window expects.
  int screenW = 0, screenH = 0;
  platform::getScreenSize(&screenW, &screenH);
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;

  // SDL's defaults give a double-buffered OpenGL 2.1 context; ask for full colour on top.
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);

  int x = screenW / 2 - kWindowSize / 2, y = screenH / 2 - kWindowSize / 2;
  window->sdl = SDL_CreateWindow(kTitle, x, y, kWindowSize, kWindowSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window->sdl) return false;
  window->context = SDL_GL_CreateContext(window->sdl);
  if (!window->context) {
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
    return false;
  }
  SDL_GL_MakeCurrent(window->sdl, window->context);
  SDL_GL_SetSwapInterval(1);  // may fail (Xvfb): idle frames sleep anyway
  window->id = SDL_GetWindowID(window->sdl);
  return true;
}

void closeWindow(LauncherWindow& window) {
  SDL_GL_MakeCurrent(window.sdl, nullptr);
  SDL_GL_DeleteContext(window.context);
  SDL_DestroyWindow(window.sdl);
  window = LauncherWindow();
}

// Events the launcher's window left behind (the SDL_QUIT that follows closing the last window,
// focus and mouse events) must not reach the render window's message pump. Posted user events
// are kept.
void discardWindowEvents() {
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_USEREVENT - 1);
}

// ---- Dear ImGui ---------------------------------------------------------------------------

// DejaVu Sans at 16 px when the file is there, else ImGui's built-in font. The atlas takes
// ownership of the bytes.
void loadFont() {
  ImGuiIO& io = ImGui::GetIO();
  std::string font;
  if (platform::readWholeFile(kFontPath, &font) && !font.empty()) {
    void* bytes = IM_ALLOC(font.size());
    memcpy(bytes, font.data(), font.size());
    if (io.Fonts->AddFontFromMemoryTTF(bytes, static_cast<int>(font.size()), kFontPixels)) return;
    IM_FREE(bytes);
  }
  trace(TRACE_INFO, kSource, "%s not available; using the built-in font", kFontPath);
  io.Fonts->AddFontDefault();
}

void applyStyle() {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowBorderSize = 0.0f;
  style.WindowRounding = 0.0f;
  style.FramePadding = ImVec2(8.0f, 4.0f);  // frame height 24 with the 16 px font
  style.FrameRounding = 3.0f;
  style.PopupRounding = 3.0f;
  style.ItemSpacing = ImVec2(8.0f, 4.0f);
  style.Colors[ImGuiCol_WindowBg] = ImVec4(0.11f, 0.12f, 0.14f, 1.0f);
  style.Colors[ImGuiCol_PopupBg].w = 1.0f;  // the list hides what lies under it
}

void startImGui(const LauncherWindow& window) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // no imgui.ini beside the resources
  io.LogFilename = nullptr;
  applyStyle();
  loadFont();
  ImGui_ImplSDL2_InitForOpenGL(window.sdl, window.context);
  ImGui_ImplOpenGL2_Init();
}

// Needs the launcher's context current: the backend deletes its font texture.
void stopImGui() {
  ImGui_ImplOpenGL2_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
}

// ---- events -------------------------------------------------------------------------------

int imguiButton(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

void handlePointer(Pointer& pointer, const SDL_Event& event) {
  if (event.type == SDL_MOUSEMOTION) {
    pointer.x = static_cast<float>(event.motion.x);
    pointer.y = static_cast<float>(event.motion.y);
    return;
  }
  pointer.x = static_cast<float>(event.button.x);
  pointer.y = static_cast<float>(event.button.y);
  int button = imguiButton(event.button.button);
  if (button < 0) return;
  bool down = event.type == SDL_MOUSEBUTTONDOWN;
  pointer.held[button] = down;
  if (down) pointer.pressed[button] = true;
}

void handleEvent(LauncherState& state, const SDL_Event& event, uint32_t windowId) {
  ImGui_ImplSDL2_ProcessEvent(&event);
  switch (event.type) {
    case SDL_QUIT:
      state.done = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != windowId) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) state.done = true;
      if (event.window.event == SDL_WINDOWEVENT_LEAVE) state.pointer.x = state.pointer.y = -FLT_MAX;
      break;
    case SDL_KEYDOWN: {
      if (event.key.windowID != windowId && event.key.windowID != 0) break;
      SDL_Scancode key = event.key.keysym.scancode;
      if (key == SDL_SCANCODE_ESCAPE) state.done = true;
      if (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER) state.launchKey = true;
      break;
    }
    case SDL_MOUSEMOTION:
      if (event.motion.windowID == windowId) handlePointer(state.pointer, event);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.windowID == windowId) handlePointer(state.pointer, event);
      break;
    default:
      break;
  }
}

// Takes every queued event; true when there was any.
bool pumpEvents(LauncherState& state, uint32_t windowId) {
  bool any = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    handleEvent(state, event, windowId);
    any = true;
  }
  return any;
}

void feedPointer(Pointer& pointer) {
  ImGuiIO& io = ImGui::GetIO();
  io.MousePos = ImVec2(pointer.x, pointer.y);
  for (int i = 0; i < 3; ++i) {
    io.MouseDown[i] = pointer.held[i] || pointer.pressed[i];
    pointer.pressed[i] = false;
  }
}

// ---- drawing ------------------------------------------------------------------------------

void drawResolutionList(LauncherState& state) {
  bool valid = state.selected >= 0 && state.selected < kLauncherResolutionCount;
  const char* preview = valid ? launcherResolutions[state.selected].text : "";
  ImGui::SetCursorPos(ImVec2(10, 95));
  ImGui::SetNextItemWidth(175);
  state.frame.listOpen = ImGui::BeginCombo("##resolution", preview);
  if (!state.frame.listOpen) return;
  for (int i = 0; i < kLauncherResolutionCount; ++i) {
    bool isSelected = i == state.selected;
    if (ImGui::Selectable(launcherResolutions[i].text, isSelected)) state.selected = i;
    if (isSelected) ImGui::SetItemDefaultFocus();
    ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    state.frame.itemX[i] = static_cast<int>((min.x + max.x) / 2);
    state.frame.itemY[i] = static_cast<int>((min.y + max.y) / 2);
  }
  ImGui::EndCombo();
}

// One full-window ImGui window whose origin is the client area's, so the cursor positions below
// are client pixels.
Action drawControls(LauncherState& state) {
  Action action = Action::None;
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::Begin("launcher", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoScrollWithMouse);
  ImGui::PopStyleVar();

  ImGui::SetCursorPos(ImVec2(10, 25));
  if (ImGui::Button("launch", ImVec2(175, 25))) action = Action::Launch;
  ImGui::SetCursorPos(ImVec2(10, 60));
  if (ImGui::Button("exit", ImVec2(175, 25))) action = Action::Exit;
  drawResolutionList(state);
  ImGui::SetCursorPos(ImVec2(10, 150));
  ImGui::Checkbox("fullscreen", &state.fullscreen);

  ImGui::End();
  return action;
}

void drawFrame(LauncherState& state, const LauncherWindow& window, Action* action) {
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  feedPointer(state.pointer);
  ImGui::NewFrame();
  *action = drawControls(state);
  ImGui::Render();

  const ImGuiIO& io = ImGui::GetIO();
  glViewport(0, 0, static_cast<int>(io.DisplaySize.x * io.DisplayFramebufferScale.x),
             static_cast<int>(io.DisplaySize.y * io.DisplayFramebufferScale.y));
  const ImVec4& background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
  glClearColor(background.x, background.y, background.z, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  SDL_GL_SwapWindow(window.sdl);
}

// "launch": the box's state and the selected size; no selection is a cancel.
void applyLaunch(const LauncherState& state) {
  launchSettings.cancelled = false;
  launchSettings.fullscreen = state.fullscreen;
  if (state.selected >= 0 && state.selected < kLauncherResolutionCount) {
    launchSettings.width = launcherResolutions[state.selected].width;
    launchSettings.height = launcherResolutions[state.selected].height;
  } else {
    launchSettings.cancelled = true;
  }
}

void runLoop(LauncherState& state, const LauncherWindow& window, const LauncherHooks* hooks) {
  state.frame.windowId = window.id;
  while (!state.done) {
    if (hooks && hooks->onFrame) hooks->onFrame(state.frame, hooks->user);
    bool hadEvents = pumpEvents(state, window.id);
    if (state.done) break;  // close box, Escape: cancelled stays set
    if (state.launchKey) {
      applyLaunch(state);
      break;
    }
    Action action = Action::None;
    drawFrame(state, window, &action);
    if (action == Action::Launch) applyLaunch(state);
    if (action != Action::None) state.done = true;
    ++state.frame.index;
    if (!hadEvents && !state.done) SDL_Delay(kIdleSleepMs);
  }
}

}  // namespace

LaunchSettings runLauncher(const LauncherHooks* hooks) {
  launchSettings = LaunchSettings();  // cancelled until "launch"
  LauncherWindow window;
  if (!openWindow(&window)) {
    trace(TRACE_ERROR, kSource, "cannot open the launcher window: %s", SDL_GetError());
    return launchSettings;
  }
  startImGui(window);
  SDL_ShowWindow(window.sdl);
  SDL_RaiseWindow(window.sdl);

  LauncherState state;
  runLoop(state, window, hooks);

  stopImGui();
  closeWindow(window);
  discardWindowEvents();
  return launchSettings;
}

}  // namespace qorFramework
