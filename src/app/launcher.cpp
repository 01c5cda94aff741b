// The launcher window, drawn with Dear ImGui on a tool window of its own (platform/tool_window.h).
//
// Controls (client pixels, as laid out in the original dialog):
//   "launch" button (10, 25) 175 x 25, "exit" button (10, 60) 175 x 25,
//   resolution list (10, 95) 175 wide, "fullscreen" check box (10, 150).
// The loop runs until "launch" (or Return, keypad Enter), "exit", the close box or Escape; idle
// frames sleep 10 ms.
#include "app/launcher.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <cfloat>
#include <cstring>
#include <string>

#include "platform/gl.h"
#include "platform/system.h"
#include "platform/tool_window.h"
#include "platform/trace.h"

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

// The pointer as the window's events report it. ImGui 1.86's SDL backend reads SDL's global
// mouse state instead, which events pushed by tests (and some window managers) never update,
// so the launcher feeds ImGui from here. `pressed` keeps a press released within one frame.
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

void startImGui(platform::ToolWindow* window) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // no imgui.ini beside the resources
  io.LogFilename = nullptr;
  applyStyle();
  loadFont();
  platform::startImGuiOnToolWindow(window);
  ImGui_ImplOpenGL2_Init();
}

// Needs the launcher's context current: the backend deletes its font texture.
void stopImGui() {
  ImGui_ImplOpenGL2_Shutdown();
  platform::stopImGuiOnToolWindow();
  ImGui::DestroyContext();
}

// ---- events -------------------------------------------------------------------------------

void handlePointer(Pointer& pointer, const platform::ToolEvent& event) {
  pointer.x = event.x;
  pointer.y = event.y;
  if (event.kind == platform::ToolEventKind::PointerMoved || event.button < 0) return;
  bool down = event.kind == platform::ToolEventKind::ButtonDown;
  pointer.held[event.button] = down;
  if (down) pointer.pressed[event.button] = true;
}

void handleEvent(LauncherState& state, const platform::ToolEvent& event) {
  using Kind = platform::ToolEventKind;
  switch (event.kind) {
    case Kind::Quit:
    case Kind::Close:
    case Kind::Escape: state.done = true; break;
    case Kind::PointerLeft: state.pointer.x = state.pointer.y = -FLT_MAX; break;
    case Kind::Enter: state.launchKey = true; break;
    case Kind::PointerMoved:
    case Kind::ButtonDown:
    case Kind::ButtonUp: handlePointer(state.pointer, event); break;
    default: break;
  }
}

// Takes every queued event; true when there was any.
bool pumpEvents(LauncherState& state, platform::ToolWindow* window) {
  bool any = false;
  platform::ToolEvent event;
  while (platform::pollToolEvent(window, &event)) {
    handleEvent(state, event);
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

void drawFrame(LauncherState& state, platform::ToolWindow* window, Action* action) {
  ImGui_ImplOpenGL2_NewFrame();
  platform::newImGuiFrameOnToolWindow();
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
  platform::swapToolWindow(window);
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

void runLoop(LauncherState& state, platform::ToolWindow* window, const LauncherHooks* hooks) {
  state.frame.windowId = platform::toolWindowId(window);
  while (!state.done) {
    if (hooks && hooks->onFrame) hooks->onFrame(state.frame, hooks->user);
    bool hadEvents = pumpEvents(state, window);
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
    if (!hadEvents && !state.done) platform::sleepMs(kIdleSleepMs);
  }
}

}  // namespace

LaunchSettings runLauncher(const LauncherHooks* hooks) {
  launchSettings = LaunchSettings();  // cancelled until "launch"
  std::string why;
  platform::ToolWindow* window = platform::openToolWindow(kTitle, kWindowSize, kWindowSize, &why);
  if (!window) {
    trace(TRACE_ERROR, kSource, "cannot open the launcher window: %s", why.c_str());
    return launchSettings;
  }
  startImGui(window);
  platform::showToolWindow(window);

  LauncherState state;
  runLoop(state, window, hooks);

  stopImGui();
  platform::closeToolWindow(window);
  return launchSettings;
}

}  // namespace qorFramework
