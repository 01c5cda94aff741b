#include "editor/help_panel.h"

#include <algorithm>

namespace qorFramework {

// Two columns: the lines up to kFirstColumnLines on the left, the rest on the right.
static const HelpLine kLines[] = {
    {"", "CURVES"},
    {"click a row of CONTROLLERS", "edit that controller"},
    {"Shift + click a row", "show or hide it as the reference (dimmed keys)"},
    {"click in the curve area", "select the segment under the pointer"},
    {"click a segment button", "set the selected segment's interpolation or shape"},
    {"drag a key handle", "move the key in time (Shift: onto a reference key)"},
    {"Ctrl + click key handles", "add keys to the selection"},
    {"right drag (above the time strip)", "set the selected keys to one value"},
    {"middle click on the key strip", "insert a key on the curve"},
    {"Delete + right click a handle", "delete the key"},
    {"Ctrl+C, Ctrl+V", "copy the selected keys, paste them at the pointer"},
    {"G / [ / ]", "beat snapping on or off / halve / double its unit"},
    {"", "MANY KEYS AT ONCE"},
    {"Ctrl+A", "select every key of the controller"},
    {"Ctrl + drag where no key is", "select the keys in the box (Ctrl+Shift: add)"},
    {"Ctrl+Left, Ctrl+Right", "move the selected keys one snap unit (a beat)"},
    {"Ctrl+Shift+Left, Right", "move the selected keys one bar"},
    {"Alt + drag a key handle", "move every selected key with it"},
    {"Ctrl + right drag", "lift or lower the selected values, shape kept"},
    {"Shift + right drag", "drag values at a tenth of the speed"},
    {"V", "type the selected keys' value (Enter sets)"},
    {"T", "type one selected key's time in seconds"},
    {"Insert, Shift+Insert", "insert, remove a snap unit of time at the play line"},
    {"", "TIME"},
    {"drag in the time strip", "zoom to the dragged range"},
    {"right click in the time strip", "show the whole length"},
    {"Tab + click", "seek the show and the music to the pointer"},
    {"Space", "play or pause (record mode: a key at each press)"},
    {"Left, Right (Shift)", "seek one beat (one bar) back or on"},
    {"Home", "seek to the start"},
    {"L", "loop the zoomed view or dragged range; L again: off"},
    {"play, pause, record buttons", "transport; record mode: Space inserts keys"},
    {"", "WORKSPACE"},
    {"save", "write the curves (the build's text copy too)"},
    {"undo, Ctrl+Z", "undo the last edit"},
    {"Ctrl+Y, Ctrl+Shift+Z", "redo"},
    {"reset", "reload the saved curves (undo brings the edits back)"},
    {"F5, F6", "hide, show the editor"},
    {"F1", "this help (F1 again or a click closes it)"},
    {"Escape", "quit (unsaved curves go to editor/recovery.dat)"},
    {"--edit --load FILE", "start from a recovery or snapshot file"},
};
static const size_t kFirstColumnLines = 23;

const HelpLine* helpLines(size_t* count) {
  *count = sizeof(kLines) / sizeof(kLines[0]);
  return kLines;
}

static void panelBackground(float left, float bottom, float right, float top) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.02f, 0.02f, 0.05f, 0.88f);
  glBegin(GL_QUADS);
  glVertex2f(left, bottom);
  glVertex2f(right, bottom);
  glVertex2f(right, top);
  glVertex2f(left, top);
  glEnd();
  glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(left, bottom);
  glVertex2f(right, bottom);
  glVertex2f(right, top);
  glVertex2f(left, top);
  glEnd();
  glDisable(GL_BLEND);
}

void drawHelpPanel(const BitmapFont* font) {
  const float left = 0.03f, right = 0.97f, top = 0.93f, row = 0.022f, column = 0.47f;
  size_t count = 0;
  const HelpLine* lines = helpLines(&count);
  size_t rows = std::max(kFirstColumnLines, count - kFirstColumnLines);
  panelBackground(left, top - 0.045f - row * static_cast<float>(rows), right, top);

  drawText(font, left + 0.015f, top - 0.03f, 1.0f, 1.0f, 1.0f, 1.0f, "SYNC EDITOR HELP");
  for (size_t i = 0; i < count; ++i) {
    bool second = i >= kFirstColumnLines;
    float x = left + (second ? column : 0.0f);
    float y = top - 0.03f - row * static_cast<float>((second ? i - kFirstColumnLines : i) + 1);
    if (lines[i].keys[0] == '\0') {
      drawText(font, x + 0.015f, y, 0.9f, 0.75f, 0.35f, 1.0f, "%s", lines[i].what);
      continue;
    }
    drawText(font, x + 0.02f, y, 0.75f, 0.75f, 0.85f, 1.0f, "%s", lines[i].keys);
    drawText(font, x + 0.19f, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", lines[i].what);
  }
}

}  // namespace qorFramework
