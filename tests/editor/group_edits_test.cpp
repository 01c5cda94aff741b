// An author's everyday operations on many keys, through the real input path: select all and box
// select, moving a block of keys in time, inserting and removing time, lifting values together,
// typing values and times, pasting a pulse, looping a range. 120 BPM: a beat is 0.5 s, a bar 2 s.
#include <cstdlib>

#include "editor/editor_fixture.h"
#include "timeline/key_edits.h"
#include "timeline/sync_file.h"
#include "timeline/sync_text.h"

using namespace editortest;

namespace {

using Values = std::vector<float>;

class GroupEdits : public EditorInputTest {
 protected:
  void ctrlChord(int vk, bool shift = false) {
    down(pf::VK_CONTROL);
    if (shift) down(pf::VK_SHIFT);
    tap(vk);
    if (shift) up(pf::VK_SHIFT);
    up(pf::VK_CONTROL);
  }
  void type(const char* text) {
    for (const char* c = text; *c; ++c) tap(*c == '.' ? pf::VK_OEM_PERIOD : *c == '-' ? pf::VK_OEM_MINUS : *c);
  }
  void selectKeys(std::initializer_list<int> pixels) {
    down(pf::VK_CONTROL);
    for (int x : pixels) click(x, kKeyY);
    up(pf::VK_CONTROL);
  }
  // Moves the show to `seconds` as a seek would.
  void playAt(float seconds) { seekShowClock(show.clock, seconds, show.lengthMs); }
};

// ---- selecting and moving in time ----------------------------------------------------------

TEST_F(GroupEdits, CtrlAThenCtrlRightMovesEveryKeyByExactlyOneBeatInOneUndoStep) {
  attach();
  ctrlChord('A');
  EXPECT_EQ(editor->selection.keys, (Keys{0, 1, 2, 3}));
  ctrlChord(pf::VK_RIGHT);
  EXPECT_EQ(times(*curve), (Floats{1.5f, 3.5f, 5.5f, 7.5f}));
  EXPECT_EQ(snapshots(), 1u);
  ctrlChord(pf::VK_LEFT, true);  // a bar back, but no key goes before 0
  EXPECT_EQ(times(*curve), (Floats{0.0f, 2.0f, 4.0f, 6.0f}));
  EXPECT_EQ(snapshots(), 2u);
  ctrlChord('Z');
  EXPECT_EQ(times(*curve), (Floats{1.5f, 3.5f, 5.5f, 7.5f}));
}

TEST_F(GroupEdits, ABlockMoveStopsOneMillisecondBeforeAnUnselectedNeighbour) {
  attach();
  selectKeys({100, 300});
  ASSERT_EQ(editor->selection.keys, (Keys{0, 1}));
  for (int press = 0; press < 4; ++press) ctrlChord(pf::VK_RIGHT);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.999f) << "stopped before the key at 5 s";
  EXPECT_FLOAT_EQ(curve->keys[0].time, 2.999f) << "the block keeps its spacing";
  size_t before = snapshots();
  ctrlChord(pf::VK_RIGHT);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.999f);
  EXPECT_EQ(snapshots(), before) << "nothing moved, nothing to undo";
}

TEST_F(GroupEdits, AltDragMovesTheSelectionWithTheDraggedKeySnapped) {
  attach();
  tap('G');  // snapping on, a quarter beat
  selectKeys({300, 500});
  size_t before = snapshots();
  down(pf::VK_MENU);
  leftPress(300, kKeyY);
  move(352, kKeyY);  // 3.52 s snaps to 3.5 s
  leftUp();
  up(pf::VK_MENU);
  EXPECT_THAT(times(*curve), Pointwise(FloatNear(1e-6f), (Floats{1.0f, 3.5f, 5.5f, 7.0f})));
  EXPECT_EQ(editor->selection.keys.size(), 2u) << "the block stays selected for the next move";
  EXPECT_EQ(snapshots(), before + 1);
}

TEST_F(GroupEdits, ACtrlBoxSelectsTheKeysInsideAndCtrlShiftAddsToThem) {
  attach();
  down(pf::VK_CONTROL);
  leftPress(250, 400);  // the key strip below the handles: no key there
  move(550, 330);       // into the curve area
  leftUp();
  EXPECT_EQ(editor->selection.keys, (Keys{1, 2}));
  down(pf::VK_SHIFT);
  leftPress(650, 400);
  move(750, 380);
  leftUp();
  up(pf::VK_SHIFT);
  up(pf::VK_CONTROL);
  EXPECT_EQ(editor->selection.keys, (Keys{1, 2, 3}));
  EXPECT_THAT(times(*curve), Pointwise(FloatNear(0.0f), (Floats{1.0f, 3.0f, 5.0f, 7.0f}))) << "a box moves nothing";
}

// ---- inserting and removing time -----------------------------------------------------------

TEST_F(GroupEdits, InsertAtTenSecondsShiftsEveryLaterKeyAndShiftInsertRestoresTheFileByteForByte) {
  const char* source = getenv("DOVRIX_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  std::string text = testsupport::readFile(std::string(source) + "/show/demosynch.txt");
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  ASSERT_TRUE(parseSyncText(text, records, error, notes)) << error.what;
  controllers.clear();
  loadSyncRecords(controllers, records);
  const std::string original = encodeSyncData(recordsFromControllers(controllers));
  attach();
  playAt(10.0f);

  tap(pf::VK_INSERT);
  size_t moved = 0;
  for (size_t c = 0; c < records.size(); ++c) {
    for (size_t k = 0; k < records[c].keys.size(); ++k) {
      float was = records[c].keys[k].time, now = controllers[c]->keys[k].time;
      if (was > 10.0f) {
        EXPECT_FLOAT_EQ(now, was + 0.5f) << records[c].name;
        ++moved;
      } else {
        EXPECT_EQ(now, was) << records[c].name;
      }
    }
  }
  EXPECT_GT(moved, 100u);
  chord(pf::VK_SHIFT, pf::VK_INSERT);
  EXPECT_EQ(encodeSyncData(recordsFromControllers(controllers)), original);
  EXPECT_EQ(snapshots(), 2u);

  // Anywhere in the show, by a beat or a bar: the same bytes come back.
  for (float unit : {0.5f, 2.0f}) {
    for (float at = 0.3f; at < 124.0f; at += 1.7f) {
      insertTime(controllers, at, unit);
      ASSERT_TRUE(removeTime(controllers, at, unit, nullptr));
      ASSERT_EQ(encodeSyncData(recordsFromControllers(controllers)), original) << "at " << at << " by " << unit;
    }
  }
}

TEST_F(GroupEdits, ShiftInsertRefusesToDeleteAKeyAndSaysWhich) {
  attach();
  playAt(2.75f);  // the removed half second would hold the key at 3 s
  chord(pf::VK_SHIFT, pf::VK_INSERT);
  EXPECT_EQ(times(*curve), (Floats{1.0f, 3.0f, 5.0f, 7.0f}));
  EXPECT_EQ(snapshots(), 0u);
  EXPECT_NE(editor->widgets.notice.find("Curve: value at 3.000 s"), std::string::npos) << editor->widgets.notice;
}

// ---- values --------------------------------------------------------------------------------

TEST_F(GroupEdits, CtrlRightDragLowersAPulseKeepingItsShape) {
  attach();
  ctrlChord('A');
  down(pf::VK_CONTROL);
  rightPress(100, kCurveY);
  move(100, kCurveY + 5);  // 0.01 of the height down: 0.1 in value
  rightUp();
  up(pf::VK_CONTROL);
  EXPECT_THAT(values(*curve), Pointwise(FloatNear(1e-5f), (Values{0.1f, 0.5f, 0.3f, 0.7f})));
  EXPECT_EQ(snapshots(), 1u);
}

TEST_F(GroupEdits, ShiftRightDragMovesATenthAsFarAndAPlainOneSetsOneValue) {
  attach();
  down(pf::VK_SHIFT);
  rightPress(300, kKeyY);  // the hovered key at 3 s, 0.6
  move(300, kKeyY - 5);
  rightUp();
  up(pf::VK_SHIFT);
  EXPECT_NEAR(curve->keys[1].value, 0.61f, 1e-5f);
  selectKeys({100, 500});
  rightPress(100, kKeyY);
  move(100, kKeyY - 5);
  rightUp();
  EXPECT_NEAR(curve->keys[0].value, curve->keys[2].value, 1e-6f) << "the plain drag still sets one value";
}

TEST_F(GroupEdits, VSetsEverySelectedKeyToTheTypedValueWithinTheLimits) {
  attach();
  selectKeys({100, 300, 500});
  size_t before = snapshots();
  move(400, 300);
  tap('V');
  type("0.25");
  tap(pf::VK_RETURN);
  EXPECT_THAT(values(*curve), Pointwise(FloatNear(0.0f), (Values{0.25f, 0.25f, 0.25f, 0.8f})));
  EXPECT_EQ(snapshots(), before + 1);
  tap('V');
  type("1.5");
  tap(pf::VK_BACK);
  tap(pf::VK_BACK);
  type("7");
  tap(pf::VK_RETURN);
  EXPECT_FLOAT_EQ(curve->keys[0].value, 1.0f) << "typed values are clamped as dragged ones";
}

TEST_F(GroupEdits, TSetsOneKeysTimeAndRefusesWhatAMoveWouldRefuse) {
  attach();
  selectKeys({300});
  size_t before = snapshots();
  tap('T');
  type("5.5");
  tap(pf::VK_RETURN);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 3.0f);
  EXPECT_NE(editor->widgets.notice.find("refused"), std::string::npos) << editor->widgets.notice;
  EXPECT_EQ(snapshots(), before);
  tap('T');
  type("4.25");
  tap(pf::VK_RETURN);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.25f);
  selectKeys({100, 500});
  tap('T');
  EXPECT_EQ(editor->entry.kind, EntryNone) << "T needs exactly one key";
}

TEST_F(GroupEdits, TheEntryFieldTakesTheKeysAndAClickElsewhereCancelsIt) {
  attach();
  selectKeys({100});
  tap('V');
  tap(pf::VK_SPACE);  // not a play command while typing
  tap('G');
  EXPECT_EQ(show.appState, kStateRunning);
  EXPECT_FALSE(editor->snapToBeats);
  click(800, kCurveY);
  EXPECT_EQ(editor->entry.kind, EntryNone);
  EXPECT_FLOAT_EQ(curve->keys[0].value, 0.2f);
}

// ---- paste ---------------------------------------------------------------------------------

TEST_F(GroupEdits, APastedPulseIsTheSameCurveAtItsNewPlace) {
  curve->keys.clear();
  curve->segments.clear();
  for (auto [t, v] : {std::pair{0.0f, 0.0f}, {1.0f, 1.0f}, {1.25f, 0.2f}, {1.5f, 0.0f}, {6.0f, 0.5f}, {8.0f, 0.3f}})
    addKey(*curve, t, v);
  curve->segments = {{Smoothstep, ValVal}, {Exponential, ValVal}, {MinExponential, ValZero},
                     {Linear, ValVal}, {MinExponential, ValVal}};
  attach();
  selectKeys({100, 125, 150});
  ctrlChord('C');
  move(650, kKeyY);
  ctrlChord('V');
  ASSERT_EQ(curve->keys.size(), 9u);
  for (int ms = 0; ms <= 500; ++ms) {
    Controller copy = *curve;
    evaluateController(copy, 1.0f + ms / 1000.0f);
    float there = copy.value;
    evaluateController(copy, 6.5f + ms / 1000.0f);
    ASSERT_NEAR(copy.value, there, 1e-5f) << "at " << ms << " ms into the pulse";
  }
  EXPECT_EQ(curve->segments[4].interpolation, Smoothstep) << "the stretch into the pasted pulse";
  EXPECT_EQ(curve->segments[7].interpolation, MinExponential) << "the stretch after it keeps its mode";
}

// ---- loop ----------------------------------------------------------------------------------

TEST_F(GroupEdits, LLoopsTheZoomedViewAndLAgainStops) {
  attach();
  tap('L');
  float from = 0.0f, to = 0.0f;
  ASSERT_TRUE(show.loop(&from, &to));
  EXPECT_FLOAT_EQ(from, 0.0f);
  EXPECT_FLOAT_EQ(to, 10.0f);
  playAt(10.2f);
  uint32_t musicMs = 0;
  EXPECT_TRUE(wrapShowLoop(show.clock, show.lengthMs, &musicMs));
  EXPECT_EQ(demoMilliseconds(show.clock), 0u);
  tap('L');
  EXPECT_FALSE(show.loop(&from, &to));
}

}  // namespace
