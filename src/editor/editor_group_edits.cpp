// The editor's commands on many keys at once and its typed values: select all, box select,
// block moves in time (Ctrl+arrows, Alt-drag), inserting and removing time at the play line,
// moving values together (Ctrl/Shift + right drag), the V and T entry fields, record mode's
// presses and the rehearsal loop. Each completed edit takes one undo snapshot first.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "editor/sync_editor.h"
#include "platform/gl.h"
#include "platform/system.h"
#include "platform/win_codes.h"
#include "platform/window.h"
#include "timeline/key_edits.h"

namespace qorFramework {

static const double kNoticeSeconds = 4.0;

void SyncEditor::notify(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  widgets.notice = text;
  widgets.noticeUntil = wallSeconds() + kNoticeSeconds;
}

double SyncEditor::wallSeconds() const { return platform::millisecondsSince(wallStart) / 1000.0; }

// One snap unit while snapping is on (a beat when it is off); a bar with Shift.
float SyncEditor::unitSeconds(bool byBar) const {
  const BeatGrid& grid = view.beatGrid;
  if (byBar) return static_cast<float>(grid.barSeconds());
  return static_cast<float>(snapToBeats ? grid.beatSeconds() * snapUnitBeats : grid.beatSeconds());
}

// ---- selection -----------------------------------------------------------------------------

void SyncEditor::selectAllKeys() {
  selection.keys.clear();
  if (!selection.controller) return;
  for (uint32_t k = 0; k < selection.controller->keys.size(); ++k) selection.keys.push_back(k);
  notify("%zu keys selected", selection.keys.size());
}

// While Ctrl holds a press that began in an empty part of the key strip or curve area, the
// pointer spans a box; a few pixels of travel make it one.
void SyncEditor::updateBox() {
  if (!input.boxPending) return;
  if (std::fabs(input.mouseX - input.boxX0) > 0.004f || std::fabs(input.mouseY - input.boxY0) > 0.006f)
    input.boxShown = true;
}

// A key is in the box when its time lies in the box's width and its handle or its point on
// the curve lies in the box's height.
void SyncEditor::endBox() {
  bool shown = input.boxShown;
  input.boxPending = input.boxShown = false;
  if (!shown || !selection.controller) return;
  float x0 = std::min(input.boxX0, input.mouseX), x1 = std::max(input.boxX0, input.mouseX);
  float y0 = std::min(input.boxY0, input.mouseY), y1 = std::max(input.boxY0, input.mouseY);
  if (!input.boxAdds) selection.keys.clear();
  const std::vector<ControllerKey>& keys = selection.controller->keys;
  for (uint32_t k = 0; k < keys.size(); ++k) {
    float x = view.timeToX(keys[k].time), curveY = view.valueToY(keys[k].value);
    bool inHeight = (y0 <= 0.23f && 0.23f <= y1) || (y0 <= curveY && curveY <= y1);
    if (x0 <= x && x <= x1 && inHeight) selection.keys.push_back(k);
  }
  selection.keys = sortedSelection(*selection.controller, selection.keys);
  notify("%zu keys selected", selection.keys.size());
}

// ---- moving keys in time -------------------------------------------------------------------

void SyncEditor::nudgeSelection(int direction, bool byBar) {
  Controller* c = selection.controller;
  if (!c || selection.keys.empty()) {
    notify("select keys first (Ctrl+A selects them all)");
    return;
  }
  float wanted = direction * unitSeconds(byBar);
  float allowed = allowedBlockMove(*c, selection.keys, wanted);
  if (allowed == 0.0f) {
    notify("the keys cannot move %s: a neighbour is in the way", direction > 0 ? "later" : "earlier");
    return;
  }
  snapshot();
  moveKeysBy(*c, selection.keys, allowed);
  if (allowed != wanted) notify("moved %.3f s of %.3f s: stopped by a neighbour", allowed, wanted);
  rebuild();
}

// Alt + press on a key's handle: the key joins the selection and leads the block.
void SyncEditor::beginBlockDrag(int key) {
  if (std::find(selection.keys.begin(), selection.keys.end(), static_cast<uint32_t>(key)) == selection.keys.end())
    selection.keys.push_back(static_cast<uint32_t>(key));
  input.dragKey = key;
  snapshot();
  input.pointerOverTimeline = false;
  input.dragMode = DragKeyBlock;
}

// The leading key follows the pointer (snapped); the block moves with it as far as it may.
void SyncEditor::dragBlock() {
  Controller* c = selection.controller;
  if (!c || input.dragKey < 0 || static_cast<size_t>(input.dragKey) >= c->keys.size()) return;
  float target = snapTime(xToTime(input.mouseX));
  float delta = target - c->keys[input.dragKey].time;
  moveKeysBy(*c, selection.keys, allowedBlockMove(*c, selection.keys, delta));
  input.hoveredKey = -1;
  rebuild();
}

// Insert: a snap unit (a beat without snapping) of time at the play line, in every controller.
// Shift+Insert takes it out again, unless a key lies inside it.
void SyncEditor::changeTime(bool remove) {
  if (!host.controllers) return;
  float at = host.transport ? host.transport->now() : 0.0f;
  float unit = unitSeconds(false);
  std::string blocking;
  if (remove && keyInsideTime(*host.controllers, at, unit, &blocking)) {
    notify("nothing removed: %s lies inside %.3f .. %.3f s", blocking.c_str(), at, at + unit);
    return;
  }
  snapshot();
  if (remove) removeTime(*host.controllers, at, unit, nullptr);
  else insertTime(*host.controllers, at, unit);
  notify("%s %.3f s at %.3f s", remove ? "removed" : "inserted", unit, at);
  rebuild();
}

// ---- values --------------------------------------------------------------------------------

// A right press with keys to drag: Ctrl moves every value by one amount, otherwise all take
// one value; Shift drags at a tenth of the speed.
void SyncEditor::beginValueDrag() {
  Controller& c = *selection.controller;
  snapshot();
  input.pointerOverTimeline = false;
  input.dragStartY = input.mouseY;
  input.dragSpeed = input.keyDown[platform::VK_SHIFT] ? 1.0f : 10.0f;
  input.dragStartValue = keyValue(c, selection.keys.back());
  input.dragStartValues.clear();
  for (uint32_t k : selection.keys) input.dragStartValues.push_back(keyValue(c, k));
  input.dragMode = input.keyDown[platform::VK_CONTROL] ? DragKeyOffsets : DragKeyValues;
}

void SyncEditor::dragValues() {
  Controller& c = *selection.controller;
  float moved = (input.mouseY - input.dragStartY) * input.dragSpeed;
  for (size_t i = 0; i < selection.keys.size(); ++i) {
    float start = input.dragMode == DragKeyOffsets && i < input.dragStartValues.size() ? input.dragStartValues[i]
                                                                                        : input.dragStartValue;
    setKeyValue(c, selection.keys[i], start + moved);
  }
  input.hoveredKey = -1;
  rebuild();
}

// ---- the entry field -----------------------------------------------------------------------

void SyncEditor::openEntry(int kind) {
  if (selection.keys.empty() && input.hoveredKey != -1) selection.keys.push_back(static_cast<uint32_t>(input.hoveredKey));
  if (!selection.controller || selection.keys.empty()) {
    notify("select keys first: %s", kind == EntryValue ? "V sets their value" : "T sets a key's time");
    return;
  }
  if (kind == EntryTime && sortedSelection(*selection.controller, selection.keys).size() != 1) {
    notify("T sets the time of one key: select just one");
    return;
  }
  entry.kind = kind;
  entry.text.clear();
  entry.x = input.mouseX;
  entry.y = input.mouseY;
}

// The typed character of a key, or 0 for a key that types nothing here.
static char typedCharacter(uint32_t key) {
  if (key >= '0' && key <= '9') return static_cast<char>(key);
  if (key >= static_cast<uint32_t>(platform::VK_NUMPAD0) && key <= static_cast<uint32_t>(platform::VK_NUMPAD0 + 9))
    return static_cast<char>('0' + (key - platform::VK_NUMPAD0));
  if (key == platform::VK_OEM_PERIOD || key == platform::VK_DECIMAL) return '.';
  if (key == platform::VK_OEM_MINUS || key == platform::VK_SUBTRACT) return '-';
  return 0;
}

// While the field is open it takes every key: digits, '.', '-', Backspace, Enter.
bool SyncEditor::entryKeyPressed(uint32_t key) {
  if (entry.kind == EntryNone) return false;
  char c = typedCharacter(key);
  if (c && entry.text.size() < 24) entry.text += c;
  if (key == platform::VK_BACK && !entry.text.empty()) entry.text.pop_back();
  if (key == platform::VK_RETURN) applyEntry();
  return true;
}

// A plain decimal number: digits with at most one '.', an optional leading '-'.
static bool parseTyped(const std::string& text, float* out) {
  if (text.empty() || text == "-" || text == "." || text == "-.") return false;
  size_t dots = std::count(text.begin(), text.end(), '.');
  size_t minus = std::count(text.begin(), text.end(), '-');
  if (dots > 1 || minus > 1 || (minus == 1 && text[0] != '-')) return false;
  *out = std::strtof(text.c_str(), nullptr);
  return std::isfinite(*out);
}

void SyncEditor::applyEntry() {
  int kind = entry.kind;
  entry.kind = EntryNone;
  float number = 0.0f;
  Controller* c = selection.controller;
  if (!c || !parseTyped(entry.text, &number)) {
    notify("'%s' is not a number", entry.text.c_str());
    return;
  }
  std::vector<uint32_t> keys = sortedSelection(*c, selection.keys);
  if (keys.empty()) return;
  if (kind == EntryValue) {
    snapshot();
    for (uint32_t k : keys) setKeyValue(*c, k, number);
    notify("%zu keys set to %.4g", keys.size(), keyValue(*c, keys[0]));
  } else {
    uint32_t k = keys[0];
    bool first = k == 0, last = k + 1 >= c->keys.size();
    float before = first ? 0.0f : c->keys[k - 1].time, after = last ? 0.0f : c->keys[k + 1].time;
    if (!(number >= 0.0f && (first || number > before) && (last || number < after))) {
      if (last) notify("%.3f s refused: the key must stay after %.3f s", number, before);
      else notify("%.3f s refused: the key must stay between %.3f and %.3f s", number, before, after);
      return;
    }
    snapshot();
    moveKey(*c, k, number);
  }
  rebuild();
}

// ---- transport -----------------------------------------------------------------------------

// L: loop over the zoomed view, or over the range last dragged while the whole time line shows.
void SyncEditor::toggleLoop() {
  if (!host.transport) return;
  float from = 0.0f, to = 0.0f;
  if (host.transport->loop(&from, &to)) {
    host.transport->clearLoop();
    notify("loop off");
    return;
  }
  bool zoomed = view.viewStart > 0 || view.viewEnd < view.lengthUnits;
  if (zoomed) {
    from = static_cast<float>(view.viewStart) / view.unitsPerSecond;
    to = static_cast<float>(view.viewEnd) / view.unitsPerSecond;
  } else if (input.haveDraggedRange) {
    from = input.draggedFrom;
    to = input.draggedTo;
  } else {
    notify("zoom in (drag a range in the time strip) to choose what L loops");
    return;
  }
  if (!host.transport->setLoop(from, to)) return;
  host.transport->loop(&from, &to);
  notify("looping %.3f .. %.3f s", from, to);
}

// Space in record mode: a key at the music position of the press. A press that waited in the
// queue behind a slow frame is dated back by its age while the music plays.
void SyncEditor::recordPress() {
  double heard = host.transport ? host.transport->musicSeconds() : -1.0;
  if (heard < 0.0 || !selection.controller) return;
  uint64_t pressed = platform::messageTime();
  if (pressed != 0 && !host.transport->paused())
    heard = std::max(0.0, heard - platform::millisecondsSince(pressed) / 1000.0);
  recordKey(static_cast<float>(heard));
}

// ---- drawing -------------------------------------------------------------------------------

static void outlineBox(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINE_LOOP);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
}

// The loop's ends, the selection box, the entry field and the notice; overlay projection on.
void SyncEditor::drawGroupOverlay() {
  float from = 0.0f, to = 0.0f;
  if (host.transport && host.transport->loop(&from, &to)) {
    glColor4f(0.2f, 1.0f, 0.4f, 1.0f);
    glBegin(GL_LINES);
    for (float t : {from, to}) {
      glVertex2f(view.timeToX(t), 0.0f);
      glVertex2f(view.timeToX(t), 0.4f);
    }
    glEnd();
  }
  if (input.boxShown) {
    glColor4f(0.9f, 0.9f, 1.0f, 1.0f);
    outlineBox(input.boxX0, input.boxY0, input.mouseX, input.mouseY);
  }
  if (entry.kind != EntryNone) {
    glColor4f(0.05f, 0.05f, 0.1f, 1.0f);
    glRectf(entry.x, entry.y - 0.01f, entry.x + 0.16f, entry.y + 0.035f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    outlineBox(entry.x, entry.y - 0.01f, entry.x + 0.16f, entry.y + 0.035f);
    drawText(resources.mainFont, entry.x + 0.005f, entry.y + 0.005f, 1.0f, 1.0f, 0.6f, 1.0f, "%s %s_",
             entry.kind == EntryValue ? "value:" : "time (s):", entry.text.c_str());
  }
  if (!widgets.notice.empty() && wallSeconds() < widgets.noticeUntil)
    drawText(resources.mainFont, 0.25f, 0.45f, 1.0f, 0.85f, 0.3f, 1.0f, "%s", widgets.notice.c_str());
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

}  // namespace qorFramework
