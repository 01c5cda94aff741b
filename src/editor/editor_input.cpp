// The editor's input: every window message, turned into commands on the model state, the
// controllers and the workspace. The steps of each button follow the order the overlay's
// behaviour depends on; the extra keys (redo, snapping, copy and paste, transport) come last.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/sync_editor.h"
#include "platform/gl.h"
#include "timeline/key_edits.h"
#include "platform/win_codes.h"
#include "platform/window.h"

namespace qorFramework {

// ---- view operations -----------------------------------------------------------------------

float SyncEditor::xToTime(float x) const {
  return (static_cast<float>(view.viewStart) + static_cast<float>(view.viewEnd - view.viewStart) * x) /
         static_cast<float>(view.unitsPerSecond);
}

int SyncEditor::keyAtPointer(float x, float y) const {
  if (!view.controller || !(0.22f <= y && y <= 0.24f)) return -1;
  const std::vector<ControllerKey>& keys = view.controller->keys;
  for (size_t i = 0; i < keys.size(); ++i) {
    float kx = view.timeToX(keys[i].time);
    if (kx - 0.005f <= x && x <= kx + 0.005f) return static_cast<int>(i);
  }
  return -1;
}

float SyncEditor::snapToReferenceKey(float x) const {
  if (!view.referenceController) return -1.0f;
  for (const ControllerKey& key : view.referenceController->keys)
    if (std::fabs(view.timeToX(key.time) - x) <= 0.008f) return key.time;
  return -1.0f;
}

// Units of a time in seconds, truncated toward zero into u32 (negative times give 0).
static uint32_t unitsOf(float seconds, uint32_t unitsPerSecond) {
  float units = seconds * static_cast<float>(unitsPerSecond);
  if (!(units > 0.0f)) return 0;
  return units >= 4294967040.0f ? 0xFFFFFF00u : static_cast<uint32_t>(units);
}

void SyncEditor::applyRangeZoom() {
  uint32_t a = unitsOf(view.rangeFrom, view.unitsPerSecond);
  uint32_t b = unitsOf(view.rangeTo, view.unitsPerSecond);
  float window = static_cast<float>(view.viewEnd - view.viewStart);
  float fa = (static_cast<float>(a) - static_cast<float>(view.viewStart)) / window;
  float fb = (static_cast<float>(b) - static_cast<float>(view.viewStart)) / window;
  if (std::fabs(fa - fb) > 0.005f) {
    view.viewStart = std::min(a, b);
    view.viewEnd = std::min(std::max(a, b), view.lengthUnits);
    // The window must keep a width: a range dragged past the end shrinks to nothing there.
    if (view.viewStart >= view.viewEnd) view.viewStart = view.viewEnd - 1;
    input.haveDraggedRange = true;
    input.draggedFrom = std::min(view.rangeFrom, view.rangeTo);
    input.draggedTo = std::max(view.rangeFrom, view.rangeTo);
    rebuild();
  }
  view.rangeActive = false;
}

// ---- commands ------------------------------------------------------------------------------

void SyncEditor::rebuild() {
  view.selectedSegment = selection.segment;
  view.controller = selection.controller;
  view.rebuildDisplayList();
}

void SyncEditor::snapshot() { workspace.snapshot(); }

void SyncEditor::undo() {
  workspace.undo();
  rebuild();
}

void SyncEditor::redo() {
  workspace.redo();
  rebuild();
}

void SyncEditor::save() {
  snprintf(widgets.statusText, sizeof(widgets.statusText), "%s",
           workspace.save() ? "saved" : "NOT SAVED (see the trace)");
}

void SyncEditor::reset() {
  workspace.reset();
  rebuild();
}

void SyncEditor::setPlaying(bool playing) {
  if (host.transport) host.transport->setPaused(!playing);
}

// Demo time `seconds`, clamped to the time line, on a whole millisecond; the music follows.
void SyncEditor::seekTo(float seconds) {
  if (host.transport) host.transport->seek(seconds);
}

// A key at exactly that time already: a second one there could never be dragged apart from it.
static bool hasKeyAt(const Controller& c, float t) {
  for (const ControllerKey& key : c.keys)
    if (key.time == t) return true;
  return false;
}

float SyncEditor::snapTime(float t) const {
  return snapToBeats ? snapToGrid(view.beatGrid, t, snapUnitBeats) : t;
}

void SyncEditor::recordKey(float seconds) {
  float t = snapTime(seconds);
  if (selection.controller && !hasKeyAt(*selection.controller, t)) addKey(*selection.controller, t, 0.0f);
}

bool SyncEditor::holdAtEnd() {
  if (!options.takesInput || !host.transport) return false;
  setPlaying(false);
  seekTo(host.transport->lengthSeconds());
  return true;
}

void SyncEditor::copyKeys() {
  if (!selection.controller || selection.keys.empty()) return;
  std::vector<uint32_t> keys = selection.keys;
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  const Controller& c = *selection.controller;
  clipboard.clear();
  for (uint32_t k : keys) {
    if (k >= c.keys.size()) continue;
    bool hasMode = k > 0 && k - 1 < c.segments.size();
    SegmentMode mode = hasMode ? c.segments[k - 1] : SegmentMode{Linear, ValVal};
    float first = clipboard.empty() ? c.keys[k].time : c.keys[keys[0]].time;
    clipboard.push_back({c.keys[k].time - first, c.keys[k].value, mode, hasMode});
  }
  snprintf(widgets.statusText, sizeof(widgets.statusText), "copied %zu keys", clipboard.size());
}

// The index of the key addKey just placed at `time`: the last key with exactly that time.
static int lastKeyAt(const Controller& c, float time) {
  for (size_t i = c.keys.size(); i-- > 0;)
    if (c.keys[i].time == time) return static_cast<int>(i);
  return -1;
}

// The copied keys at the pointer, each stretch into a pasted key with the mode the copied one
// had (the first's too, when a stretch led into it); the stretch after the last pasted key keeps
// the mode of the stretch the keys were pasted into.
void SyncEditor::pasteKeys() {
  if (!selection.controller || clipboard.empty()) return;
  snapshot();
  Controller& c = *selection.controller;
  float start = snapTime(xToTime(input.mouseX));
  SegmentMode pastedInto = {Linear, ValVal};
  bool intoStretch = stretchAt(c, start + clipboard.back().offset, nullptr, &pastedInto);
  selection.keys.clear();
  std::vector<float> times;
  for (size_t i = 0; i < clipboard.size(); ++i) {
    float time = start + clipboard[i].offset;
    size_t before = c.keys.size();
    addKey(c, time, clipboard[i].value);
    int index = c.keys.size() > before ? lastKeyAt(c, time) : -1;
    if (index > 0 && clipboard[i].hasMode) c.segments[index - 1] = clipboard[i].mode;
    if (index >= 0) times.push_back(time);
  }
  int last = times.empty() ? -1 : lastKeyAt(c, times.back());
  if (intoStretch && last >= 0 && static_cast<size_t>(last) < c.segments.size()) c.segments[last] = pastedInto;
  // Later insertions move earlier ones up: the selection is found by time once all are in.
  for (float time : times) selection.keys.push_back(static_cast<uint32_t>(lastKeyAt(c, time)));
  selection.segment = -1;
  rebuild();
}

static const char* snapUnitText(double beats) {
  if (beats >= 4.0) return "1 bar";
  if (beats >= 2.0) return "2 beats";
  if (beats >= 1.0) return "1 beat";
  if (beats >= 0.5) return "1/2 beat";
  if (beats >= 0.25) return "1/4 beat";
  if (beats >= 0.125) return "1/8 beat";
  return "1/16 beat";
}

void SyncEditor::writeStatus() {
  snprintf(widgets.statusText, sizeof(widgets.statusText), "%.2f %.2f - %d", input.mouseX, input.mouseY,
           selection.controllerIndex);
}

const char* SyncEditor::snapText() const { return snapToBeats ? snapUnitText(snapUnitBeats) : "off"; }

void SyncEditor::updateTitle() {
  if (!host.window) return;
  bool dirty = workspace.dirty();
  if (dirty == widgets.titleDirty) return;
  widgets.titleDirty = dirty;
  platform::setWindowTitle(host.window, (widgets.baseTitle + (dirty ? " *" : "")).c_str());
}

// ---- keys ----------------------------------------------------------------------------------

void SyncEditor::keyPressed(uint32_t key, bool repeat) {
  if (entryKeyPressed(key)) return;  // an open entry field takes every key
  bool ctrl = input.keyDown[platform::VK_CONTROL], shift = input.keyDown[platform::VK_SHIFT];
  // Undo on every key-down while Ctrl and Z are held, so the keyboard's repeat repeats it.
  if (ctrl && input.keyDown['Z']) {
    if (shift) redo();
    else undo();
    return;
  }
  if (ctrl) {
    if (key == 'Y') redo();
    if (key == 'C' && !repeat) copyKeys();
    if (key == 'V' && !repeat) pasteKeys();
    if (key == 'A' && !repeat) selectAllKeys();
    if (key == platform::VK_LEFT || key == platform::VK_RIGHT)
      nudgeSelection(key == platform::VK_RIGHT ? 1 : -1, shift);
    return;
  }
  float beat = static_cast<float>(shift ? view.beatGrid.barSeconds() : view.beatGrid.beatSeconds());
  float now = host.transport ? host.transport->now() : 0.0f;
  switch (static_cast<int>(key)) {
    case platform::VK_F1:
      if (!repeat) widgets.helpVisible = !widgets.helpVisible;
      break;
    case 'G':
      if (!repeat) snapToBeats = !snapToBeats;
      writeStatus();
      break;
    case platform::VK_OEM_4:  // [
      snapUnitBeats = std::max(1.0 / 16.0, snapUnitBeats / 2.0);
      writeStatus();
      break;
    case platform::VK_OEM_6:  // ]
      snapUnitBeats = std::min(static_cast<double>(view.beatGrid.beatsPerBar), snapUnitBeats * 2.0);
      writeStatus();
      break;
    case platform::VK_SPACE:  // in record mode every press makes a key instead
      if (repeat) break;
      if (recordMode) recordPress();
      else if (host.transport) setPlaying(host.transport->paused());
      break;
    case platform::VK_INSERT:
      if (!repeat) changeTime(shift);
      break;
    case 'V':
      if (!repeat) openEntry(EntryValue);
      break;
    case 'T':
      if (!repeat) openEntry(EntryTime);
      break;
    case 'L':
      if (!repeat) toggleLoop();
      break;
    case platform::VK_LEFT:
      seekTo(now - beat);
      break;
    case platform::VK_RIGHT:
      seekTo(now + beat);
      break;
    case platform::VK_HOME:
      seekTo(0.0f);
      break;
    default:
      break;
  }
}

// ---- the pointer ---------------------------------------------------------------------------

void SyncEditor::pointerMoved(uint32_t lParam) {
  GLint viewport[4] = {0, 0, 1, 1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  float w = viewport[2] > 0 ? static_cast<float>(viewport[2]) : 1.0f;
  float h = viewport[3] > 0 ? static_cast<float>(viewport[3]) : 1.0f;
  input.mouseX = static_cast<float>(platform::pointX(lParam)) / w;
  input.mouseY = 1.0f - (static_cast<float>(platform::pointY(lParam)) - static_cast<float>(viewport[1])) / h;
  input.pointerOverTimeline = false;
  writeStatus();
  input.hoveredKey = keyAtPointer(input.mouseX, input.mouseY);

  if (selection.keys.size() == 1 && selection.controller && input.dragMode == DragKeyTime) {
    float t = xToTime(input.mouseX);
    float reference = input.keyDown[platform::VK_SHIFT] ? snapToReferenceKey(input.mouseX) : -1.0f;
    t = reference >= 0.0f ? reference : snapTime(t);
    moveKey(*selection.controller, selection.keys[0], t);
    input.hoveredKey = -1;
    rebuild();
  } else if (selection.controller && input.dragMode == DragKeyBlock) {
    dragBlock();
  } else if (!selection.keys.empty() && selection.controller &&
             (input.dragMode == DragKeyValues || input.dragMode == DragKeyOffsets)) {
    dragValues();
  }
  updateBox();
  if (input.mouseY < 0.4f && input.dragMode == DragNone) {
    input.pointerOverTimeline = true;
    input.hoverTime = xToTime(input.mouseX);
  }
  if (input.rangeSelecting) {
    input.rangeEnd = xToTime(input.mouseX);
    view.rangeFrom = input.rangeStart;
    view.rangeTo = input.rangeEnd;
    view.rangeActive = true;
  }
  widgets.controllersPanel.updateHover(input.mouseX, input.mouseY);
  widgets.controllersPanel2.updateHover(input.mouseX, input.mouseY);
  widgets.workspacePanel.updateHover(input.mouseX, input.mouseY);
  widgets.layersPanel.updateHover(input.mouseX, input.mouseY);
}

// A hit in a controller panel: pick the controller, or with Shift toggle it as the reference.
bool SyncEditor::pickController(ListPanel& panel, ListPanel& other) {
  int id = panel.hitTest(input.mouseX, input.mouseY);
  if (id == -1) return false;
  ControllerList* list = host.controllers;
  Controller* hit = list && id >= 0 && static_cast<size_t>(id) < list->size() ? (*list)[id].get() : nullptr;
  if (!input.keyDown[platform::VK_SHIFT]) {
    selection.controllerIndex = id;
    selection.controller = hit;
    view.controller = hit;
  } else {
    view.referenceController = view.referenceController == hit ? nullptr : hit;
    rebuild();
    panel.markId = panel.markId == id ? -1 : id;
    other.markId = -1;
  }
  selection.keys.clear();
  return true;
}

// A segment button under the pointer sets the selected segment's interpolation or shape.
bool SyncEditor::pickSegmentMode() {
  int id = widgets.segmentModeBar.hitTest(input.mouseX, input.mouseY);
  if (id == -1) return false;
  snapshot();
  Controller& c = *selection.controller;
  if (selection.segment >= 0 && static_cast<size_t>(selection.segment) < c.segments.size()) {
    SegmentMode& mode = c.segments[selection.segment];
    if (id <= 3) mode.interpolation = id + 1;
    else if (id <= 10) mode.shape = id - 3;
  }
  rebuild();
  return true;
}

void SyncEditor::pickInBand() {
  if (input.mouseY < 0.18f) {
    selection.segment = -1;
    rebuild();
    input.rangeStart = input.rangeEnd = xToTime(input.mouseX);
    input.rangeSelecting = true;
    view.rangeFrom = input.rangeStart;
    view.rangeTo = input.rangeEnd;
    view.rangeActive = true;
  } else if (input.mouseY < 0.25f) {
    int k = keyAtPointer(input.mouseX, input.mouseY);
    if (k != -1 && input.keyDown[platform::VK_MENU] && selection.controller) {
      beginBlockDrag(k);
      return;
    }
    if (k == -1 && input.keyDown[platform::VK_CONTROL]) return;  // a box may follow instead
    if (k != -1) selection.keys.push_back(static_cast<uint32_t>(k));
    if (!selection.keys.empty()) {
      snapshot();
      input.pointerOverTimeline = false;
      input.dragMode = DragKeyTime;
    }
  } else {
    selection.segment = -1;
    rebuild();
  }
}

// Ctrl + press where no key, button or panel row is: the start of a selection box.
bool SyncEditor::startsBox() const {
  if (!input.keyDown[platform::VK_CONTROL] || !selection.controller) return false;
  if (!(0.18f <= input.mouseY && input.mouseY < 0.4f)) return false;
  if (keyAtPointer(input.mouseX, input.mouseY) != -1) return false;
  if (selection.segment != -1 && widgets.segmentModeBar.hitTest(input.mouseX, input.mouseY) != -1) return false;
  for (const ListPanel* panel : {&widgets.workspacePanel, &widgets.controllersPanel, &widgets.controllersPanel2})
    if (panel->hitTest(input.mouseX, input.mouseY) != -1) return false;
  return true;
}

void SyncEditor::leftButtonDown() {
  bool keep = input.keyDown[platform::VK_CONTROL] || input.keyDown[platform::VK_MENU];
  if (!keep) selection.keys.clear();
  if (startsBox()) {
    input.boxPending = true;
    input.boxAdds = input.keyDown[platform::VK_SHIFT];
    input.boxX0 = input.mouseX;
    input.boxY0 = input.mouseY;
  }
  if (input.keyDown[platform::VK_TAB]) {
    seekTo(xToTime(input.mouseX));
    return;
  }
  switch (widgets.transportBar.hitTest(input.mouseX, input.mouseY)) {
    case TransportPlay: setPlaying(true); break;
    case TransportPause: setPlaying(false); break;
    case TransportRecord:
      if (!recordMode) snapshot();
      recordMode = !recordMode;
      break;
    default: break;
  }
  int workspaceId = widgets.workspacePanel.hitTest(input.mouseX, input.mouseY);
  switch (workspaceId) {
    case WorkspaceSave: save(); break;
    case WorkspaceUndo: undo(); break;
    case WorkspaceReset: reset(); break;
    case WorkspaceHelp: widgets.helpVisible = true; break;
    default: break;
  }
  if (workspaceId >= WorkspaceSave && workspaceId <= WorkspaceHelp) widgets.workspacePanel.open = false;
  if (!pickController(widgets.controllersPanel, widgets.controllersPanel2))
    pickController(widgets.controllersPanel2, widgets.controllersPanel);

  bool segmentButtonsShown = selection.segment != -1 && selection.controller && input.mouseY > 0.25f;
  if (segmentButtonsShown) pickSegmentMode();
  else pickInBand();

  if (0.25f < input.mouseY && input.mouseY < 0.4f && selection.controller) {
    selection.segment = findSegment(*selection.controller, xToTime(input.mouseX));
    rebuild();
  }
}

void SyncEditor::leftButtonUp() {
  bool keep = input.keyDown[platform::VK_CONTROL] || input.keyDown[platform::VK_MENU];
  if (!keep) selection.keys.clear();
  endBox();
  if (selection.controller) {
    uint32_t k = static_cast<uint32_t>(selection.segment);
    float t0 = keyTime(*selection.controller, k), t1 = nextKeyTime(*selection.controller, k);
    if (input.mouseX < view.timeToX(t0) - 0.01f || input.mouseX > view.timeToX(t1) + 0.01f) {
      selection.segment = -1;
      rebuild();
    }
  }
  if (input.rangeSelecting) {
    applyRangeZoom();
    input.hoverTime = xToTime(input.mouseX);
    input.rangeSelecting = false;
  }
  input.dragMode = DragNone;
}

void SyncEditor::rightButtonDown() {
  if (input.keyDown[platform::VK_DELETE]) {
    int k = keyAtPointer(input.mouseX, input.mouseY);
    snapshot();
    if (k != -1 && selection.controller) deleteKey(*selection.controller, static_cast<uint32_t>(k));
    input.hoveredKey = -1;
    selection.segment = -1;
    rebuild();
  } else if (input.mouseY > 0.18f) {
    if (selection.keys.empty() && input.hoveredKey != -1)
      selection.keys.push_back(static_cast<uint32_t>(input.hoveredKey));
    if (!selection.keys.empty() && selection.controller) beginValueDrag();
  } else {
    view.viewStart = 0;
    view.viewEnd = view.lengthUnits;
    rebuild();
    view.rangeActive = false;
  }
}

void SyncEditor::middleButtonDown() {
  selection.segment = -1;
  rebuild();
  selection.keys.clear();
  if (keyAtPointer(input.mouseX, input.mouseY) == -1 && selection.controller && 0.2f < input.mouseY &&
      input.mouseY < 0.25f) {
    float t = snapTime(xToTime(input.mouseX));
    if (!hasKeyAt(*selection.controller, t)) {
      snapshot();
      evaluateController(*selection.controller, t);
      addKey(*selection.controller, t, selection.controller->value);
    }
    input.hoveredKey = keyAtPointer(input.mouseX, input.mouseY);
  }
  rebuild();
}

// ---- the message table ---------------------------------------------------------------------

void SyncEditor::handleInput(uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (!options.takesInput) return;
  // While the help is up a click only closes it.
  bool buttonDown = message == platform::WM_LBUTTONDOWN || message == platform::WM_RBUTTONDOWN ||
                    message == platform::WM_MBUTTONDOWN;
  if (widgets.helpVisible && buttonDown) {
    widgets.helpVisible = false;
    return;
  }
  if (entry.kind != EntryNone && buttonDown) {  // a click elsewhere cancels the field
    entry.kind = EntryNone;
    return;
  }
  switch (message) {
    case platform::WM_KEYDOWN:
      if (wParam < 256) input.keyDown[wParam] = true;
      keyPressed(wParam, (lParam & (1u << 30)) != 0);
      break;
    case platform::WM_KEYUP:
      if (wParam < 256) input.keyDown[wParam] = false;
      break;
    case platform::WM_KILLFOCUS:  // keys released elsewhere never send their key-up here
      std::fill(std::begin(input.keyDown), std::end(input.keyDown), false);
      break;
    case platform::WM_MOUSEMOVE: pointerMoved(lParam); break;
    case platform::WM_LBUTTONDOWN: leftButtonDown(); break;
    case platform::WM_LBUTTONUP: leftButtonUp(); break;
    case platform::WM_RBUTTONDOWN: rightButtonDown(); break;
    case platform::WM_RBUTTONUP:
      if ((input.dragMode == DragKeyValues || input.dragMode == DragKeyOffsets) && selection.keys.size() == 1)
        selection.keys.clear();
      input.dragMode = DragNone;
      break;
    case platform::WM_MBUTTONDOWN: middleButtonDown(); break;
    default: break;
  }
}

}  // namespace qorFramework
