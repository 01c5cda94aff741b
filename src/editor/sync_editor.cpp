// The editor's resources, its frame drawing and its release. The input handling is in
// editor_input.cpp, the help panel in help_panel.cpp.
#include "editor/sync_editor.h"

#include <cmath>
#include <cstdio>

#include "editor/help_panel.h"
#include "editor/overlay_projection.h"
#include "platform/music_decoder.h"
#include "platform/system.h"
#include "platform/trace.h"
#include "platform/window.h"

namespace qorFramework {

static const char* const kSource = "syncEditor";

struct ButtonRow {
  int bar;  // 0 widgets.segmentModeBar, 1 widgets.transportBar
  int id;
  const char* file;
  float x, y;
};

// The file names keep their doubled slash: they are the texture manager's keys as given.
static const ButtonRow kButtons[] = {
    {0, 0, "editor//button-linear.png", 0.0f, 0.23f},
    {0, 1, "editor//button-smoothstep.png", 0.0f, 0.17f},
    {0, 2, "editor//button-exponential.png", 0.0f, 0.11f},
    {0, 3, "editor//button-minexponential.png", 0.0f, 0.05f},
    {0, 4, "editor//button-man-valval.png", 0.038f, 0.05f},
    {0, 5, "editor//button-man-valzero.png", 0.038f, 0.11f},
    {0, 6, "editor//button-man-valone.png", 0.038f, 0.17f},
    {0, 7, "editor//button-man-zeroval.png", 0.038f, 0.23f},
    {0, 8, "editor//button-man-oneval.png", 0.066f, 0.23f},
    {0, 9, "editor//button-man-oneone.png", 0.066f, 0.17f},
    {0, 10, "editor//button-man-zerozero.png", 0.066f, 0.11f},
    {1, 0, "editor//button-play.png", 0.0f, 0.0f},
    {1, 1, "editor//button-pause.png", 0.033f, 0.0f},
    {1, 2, "editor//button-record.png", 0.066f, 0.0f},
};

std::vector<WaveformFrame> waveformFromSamples(const std::vector<float>& mono, int sampleRate,
                                               uint32_t lengthMs) {
  std::vector<WaveformFrame> frames(lengthMs, WaveformFrame{0, 0});
  if (sampleRate <= 0) return frames;
  int64_t count = static_cast<int64_t>(mono.size());
  for (uint32_t ms = 0; ms < lengthMs; ++ms) {
    int64_t begin = static_cast<int64_t>(ms) * sampleRate / 1000;
    int64_t end = static_cast<int64_t>(ms + 1) * sampleRate / 1000;
    if (begin >= count) break;
    if (end > count) end = count;
    float peak = 0.0f;
    for (int64_t i = begin; i < end; ++i)
      if (std::fabs(mono[i]) > std::fabs(peak)) peak = mono[i];
    float scaled = std::round(std::fmax(-1.0f, std::fmin(1.0f, peak)) * 32767.0f);
    int16_t value = static_cast<int16_t>(scaled);
    frames[ms] = {value, value};
  }
  return frames;
}

// The song the show plays (decoded once when its stream opened); without one, `musicFile`.
static std::vector<WaveformFrame> loadWaveform(const platform::DecodedMusic* song, const char* musicFile,
                                               uint32_t lengthMs) {
  platform::DecodedMusic decoded;
  std::string why = "no music file";
  if (!song && musicFile && platform::decodeMusicFile(musicFile, &decoded, &why)) song = &decoded;
  if (!song) {
    trace(TRACE_INFO, kSource, "no waveform, the strip stays flat: %s", why.c_str());
    return std::vector<WaveformFrame>(lengthMs, WaveformFrame{0, 0});
  }
  return waveformFromSamples(platform::mixToMono(*song), song->sampleRate, lengthMs);
}

static int scaledPixels(int pixelsAt720, int viewportHeight, int smallest) {
  int pixels = static_cast<int>(std::lround(pixelsAt720 * viewportHeight / 720.0));
  return pixels < smallest ? smallest : pixels;
}

SyncEditor::SyncEditor(const EditorHost& editorHost, const EditorOptions& editorOptions)
    : host(editorHost), options(editorOptions) {
  resources.mainFont = createBitmapFont("mainFont", scaledPixels(12, options.viewportHeight, 8));
  resources.timeFont = createBitmapFont("timeFont", scaledPixels(20, options.viewportHeight, 10));
  uint32_t length = host.lengthMs > 0 ? host.lengthMs : 1;
  view.unitsPerSecond = 1000;
  view.lengthUnits = length;
  view.viewStart = 0;
  view.viewEnd = length;
  view.waveform = loadWaveform(options.song, options.musicFile, length);
  wallStart = platform::performanceCounter();
  view.labelFont = resources.mainFont;
  view.beatGrid = options.beatGrid;
}

// ---- initialisation ------------------------------------------------------------------------

void SyncEditor::loadButtons() {
  for (const ButtonRow& row : kButtons) {
    GL_Texture* texture = resources.buttonTextures.getTexture(row.file, GL_REPEAT, GL_REPEAT);
    (row.bar == 0 ? widgets.segmentModeBar : widgets.transportBar).add(row.x, row.y, texture, row.id);
  }
}

void SyncEditor::fillPanels() {
  ControllerList* list = host.controllers;
  size_t count = list ? list->size() : 0;
  for (size_t i = 0; i < count; ++i) {
    ListPanel& panel = i < kControllersPerPanel ? widgets.controllersPanel : widgets.controllersPanel2;
    panel.hoverId = -1;
    panel.addItem((*list)[i]->name.c_str(), static_cast<int>(i));
  }
  static const struct {
    const char* text;
    int id;
  } kWorkspace[] = {{"save", WorkspaceSave}, {"-------", -1}, {"undo", WorkspaceUndo}, {"-------", -1},
                    {"reset", WorkspaceReset}, {"-------", -1}, {"help", WorkspaceHelp}};
  for (const auto& item : kWorkspace) {
    widgets.workspacePanel.hoverId = -1;
    widgets.workspacePanel.addItem(item.text, item.id);
  }
  // No row is the reference controller yet: a fresh panel's mark (0) would bar the first row.
  for (ListPanel* panel : {&widgets.workspacePanel, &widgets.layersPanel, &widgets.controllersPanel,
                           &widgets.controllersPanel2}) {
    panel->hoverId = -1;
    panel->markId = -1;
  }
}

void SyncEditor::init() {
  loadButtons();
  input.hoveredKey = -1;
  fillPanels();
  ControllerList* list = host.controllers;
  selection.controller = list && !list->empty() ? (*list)[0].get() : nullptr;
  view.controller = selection.controller;
  view.rebuildDisplayList();
  // A capture only draws: it touches no file of the author's.
  if (!options.takesInput || !list) return;
  workspace.open(list, options.paths);
  if (!options.loadFile.empty() && workspace.load(options.loadFile.c_str())) view.rebuildDisplayList();
  writeStatus();
  widgets.baseTitle = host.window ? platform::windowTitle(host.window) : "";
  updateTitle();
}

// ---- frame drawing -------------------------------------------------------------------------

// F5 hides, F6 shows (and wins when both are held). False: this frame draws nothing.
void SyncEditor::pollVisibility(bool* visible) {
  bool f5 = options.takesInput && platform::isKeyDown(platform::VK_F5);
  bool f6 = options.takesInput && platform::isKeyDown(platform::VK_F6);
  if (f5) widgets.overlayHidden = true;
  if (f6) widgets.overlayHidden = false;
  *visible = f6 || !widgets.overlayHidden;
}

static const float kLabelGrey = 0.6f;

void SyncEditor::drawLabels(float demoSeconds) {
  if (input.hoveredKey != -1 && selection.controller) {
    uint32_t k = static_cast<uint32_t>(input.hoveredKey);
    float t = keyTime(*selection.controller, k), v = keyValue(*selection.controller, k);
    float x = view.timeToX(t) - 0.025f;
    drawText(resources.mainFont, x, 0.43f, kLabelGrey, kLabelGrey, kLabelGrey, 1.0f, "time: %.03fs", t);
    drawText(resources.mainFont, x, 0.41f, kLabelGrey, kLabelGrey, kLabelGrey, 1.0f, "value: %.03fs", v);
  }
  if (selection.segment != -1 && selection.controller) {
    uint32_t k = static_cast<uint32_t>(selection.segment);
    float t0 = keyTime(*selection.controller, k), t1 = nextKeyTime(*selection.controller, k);
    float x0 = view.timeToX(t0);
    widgets.segmentModeBar.draw(x0, 0.4f);
    drawText(resources.mainFont, x0, 0.71f, kLabelGrey, kLabelGrey, kLabelGrey, 1.0f, "length: %.03fs",
             t1 - t0);
    drawText(resources.mainFont, x0, 0.69f, kLabelGrey, kLabelGrey, kLabelGrey, 1.0f,
             "from: %.03fs - to: %0.3fs", t0, t1);
  }
  if (input.pointerOverTimeline) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_LINES);
    glColor4f(0.2f, 0.1f, 0.7f, 0.9f);
    glVertex2f(input.mouseX, 0.4f);
    glColor4f(0.2f, 0.1f, 0.7f, 0.5f);
    glVertex2f(input.mouseX, 0.0f);
    glEnd();
    glDisable(GL_BLEND);
    drawText(resources.mainFont, input.mouseX - 0.008f, 0.24f, 1.0f, 1.0f, 1.0f, 1.0f, "%.4fs",
             input.hoverTime);
  }
  if (input.rangeSelecting)
    drawText(resources.mainFont, view.timeToX(input.rangeStart) - 0.008f, 0.24f, 0.5f, 0.5f, 1.0f, 1.0f,
             "%.4fs", input.rangeStart);
  drawText(resources.mainFont, 0.9f, 0.98f, 1.0f, 1.0f, 1.0f, 1.0f, "runtime");
  drawText(resources.timeFont, 0.9f, 0.95f, 1.0f, 1.0f, 1.0f, 1.0f, "%0.3fs", demoSeconds);
  drawText(resources.mainFont, 0.9f, 0.8f, 1.0f, 1.0f, 1.0f, 1.0f, "%s", widgets.statusText);
  drawText(resources.mainFont, 0.9f, 0.78f, kLabelGrey, kLabelGrey, kLabelGrey, 1.0f, "snap: %s", snapText());
  if (recordMode) drawText(resources.mainFont, 0.43f, 0.985f, 1.0f, 0.0f, 0.0f, 1.0f, ">>>RECORD MODE<<<");
}

void SyncEditor::drawPanels() {
  widgets.workspacePanel.draw(resources.mainFont, "WORKSPACE", -1, 0.025f, 0.95f, 0.1f);
  widgets.layersPanel.draw(resources.mainFont, "LAYERS", selection.controllerIndex, 0.15f, 0.95f, 0.15f);
  widgets.controllersPanel.draw(resources.mainFont, "CONTROLLERS", selection.controllerIndex, 0.325f, 0.95f,
                                0.2f);
  widgets.controllersPanel2.draw(resources.mainFont, "CONTROLLERS 2", selection.controllerIndex, 0.55f, 0.95f,
                                 0.2f);
  widgets.transportBar.draw(0.9f, 0.87f);
}

void SyncEditor::draw() {
  rebuild();  // every frame, hidden or not
  view.selectedKeys = selection.keys;
  float demoSeconds = host.transport ? host.transport->now() : 0.0f;
  view.playTime = demoSeconds;

  if (options.takesInput && workspace.pollTextFile(wallSeconds())) view.rebuildDisplayList();
  updateTitle();

  bool visible = true;
  pollVisibility(&visible);
  if (!visible) return;  // no GL state changes at all

  glClear(GL_DEPTH_BUFFER_BIT);
  glDepthMask(GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, 0);
  beginOverlay();
  drawLabels(demoSeconds);
  endOverlay();

  view.draw();

  beginOverlay();
  drawPanels();
  drawGroupOverlay();
  if (widgets.helpVisible) drawHelpPanel(resources.mainFont);
  endOverlay();
  glDepthMask(GL_TRUE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// ---- release -------------------------------------------------------------------------------

void SyncEditor::release() {
  workspace.close();  // unsaved curves to the recovery file first, then the snapshots go
  releaseBitmapFont(resources.mainFont);
  resources.mainFont = nullptr;
  releaseBitmapFont(resources.timeFont);
  resources.timeFont = nullptr;
  view.labelFont = nullptr;
  resources.buttonTextures.release();
  resources.buttonTextures.textures.clear();
  selection.keys.clear();
  view.selectedKeys.clear();
  view.release();
}

}  // namespace qorFramework
