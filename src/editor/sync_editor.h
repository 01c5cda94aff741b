// SyncEditor: the overlay in which an author edits the controllers' curves while the show plays.
// The shell holds it (null: no editor code runs) and calls, over the program's life: init()
// before the main loop, draw() after each frame's layers, handleInput() for every window message
// before the layers see it, release() at exit before deleting it.
// Owns: its fonts, its curve view (waveform and display list), its widgets, a private texture
// manager for the button images, and the undo snapshot files it names.
// Depends on: the show's transport, the controllers and sync file, the editor widgets and curve
// view, the platform's window title and key state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/beat_grid.h"
#include "editor/bitmap_font.h"
#include "editor/button_bar.h"
#include "editor/curve_view.h"
#include "editor/list_panel.h"
#include "gfx/texture_manager.h"
#include "timeline/controller.h"
#include "timeline/sync_file.h"
#include "timeline/sync_workspace.h"
#include "timeline/transport.h"

namespace platform {
struct DecodedMusic;
struct Window;
}  // namespace platform

namespace qorFramework {

constexpr int kControllersPerPanel = 40;
constexpr size_t kStatusTextSize = 512;

// Segment-mode bar ids: 0..3 set the interpolation to id + 1, 4..10 the shape to id - 3.
constexpr int kSegmentButtonCount = 11;
enum TransportId { TransportPlay = 0, TransportPause = 1, TransportRecord = 2 };
enum WorkspaceId { WorkspaceSave = 0, WorkspaceUndo = 1, WorkspaceReset = 2, WorkspaceHelp = 3 };

struct EditorOptions {
  BeatGrid beatGrid;               // the tempo: copied into the view, which draws and snaps to it
  bool takesInput = true;          // false (capture): no input, no files, nothing but drawing
  int viewportHeight = 720;        // font sizes scale with it (12 px labels at 720)
  const platform::DecodedMusic* song = nullptr;  // the waveform's source: the song the show plays
  const char* musicFile = nullptr;  // without a song, the waveform is decoded from this; none: flat
  WorkspacePaths paths;            // the sync file, its text copy, the editor folder
  std::string loadFile;            // loaded over the curves at init (--load); empty: none
};

// What the editor works on: all owned elsewhere, all outliving the editor.
struct EditorHost {
  Transport* transport = nullptr;         // null: the show stands still at 0
  ControllerList* controllers = nullptr;  // the show's curves; null: nothing to edit
  platform::Window* window = nullptr;     // its title carries the unsaved mark; may be null
  uint32_t lengthMs = 0;                  // the time line's last millisecond
};

// A copied key: its time after the first copied key, its value, and the mode of the stretch
// that ends at it (for the first key only when a stretch led into it: `hasMode`).
struct ClipKey {
  float offset;
  float value;
  SegmentMode mode;
  bool hasMode;
};

// Drag modes of the pointer: one key in time; the selected keys to one value (right drag);
// the selected keys in time as a block (Alt); the selected keys' values by one amount (Ctrl +
// right drag).
enum DragMode { DragNone = 0, DragKeyTime = 1, DragKeyValues = 2, DragKeyBlock = 3, DragKeyOffsets = 4 };

// The small text field V (value) and T (time) open at the pointer.
enum EntryKind { EntryNone = 0, EntryValue = 1, EntryTime = 2 };
struct EditorEntry {
  int kind = EntryNone;
  std::string text;          // digits, '.', '-' as typed
  float x = 0.0f, y = 0.0f;  // overlay coordinates where it opened
};

// What the author has picked: the edited controller, its selected keys and stretch.
struct EditorSelection {
  Controller* controller = nullptr;
  int controllerIndex = 0;
  std::vector<uint32_t> keys;  // indices into controller->keys, in the order they were picked
  int segment = -1;            // the selected stretch (key index), mirrored into view.selectedSegment
};

// The pointer, the keys held and what a drag is doing, as the messages left them.
struct EditorInput {
  float mouseX = 0.0f, mouseY = 0.0f;  // overlay coordinates, y upward
  bool keyDown[256] = {};
  int hoveredKey = -1;
  bool pointerOverTimeline = false;
  float hoverTime = 0.0f;  // seconds
  int dragMode = DragNone;
  float dragStartValue = 0.0f;
  float dragStartY = 0.0f;
  float dragSpeed = 10.0f;               // value units per overlay height of pointer travel
  int dragKey = -1;                      // the key whose handle leads a block drag
  std::vector<float> dragStartValues;    // each selected key's value when an offset drag began
  bool boxPending = false;               // Ctrl pressed in an empty part: a box may follow
  bool boxShown = false;                 // the pointer moved far enough to draw a box
  bool boxAdds = false;                  // Ctrl+Shift: the box adds to the selection
  float boxX0 = 0.0f, boxY0 = 0.0f;      // where the box started (overlay coordinates)
  bool haveDraggedRange = false;         // a range was dragged in the time strip
  float draggedFrom = 0.0f, draggedTo = 0.0f;  // the last range dragged, seconds
  float rangeStart = 0.0f, rangeEnd = 0.0f;  // seconds
  bool rangeSelecting = false;
};

// The buttons, panels and texts of the overlay.
struct EditorWidgets {
  ButtonBar segmentModeBar;
  ButtonBar transportBar;
  ListPanel workspacePanel;
  ListPanel layersPanel;
  ListPanel controllersPanel;   // controllers 0..39
  ListPanel controllersPanel2;  // controllers 40 and above
  char statusText[kStatusTextSize] = {};
  bool overlayHidden = false;
  bool helpVisible = false;
  bool titleDirty = false;  // the window title shows the unsaved mark
  std::string baseTitle;
  std::string notice;         // a message for the author, drawn until noticeUntil
  double noticeUntil = 0.0;   // wall seconds (the editor's clock)
};

// GL resources the editor made: released by SyncEditor::release while the context lives.
struct EditorResources {
  BitmapFont* mainFont = nullptr;
  BitmapFont* timeFont = nullptr;
  GL_TextureManager buttonTextures;  // the button pictures
};

class SyncEditor {
 public:
  // Creates the fonts (context current), fills the waveform from the decoded music, sets the
  // view to the whole time line (one unit a millisecond) and the initial model state.
  SyncEditor(const EditorHost& host, const EditorOptions& options);

  // Loads the buttons, fills the panels, selects the first controller, builds the display list.
  void init();
  // The overlay over the finished frame, before the swap (see sync_editor.cpp for the order).
  void draw();
  // Deletes the undo snapshot files still listed, the fonts, the view's list and the button
  // textures (context current).
  void release();
  // Every window message, before the layers see it.
  void handleInput(uint32_t message, uint32_t wParam, uint32_t lParam);
  // Adds a key of value 0 at `seconds` to the selected controller (record mode's Space),
  // on the beat grid while snapping is on.
  void recordKey(float seconds);
  // The main loop reached the end of the time line: an editor taking input pauses there
  // (true) instead of letting the program end.
  bool holdAtEnd();

  // ---- view operations (overlay x, seconds) ----
  float xToTime(float x) const;
  int keyAtPointer(float x, float y) const;
  float snapToReferenceKey(float x) const;  // -1 when no reference key is within 0.008
  void applyRangeZoom();
  // "off", or the snap unit ("1/4 beat", "1 bar") while snapping to the beat grid is on.
  const char* snapText() const;
  // A message for the author, shown over the overlay for a few seconds (printf-style).
  void notify(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Seconds since the editor was made: the clock of notices and the file poll.
  double wallSeconds() const;

  // ---- state, grouped by what it is about ----
  EditorHost host;
  EditorOptions options;
  CurveView view;
  SyncWorkspace workspace;  // files, undo (workspace.history.names) and redo
  EditorSelection selection;
  EditorInput input;
  EditorWidgets widgets;
  EditorResources resources;
  EditorEntry entry;
  bool recordMode = false;
  bool snapToBeats = false;        // G
  double snapUnitBeats = 0.25;     // [ halves, ] doubles: 1/16 beat .. a bar
  std::vector<ClipKey> clipboard;  // Ctrl+C
  uint64_t wallStart = 0;          // performance counter at construction: the file poll's clock

 private:
  // Input, by message (editor_input.cpp).
  void keyPressed(uint32_t key, bool repeat);
  void pointerMoved(uint32_t lParam);
  void leftButtonDown();
  void leftButtonUp();
  void rightButtonDown();
  void middleButtonDown();
  bool pickController(ListPanel& panel, ListPanel& other);
  bool startsBox() const;
  bool pickSegmentMode();
  void pickInBand();
  // Commands.
  void rebuild();
  void snapshot();
  void undo();
  void redo();
  void save();
  void reset();
  void setPlaying(bool playing);
  void seekTo(float seconds);
  void copyKeys();
  void pasteKeys();
  float snapTime(float t) const;
  void writeStatus();
  void updateTitle();

  // Many keys at once (editor_group_edits.cpp).
  void selectAllKeys();
  void nudgeSelection(int direction, bool byBar);
  void changeTime(bool remove);
  void beginValueDrag();
  void dragValues();
  void openEntry(int kind);
  bool entryKeyPressed(uint32_t key);
  void applyEntry();
  void toggleLoop();
  void recordPress();
  void beginBlockDrag(int key);
  void dragBlock();
  void updateBox();
  void endBox();
  float unitSeconds(bool byBar) const;
  void drawGroupOverlay();

  void loadButtons();
  void fillPanels();
  void pollVisibility(bool* visible);
  void drawLabels(float demoSeconds);
  void drawPanels();
};

// The waveform strip of a decoded song: one frame per millisecond over lengthMs, each half the
// sample of largest magnitude (with its sign) of the mono mix in that millisecond. Frames past
// the song's end are 0.
std::vector<WaveformFrame> waveformFromSamples(const std::vector<float>& mono, int sampleRate,
                                               uint32_t lengthMs);

}  // namespace qorFramework
