// The editor's input driven the way the window procedure drives it: Windows-style message
// triples with pointer positions in client pixels, read through a real 1000 x 500 viewport, and
// the editor's state, the curves and the undo files checked after each gesture.
//
// The editor is zoomed to the first 10 s of the 124-s time line, so a key at t seconds sits at
// x = 100 t pixels. Rows of pixels used: 385 is overlay y 0.23 (the key handles), 335 is 0.33
// (the curve area), 450 is 0.10 (the time strip), 25 is 0.95 (the panel titles).
#include "editor/editor_fixture.h"

using namespace editortest;

namespace {

const Floats kOriginalTimes = {1.0f, 3.0f, 5.0f, 7.0f};
const auto Near = [](float e = 1e-3f) { return FloatNear(e); };

// ---- undo and redo -------------------------------------------------------------------------

class EditorInputUndo : public EditorInputTest {};

TEST_F(EditorInputUndo, CtrlZWithNothingToUndoChangesNothing) {
  attach();
  down(pf::VK_CONTROL);
  down('Z');
  down('Z', true);
  up('Z');
  up(pf::VK_CONTROL);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  EXPECT_THAT(values(*curve), Pointwise(Near(), Floats{0.2f, 0.6f, 0.4f, 0.8f}));
  EXPECT_EQ(snapshots(), 0u);
  EXPECT_TRUE(editor->workspace.redoNames.empty());
}

TEST_F(EditorInputUndo, HoldingCtrlZUndoesOneStepForEachRepeat) {
  attach();
  middleClick(150, kKeyY);
  middleClick(650, kKeyY);
  ASSERT_EQ(snapshots(), 2u);
  down(pf::VK_CONTROL);
  down('Z');
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 1.5f, 3, 5, 7}));
  down('Z', true);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  down('Z', true);  // nothing left to undo
  up('Z');
  up(pf::VK_CONTROL);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  EXPECT_EQ(snapshots(), 0u);
  EXPECT_EQ(editor->workspace.redoNames.size(), 2u);
}

TEST_F(EditorInputUndo, CtrlYAndCtrlShiftZRedoStepByStepUntilANewEdit) {
  attach();
  middleClick(150, kKeyY);
  middleClick(650, kKeyY);
  down(pf::VK_CONTROL);
  tap('Z');
  tap('Z');
  ASSERT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  tap('Y');
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 1.5f, 3, 5, 7}));
  down(pf::VK_SHIFT);
  tap('Z');
  up(pf::VK_SHIFT);
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 1.5f, 3, 5, 6.5f, 7}));
  tap('Y');  // nothing left to redo
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 1.5f, 3, 5, 6.5f, 7}));
  EXPECT_EQ(snapshots(), 2u) << "redone steps can be undone again";

  tap('Z');
  up(pf::VK_CONTROL);
  ASSERT_EQ(editor->workspace.redoNames.size(), 1u);
  std::string dropped = editor->workspace.redoNames[0];
  down(pf::VK_DELETE);  // a new edit: the first key goes
  rightPress(100, kKeyY);
  rightUp();
  up(pf::VK_DELETE);
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1.5f, 3, 5, 7}));
  EXPECT_TRUE(editor->workspace.redoNames.empty());
  EXPECT_FALSE(pf::fileExists(dropped.c_str()));
  chord(pf::VK_CONTROL, 'Y');
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1.5f, 3, 5, 7}));
}

// ---- the workspace menu --------------------------------------------------------------------

class EditorInputWorkspace : public EditorInputTest {};

TEST_F(EditorInputWorkspace, ResetReloadsTheSavedCurvesAndUndoBringsTheEditsBack) {
  attach();
  pickRow(kWorkspaceX, kSave);
  EXPECT_STREQ(editor->widgets.statusText, "saved");
  EXPECT_TRUE(pf::fileExists("data/demosynch.dat"));
  EXPECT_FALSE(editor->widgets.workspacePanel.open) << "a picked row closes the menu";
  EXPECT_EQ(snapshots(), 0u);

  middleClick(150, kKeyY);
  pickRow(kWorkspaceX, kReset);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  EXPECT_EQ(snapshots(), 2u) << "the insertion and the reset";
  chord(pf::VK_CONTROL, 'Z');
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 1.5f, 3, 5, 7}));
  pickRow(kWorkspaceX, kUndo);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  EXPECT_EQ(snapshots(), 0u);
}

TEST_F(EditorInputWorkspace, SaveSeekZoomPicksAndTransportTakeNoSnapshot) {
  attach();
  click(400, kCurveY);  // a segment
  pickRow(kWorkspaceX, kSave);
  down(pf::VK_TAB);
  click(400, kCurveY);
  up(pf::VK_TAB);
  leftPress(200, kStripY);
  move(600, kStripY);
  leftUp();
  rightPress(500, kStripY);
  rightUp();
  pickRow(kControllersX, 1);
  click(kPauseX, kButtonY);
  click(kPlayX, kButtonY);
  tap(pf::VK_SPACE);
  tap(pf::VK_SPACE);
  tap(pf::VK_RIGHT);
  tap(pf::VK_HOME);
  tap('G');
  EXPECT_EQ(snapshots(), 0u);
  EXPECT_FALSE(editor->workspace.dirty());
}

// ---- the pointer ---------------------------------------------------------------------------

class EditorInputPointer : public EditorInputTest {};

TEST_F(EditorInputPointer, PositionsAreReadThroughTheCurrentViewport) {
  attach();
  move(250, 125);
  EXPECT_FLOAT_EQ(editor->input.mouseX, 0.25f);
  EXPECT_FLOAT_EQ(editor->input.mouseY, 0.75f);
  EXPECT_FALSE(editor->input.pointerOverTimeline);
  move(250, kCurveY);
  EXPECT_TRUE(editor->input.pointerOverTimeline);
  EXPECT_NEAR(editor->input.hoverTime, 2.5f, 1e-3f);

  glViewport(0, 50, 1000, 400);  // a letterboxed picture
  move(300, 358);
  EXPECT_NEAR(editor->input.mouseY, 0.23f, 1e-4f);
  EXPECT_EQ(editor->input.hoveredKey, 1);
  glViewport(0, 0, 1000, 500);
}

// ---- left button on keys: selection and time drag ------------------------------------------

class EditorInputKeyDrag : public EditorInputTest {};

TEST_F(EditorInputKeyDrag, APressOnAHandleDragsThatKeyButNeverOntoOrPastANeighbour) {
  attach();
  leftPress(200, kKeyY);  // between handles: nothing to drag
  leftUp();
  EXPECT_EQ(snapshots(), 0u);

  move(300, kKeyY);
  EXPECT_EQ(editor->input.hoveredKey, 1);
  leftPress(300, kKeyY);
  EXPECT_EQ(editor->selection.keys, Keys{1});
  EXPECT_EQ(editor->input.dragMode, DragKeyTime);
  EXPECT_EQ(snapshots(), 1u);
  move(350, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 3.5f, 1e-3f);
  EXPECT_EQ(editor->input.hoveredKey, -1);
  move(500, kKeyY);  // exactly the next key's time
  EXPECT_NEAR(curve->keys[1].time, 3.5f, 1e-3f);
  move(620, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 3.5f, 1e-3f);
  move(101, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 1.01f, 1e-3f);
  move(100, kKeyY);
  move(40, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 1.01f, 1e-3f);
  leftUp();
  EXPECT_TRUE(editor->selection.keys.empty());
  EXPECT_EQ(editor->input.dragMode, DragNone);
  move(400, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 1.01f, 1e-3f) << "the release ends the drag";
  chord(pf::VK_CONTROL, 'Z');
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
}

TEST_F(EditorInputKeyDrag, ShiftJumpsOntoReferenceKeysWithinReachButNotOntoANeighbour) {
  attach();
  editor->view.referenceController = reference;
  leftPress(300, kKeyY);
  down(pf::VK_SHIFT);
  move(396, kKeyY);  // 0.007 left of the reference key at 4.03 s
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.03f);
  move(412, kKeyY);  // 0.009 right of it: out of reach
  EXPECT_NEAR(curve->keys[1].time, 4.12f, 1e-3f);
  move(493, kKeyY);  // the reference key at 5 s shares the neighbour's time
  EXPECT_NEAR(curve->keys[1].time, 4.12f, 1e-3f);
  move(205, kKeyY);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 2.0f);
  up(pf::VK_SHIFT);
  move(396, kKeyY);
  EXPECT_NEAR(curve->keys[1].time, 3.96f, 1e-3f);
  leftUp();
  EXPECT_THAT(times(*reference), Pointwise(Near(), Floats{2, 4.03f, 5}));
}

TEST_F(EditorInputKeyDrag, KeysHeldWhenTheWindowLosesFocusCountAsReleased) {
  attach();
  editor->view.referenceController = reference;
  down(pf::VK_SHIFT);
  send(pf::WM_KILLFOCUS, 0, 0);  // Shift is let go in another window
  leftPress(300, kKeyY);
  move(396, kKeyY);
  leftUp();
  EXPECT_NEAR(curve->keys[1].time, 3.96f, 1e-3f) << "no reference snap without Shift";
  EXPECT_FALSE(editor->input.keyDown[pf::VK_SHIFT]);
}

TEST_F(EditorInputKeyDrag, CtrlClicksAddKeysWhichThenMoveNotInTimeButTogetherInValue) {
  attach();
  down(pf::VK_CONTROL);
  click(100, kKeyY);
  leftPress(500, kKeyY);
  EXPECT_EQ(editor->selection.keys, (Keys{0, 2}));
  move(600, kKeyY);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  leftUp();
  EXPECT_EQ(editor->selection.keys, (Keys{0, 2})) << "released with Ctrl down: the selection stays";
  up(pf::VK_CONTROL);  // Ctrl + right drag moves the values by one amount instead

  rightPress(600, kKeyY);  // beside every key: drags the selection
  EXPECT_EQ(editor->input.dragMode, DragKeyValues);
  move(600, kKeyY - 25);   // up by 0.05 from key 2's value 0.4
  EXPECT_THAT(values(*curve), Pointwise(Near(1e-4f), Floats{0.9f, 0.6f, 0.9f, 0.8f}));
  rightUp();
  EXPECT_EQ(editor->selection.keys, (Keys{0, 2}));
  EXPECT_EQ(editor->input.dragMode, DragNone);
  EXPECT_EQ(snapshots(), 3u);
}

// ---- right button: value drag --------------------------------------------------------------

class EditorInputValueDrag : public EditorInputTest {};

TEST_F(EditorInputValueDrag, TheHoveredKeyRisesTenTimesAsFastAsThePointerAndStopsAtZeroAndOne) {
  attach();
  rightPress(200, kCurveY);  // no key selected or hovered
  rightUp();
  EXPECT_EQ(snapshots(), 0u);

  rightPress(100, kKeyY);
  EXPECT_EQ(editor->selection.keys, Keys{0});
  EXPECT_EQ(editor->input.dragMode, DragKeyValues);
  EXPECT_EQ(snapshots(), 1u);
  move(100, kKeyY - 25);
  EXPECT_NEAR(curve->keys[0].value, 0.7f, 1e-4f);
  move(100, kKeyY - 55);
  EXPECT_FLOAT_EQ(curve->keys[0].value, 1.0f);
  move(100, kStripY - 20);
  EXPECT_FLOAT_EQ(curve->keys[0].value, 0.0f);
  move(100, kKeyY - 10);
  EXPECT_NEAR(curve->keys[0].value, 0.4f, 1e-4f) << "measured from where the drag began";
  rightUp();
  EXPECT_TRUE(editor->selection.keys.empty()) << "a lone dragged key is let go";
  EXPECT_EQ(editor->input.dragMode, DragNone);
  move(100, kKeyY - 55);
  EXPECT_NEAR(curve->keys[0].value, 0.4f, 1e-4f);
  EXPECT_THAT(values(*curve), Pointwise(Near(1e-4f), Floats{0.4f, 0.6f, 0.4f, 0.8f}));
}

// ---- the time strip: range zoom ------------------------------------------------------------

class EditorInputZoom : public EditorInputTest {};

TEST_F(EditorInputZoom, ADragUnderHalfAPercentOfTheWidthDoesNotZoomAWiderOneDoes) {
  attach();
  rightPress(600, kKeyY);  // above the time strip, off the handles: no zoom reset
  rightUp();
  EXPECT_EQ(editor->view.viewEnd, 10000u);
  rightPress(500, kStripY);
  rightUp();
  EXPECT_EQ(editor->view.viewStart, 0u);
  EXPECT_EQ(editor->view.viewEnd, 124000u);

  leftPress(200, kStripY);
  EXPECT_TRUE(editor->input.rangeSelecting);
  EXPECT_TRUE(editor->view.rangeActive);
  move(204, kStripY);
  leftUp();
  EXPECT_EQ(editor->view.viewStart, 0u);
  EXPECT_EQ(editor->view.viewEnd, 124000u);
  EXPECT_FALSE(editor->view.rangeActive);
  EXPECT_FALSE(editor->input.rangeSelecting);

  leftPress(200, kStripY);
  move(206, kStripY);
  leftUp();
  EXPECT_NEAR(editor->view.viewStart, 24800.0, 2.0);
  EXPECT_NEAR(editor->view.viewEnd, 25544.0, 2.0);

  rightPress(500, kStripY);
  rightUp();
  leftPress(600, kStripY);  // right to left
  move(400, kStripY);
  move(200, kStripY);
  EXPECT_NEAR(editor->view.rangeTo, 24.8f, 1e-3f);
  leftUp();
  EXPECT_NEAR(editor->view.viewStart, 24800.0, 2.0);
  EXPECT_NEAR(editor->view.viewEnd, 74400.0, 2.0);
  EXPECT_NEAR(editor->input.hoverTime, 34.72f, 0.01f) << "the time under the pointer in the new window";
}

TEST_F(EditorInputZoom, ARangeDraggedPastTheEndStopsAtTheLengthAndRightClickShowsItAll) {
  attach();
  rightPress(500, kStripY);
  rightUp();
  leftPress(900, kStripY);
  move(1100, kStripY);
  leftUp();
  EXPECT_NEAR(editor->view.viewStart, 111600.0, 2.0);
  EXPECT_EQ(editor->view.viewEnd, 124000u);
  rightPress(100, kStripY);
  EXPECT_EQ(editor->view.viewStart, 0u);
  EXPECT_EQ(editor->view.viewEnd, 124000u);
  EXPECT_FALSE(editor->view.rangeActive);
  EXPECT_EQ(editor->input.dragMode, DragNone);
}

// ---- the controller panels -----------------------------------------------------------------

class EditorInputControllers : public EditorInputTest {};

TEST_F(EditorInputControllers, ARowClickPicksTheControllerToEdit) {
  attach();
  down(pf::VK_CONTROL);
  click(100, kKeyY);
  up(pf::VK_CONTROL);
  ASSERT_EQ(editor->selection.keys, Keys{0});
  move(kControllersX, kTitleY);
  EXPECT_TRUE(editor->widgets.controllersPanel.open);
  click(kControllersX, rowY(1));
  EXPECT_EQ(editor->selection.controller, reference);
  EXPECT_EQ(editor->selection.controllerIndex, 1);
  EXPECT_TRUE(editor->selection.keys.empty());
  move(200, kKeyY);
  EXPECT_EQ(editor->input.hoveredKey, 0) << "the handles are now the picked controller's";
  EXPECT_EQ(editor->view.referenceController, nullptr);
}

TEST_F(EditorInputControllers, ShiftClickingARowTwiceSetsThenClearsTheReferenceAndItsMark) {
  for (int i = 0; i < 40; ++i) findOrCreateController(controllers, ("Filler: " + std::to_string(i)).c_str());
  attach();
  down(pf::VK_SHIFT);
  pickRow(kControllersX, 1);
  EXPECT_EQ(editor->view.referenceController, reference);
  EXPECT_EQ(editor->widgets.controllersPanel.markId, 1);
  EXPECT_EQ(editor->selection.controller, curve) << "Shift picks the reference, not the edited one";
  EXPECT_EQ(editor->selection.controllerIndex, 0);
  click(kControllersX, rowY(1));
  EXPECT_EQ(editor->view.referenceController, nullptr);
  EXPECT_EQ(editor->widgets.controllersPanel.markId, -1);

  pickRow(kControllersX, 1);
  move(kControllers2X, kTitleY);
  EXPECT_FALSE(editor->widgets.controllersPanel.open);
  ASSERT_TRUE(editor->widgets.controllersPanel2.open);
  click(kControllers2X, rowY(0));
  EXPECT_EQ(editor->view.referenceController, controllers[40].get());
  EXPECT_EQ(editor->widgets.controllersPanel2.markId, 40);
  EXPECT_EQ(editor->widgets.controllersPanel.markId, -1) << "one mark over both panels";
  click(kControllers2X, rowY(0));
  EXPECT_EQ(editor->view.referenceController, nullptr);
  EXPECT_EQ(editor->widgets.controllersPanel2.markId, -1);
  up(pf::VK_SHIFT);
}

// ---- segments ------------------------------------------------------------------------------

class EditorInputSegments : public EditorInputTest {};

TEST_F(EditorInputSegments, AClickInTheCurveAreaSelectsTheSegmentUnderThePointer) {
  attach();
  click(400, kCurveY);
  EXPECT_EQ(editor->selection.segment, 1);
  EXPECT_EQ(editor->view.selectedSegment, 1);
  click(600, kCurveY);
  EXPECT_EQ(editor->selection.segment, 2);
  click(800, kCurveY);  // after the last key
  EXPECT_EQ(editor->selection.segment, -1);
  leftPress(400, kCurveY);
  move(700, kCurveY);
  leftUp();
  EXPECT_EQ(editor->selection.segment, -1) << "released away from the segment";
  click(400, kCurveY);
  click(450, kStripY);
  EXPECT_EQ(editor->selection.segment, -1);
  EXPECT_EQ(snapshots(), 0u);
}

TEST_F(EditorInputSegments, TheModeButtonsSetInterpolationAndShapeEachAfterOneSnapshot) {
  attach();
  click(400, kCurveY);
  ASSERT_EQ(editor->selection.segment, 1);
  editor->draw();  // the buttons appear over the segment's start (x 0.3, y 0.4)
  static const float kButtons[kSegmentButtonCount][2] = {
      {0.0f, 0.23f},   {0.0f, 0.17f},   {0.0f, 0.11f},   {0.0f, 0.05f},
      {0.038f, 0.05f}, {0.038f, 0.11f}, {0.038f, 0.17f}, {0.038f, 0.23f},
      {0.066f, 0.23f}, {0.066f, 0.17f}, {0.066f, 0.11f}};
  for (int id = 0; id < kSegmentButtonCount; ++id) {
    SCOPED_TRACE("button " + std::to_string(id));
    click(pixelX(0.3f + kButtons[id][0] + 0.0125f), pixelY(0.4f + kButtons[id][1] + 0.025f));
    EXPECT_EQ(curve->segments[1].interpolation, id <= 3 ? id + 1 : MinExponential);
    EXPECT_EQ(curve->segments[1].shape, id <= 3 ? ValVal : id - 3);
    EXPECT_EQ(snapshots(), static_cast<size_t>(id + 1));
    EXPECT_EQ(editor->selection.segment, 1);
  }
  EXPECT_EQ(curve->segments[0].interpolation, Linear);
  EXPECT_EQ(curve->segments[2].shape, ValVal);
  chord(pf::VK_CONTROL, 'Z');
  EXPECT_EQ(curve->segments[1].shape, OneOne);
}

// ---- seeking -------------------------------------------------------------------------------

class EditorInputSeek : public EditorInputTest {};

TEST_F(EditorInputSeek, TabClickMovesTheClockAndClearsOnlyTheKeySelection) {
  attach();
  down(pf::VK_CONTROL);
  click(100, kKeyY);
  click(400, kCurveY);
  up(pf::VK_CONTROL);
  ASSERT_EQ(editor->selection.keys, Keys{0});
  ASSERT_EQ(editor->selection.segment, 1);
  size_t before = snapshots();
  down(pf::VK_TAB);
  click(400, kStripY);  // no stream is open: the clock alone moves
  up(pf::VK_TAB);
  EXPECT_NEAR(show.clock.playedSeconds, 4.0f, 1e-3f);
  EXPECT_TRUE(editor->selection.keys.empty());
  EXPECT_EQ(editor->selection.segment, 1);
  EXPECT_FALSE(editor->input.rangeSelecting) << "a seek is not a zoom";
  EXPECT_EQ(editor->view.viewEnd, 10000u);
  EXPECT_EQ(snapshots(), before);
}

TEST_F(EditorInputSeek, TabClickAndArrowsMoveTheMusicAndTheTransportPausesIt) {
  attach();
  down(pf::VK_TAB);
  click(400, kStripY);
  up(pf::VK_TAB);
  ASSERT_FALSE(show.musicSeeks.empty());
  EXPECT_EQ(show.musicSeeks.back(), 4000u);
  click(kPauseX, kButtonY);
  EXPECT_EQ(show.appState, kStateHalted);
  tap(pf::VK_RIGHT);
  EXPECT_NEAR(show.clock.playedSeconds, 4.5f, 1e-3f);
  EXPECT_EQ(show.musicSeeks.back(), 4500u) << "seeking works while paused";
  click(kPlayX, kButtonY);
  EXPECT_EQ(show.appState, kStateRunning);
}

TEST_F(EditorInputSeek, ArrowsStepABeatOrWithShiftABarAndHomeGoesBackToTheStart) {
  attach();
  show.clock.playedSeconds = 10.0f;
  tap(pf::VK_RIGHT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 10.5f);
  chord(pf::VK_SHIFT, pf::VK_RIGHT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 12.5f);
  tap(pf::VK_LEFT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 12.0f);
  chord(pf::VK_SHIFT, pf::VK_LEFT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 10.0f);
  tap(pf::VK_HOME);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 0.0f);
  tap(pf::VK_LEFT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 0.0f);
  show.clock.playedSeconds = 123.8f;
  tap(pf::VK_RIGHT);
  EXPECT_FLOAT_EQ(show.clock.playedSeconds, 124.0f) << "not past the end of the time line";
}

// As floats, 3.1 + 0.5 s is 3599.9998 ms and 27.47 + 0.5 s is 27969.9993 ms: the clock's whole
// milliseconds would show the frame before the one asked for (before a key at that time).
TEST_F(EditorInputSeek, ASeekLandsOnTheMillisecondAskedForAndTheMusicFollows) {
  attach();
  for (float from : {3.1f, 27.47f, 1.005f}) {
    show.clock.playedSeconds = from;
    tap(pf::VK_RIGHT);
    const uint32_t wanted = static_cast<uint32_t>(std::lround((from + 0.5) * 1000.0));
    EXPECT_EQ(demoMilliseconds(show.clock), wanted) << "from " << from;
  }
}

TEST_F(EditorInputSeek, ArrowsStepTheShownTimeByABeatWhenTheShowStartsLate) {
  show.clock.startSeconds = 2.0f;  // the first layer starts at 2 s
  show.clock.playedSeconds = 3.0f;
  attach();
  tap(pf::VK_RIGHT);
  EXPECT_NEAR(show.clock.startSeconds + show.clock.playedSeconds, 5.5f, 1e-4f);
  tap(pf::VK_LEFT);
  EXPECT_NEAR(show.clock.startSeconds + show.clock.playedSeconds, 5.0f, 1e-4f);
}

// ---- inserting and deleting keys -----------------------------------------------------------

class EditorInputInsertDelete : public EditorInputTest {};

TEST_F(EditorInputInsertDelete, TheMiddleButtonInsertsOnTheCurveOnlyInTheUpperKeyStrip) {
  curve->segments[0] = {Smoothstep, ValVal};
  attach();
  click(400, kCurveY);
  Controller before = *curve;
  for (int y : {401, 375, kCurveY, kStripY}) {  // y 0.198, 0.25, the curve area, the time strip
    middleClick(150, y);
    EXPECT_EQ(curve->keys.size(), 4u) << "y pixel " << y;
  }
  middleClick(300, kKeyY);  // on a handle
  EXPECT_EQ(curve->keys.size(), 4u);
  EXPECT_EQ(snapshots(), 0u);
  EXPECT_EQ(editor->selection.segment, -1) << "any middle click drops the segment";

  evaluateController(before, 1.5f);
  middleClick(150, kKeyY);
  ASSERT_EQ(curve->keys.size(), 5u);
  EXPECT_NEAR(curve->keys[1].time, 1.5f, 1e-3f);
  EXPECT_FLOAT_EQ(curve->keys[1].value, before.value) << "the value the curve had there";
  EXPECT_GT(std::fabs(before.value - 0.3f), 0.01f) << "a smoothstep stretch, not the straight line";
  EXPECT_EQ(editor->input.hoveredKey, 1);
  EXPECT_EQ(snapshots(), 1u);
  middleClick(250, 399);  // y 0.202
  EXPECT_EQ(curve->keys.size(), 6u);
}

TEST_F(EditorInputInsertDelete, DeleteAndRightClickRemovesAKeyAndAlwaysTakesASnapshot) {
  attach();
  down(pf::VK_DELETE);
  rightPress(300, kKeyY);
  rightUp();
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 5, 7}));
  EXPECT_EQ(curve->segments.size(), 2u);
  EXPECT_EQ(snapshots(), 1u);
  EXPECT_EQ(editor->input.dragMode, DragNone);
  for (int x : {200, 300, 850}) {
    rightPress(x, kKeyY);
    rightUp();
  }
  rightPress(500, kStripY);  // Delete wins over the zoom reset
  rightUp();
  up(pf::VK_DELETE);
  EXPECT_THAT(times(*curve), Pointwise(Near(), Floats{1, 5, 7}));
  EXPECT_EQ(snapshots(), 5u);
  EXPECT_EQ(editor->view.viewEnd, 10000u);
}

// ---- transport -----------------------------------------------------------------------------

class EditorInputTransport : public EditorInputTest {};

TEST_F(EditorInputTransport, ButtonsPlayPauseAndRecordWithASnapshotOnlyWhenRecordingStarts) {
  attach();
  click(kPauseX, kButtonY);
  EXPECT_EQ(show.appState, kStateHalted);
  click(kPlayX, kButtonY);
  EXPECT_EQ(show.appState, kStateRunning);
  click(kRecordX, kButtonY);
  EXPECT_TRUE(editor->recordMode);
  EXPECT_EQ(snapshots(), 1u);
  click(kRecordX, kButtonY);
  EXPECT_FALSE(editor->recordMode);
  EXPECT_EQ(snapshots(), 1u);
}

TEST_F(EditorInputTransport, SpaceTogglesPlayAndPauseOutsideRecordMode) {
  attach();
  tap(pf::VK_SPACE);
  EXPECT_EQ(show.appState, kStateHalted);
  down(pf::VK_SPACE);
  EXPECT_EQ(show.appState, kStateRunning);
  down(pf::VK_SPACE, true);  // held: the repeat does not toggle again
  up(pf::VK_SPACE);
  EXPECT_EQ(show.appState, kStateRunning);
  editor->recordMode = true;
  tap(pf::VK_SPACE);
  EXPECT_EQ(show.appState, kStateRunning) << "in record mode Space records keys instead";
}

// ---- snapping to the beat grid -------------------------------------------------------------

class EditorInputSnap : public EditorInputTest {};

TEST_F(EditorInputSnap, GTogglesSnappingAndTheBracketsHalveAndDoubleTheUnit) {
  attach();
  EXPECT_FALSE(editor->snapToBeats);
  EXPECT_STREQ(editor->snapText(), "off");
  down('G');
  down('G', true);
  up('G');
  EXPECT_TRUE(editor->snapToBeats);
  EXPECT_STREQ(editor->snapText(), "1/4 beat");
  const char* halving[] = {"1/8 beat", "1/16 beat", "1/16 beat"};
  for (const char* text : halving) {
    tap(pf::VK_OEM_4);
    EXPECT_STREQ(editor->snapText(), text);
  }
  const char* doubling[] = {"1/8 beat", "1/4 beat", "1/2 beat", "1 beat", "2 beats", "1 bar", "1 bar"};
  for (const char* text : doubling) {
    tap(pf::VK_OEM_6);
    EXPECT_STREQ(editor->snapText(), text);
  }
  EXPECT_DOUBLE_EQ(editor->snapUnitBeats, 4.0);
  tap('G');
  EXPECT_STREQ(editor->snapText(), "off");
}

TEST_F(EditorInputSnap, DraggedInsertedAndRecordedKeysLandOnTheGrid) {
  attach();
  tap('G');  // a quarter beat at 120 bpm: 0.125 s
  leftPress(300, kKeyY);
  move(321, kKeyY);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 3.25f);
  move(336, kKeyY);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 3.375f);
  leftUp();
  middleClick(206, kKeyY);
  EXPECT_THAT(times(*curve), Pointwise(Near(1e-6f), Floats{1, 2, 3.375f, 5, 7}));
  editor->recordKey(1.3f);
  EXPECT_THAT(times(*curve), Pointwise(Near(1e-6f), Floats{1, 1.25f, 2, 3.375f, 5, 7}));
  tap(pf::VK_OEM_6);
  tap(pf::VK_OEM_6);  // a beat
  middleClick(640, kKeyY);
  EXPECT_FLOAT_EQ(curve->keys[5].time, 6.5f);
  tap('G');
  middleClick(820, kKeyY);
  EXPECT_NEAR(curve->keys.back().time, 8.2f, 1e-3f) << "off again: where the pointer is";
}

TEST_F(EditorInputSnap, ShiftsSnapToTheReferenceWinsOverTheGrid) {
  attach();
  editor->view.referenceController = reference;
  tap('G');
  leftPress(300, kKeyY);
  down(pf::VK_SHIFT);
  move(396, kKeyY);
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.03f);
  move(430, kKeyY);  // no reference key in reach: the grid
  EXPECT_FLOAT_EQ(curve->keys[1].time, 4.25f);
  up(pf::VK_SHIFT);
  leftUp();
}

// ---- copy and paste ------------------------------------------------------------------------

class EditorInputClipboard : public EditorInputTest {};

TEST_F(EditorInputClipboard, PasteRepeatsTheCopiedKeysAtThePointerAfterOneSnapshot) {
  curve->segments[1] = {Smoothstep, OneVal};
  attach();
  down(pf::VK_CONTROL);
  tap('V');  // nothing copied yet
  EXPECT_EQ(snapshots(), 0u);
  click(500, kKeyY);  // picked out of order
  click(300, kKeyY);
  tap('C');
  ASSERT_EQ(editor->clipboard.size(), 2u);
  EXPECT_FLOAT_EQ(editor->clipboard[0].offset, 0.0f);
  EXPECT_FLOAT_EQ(editor->clipboard[1].offset, 2.0f);
  size_t before = snapshots();
  move(800, kCurveY);
  tap('V');
  up(pf::VK_CONTROL);
  EXPECT_EQ(snapshots(), before + 1);
  ASSERT_THAT(times(*curve), Pointwise(Near(), Floats{1, 3, 5, 7, 8, 10}));
  EXPECT_THAT(values(*curve), Pointwise(Near(1e-6f), Floats{0.2f, 0.6f, 0.4f, 0.8f, 0.6f, 0.4f}));
  EXPECT_EQ(curve->segments[4].interpolation, Smoothstep);
  EXPECT_EQ(curve->segments[4].shape, OneVal);
  EXPECT_EQ(curve->segments[3].interpolation, Linear) << "the stretch into the pasted keys is new";
  EXPECT_EQ(editor->selection.keys, (Keys{4, 5}));
  chord(pf::VK_CONTROL, 'Z');
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes)) << "one undo takes the whole paste back";
}

TEST_F(EditorInputClipboard, PastingAmongOtherKeysSelectsThePastedOnesInAnotherController) {
  attach();
  down(pf::VK_CONTROL);
  click(300, kKeyY);
  click(500, kKeyY);
  tap('C');
  up(pf::VK_CONTROL);
  pickRow(kControllersX, 1);
  ASSERT_EQ(editor->selection.controller, reference);
  move(250, kCurveY);
  chord(pf::VK_CONTROL, 'V');
  EXPECT_THAT(times(*reference), Pointwise(Near(), Floats{2, 2.5f, 4.03f, 4.5f, 5}));
  EXPECT_EQ(editor->selection.keys, (Keys{1, 3}));
  EXPECT_FLOAT_EQ(reference->keys[1].value, 0.6f);
  EXPECT_FLOAT_EQ(reference->keys[3].value, 0.4f);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
}

// ---- help, capture, the title --------------------------------------------------------------

class EditorInputHelp : public EditorInputTest {};

TEST_F(EditorInputHelp, F1TogglesTheHelpAndAClickOnlyClosesIt) {
  attach();
  tap(pf::VK_F1);
  EXPECT_TRUE(editor->widgets.helpVisible);
  down(pf::VK_F1);
  down(pf::VK_F1, true);
  up(pf::VK_F1);
  EXPECT_FALSE(editor->widgets.helpVisible);
  tap(pf::VK_F1);
  leftPress(300, kKeyY);
  EXPECT_FALSE(editor->widgets.helpVisible);
  EXPECT_TRUE(editor->selection.keys.empty());
  EXPECT_EQ(editor->input.dragMode, DragNone);
  leftUp();

  pickRow(kWorkspaceX, kHelp);
  EXPECT_TRUE(editor->widgets.helpVisible);
  middleClick(150, kKeyY);
  EXPECT_FALSE(editor->widgets.helpVisible);
  EXPECT_EQ(curve->keys.size(), 4u);
  EXPECT_EQ(snapshots(), 0u);
}

class EditorInputCapture : public EditorInputTest {};

TEST_F(EditorInputCapture, AnEditorThatTakesNoInputIgnoresEveryMessage) {
  attach(false);
  tap(pf::VK_F1);
  tap('G');
  tap(pf::VK_SPACE);
  down(pf::VK_CONTROL);
  move(150, kKeyY);
  middleClick(150, kKeyY);
  rightPress(100, kKeyY);
  move(100, kKeyY - 25);
  EXPECT_FALSE(editor->widgets.helpVisible);
  EXPECT_FALSE(editor->snapToBeats);
  EXPECT_EQ(show.appState, kStateRunning);
  EXPECT_FALSE(editor->input.keyDown[pf::VK_CONTROL]);
  EXPECT_EQ(editor->input.mouseX, 0.0f);
  EXPECT_THAT(times(*curve), Pointwise(Near(), kOriginalTimes));
  EXPECT_FLOAT_EQ(curve->keys[0].value, 0.2f);
  EXPECT_FALSE(std::filesystem::exists(scratch.file("editor"))) << "no snapshot, no session file";
}

class EditorInputTitle : public EditorInputTest {};

TEST_F(EditorInputTitle, TheWindowTitleMarksCurvesThatDifferFromTheLastSave) {
  pf::setWindowTitle(window_, "dovrix");
  window = window_;
  attach();
  EXPECT_STREQ(pf::windowTitle(window_), "dovrix");
  middleClick(150, kKeyY);
  editor->draw();
  EXPECT_STREQ(pf::windowTitle(window_), "dovrix *");
  pickRow(kWorkspaceX, kSave);
  editor->draw();
  EXPECT_STREQ(pf::windowTitle(window_), "dovrix");
  chord(pf::VK_CONTROL, 'Z');
  editor->draw();
  EXPECT_STREQ(pf::windowTitle(window_), "dovrix *") << "the saved curves had the key";
  chord(pf::VK_CONTROL, 'Y');
  editor->draw();
  EXPECT_STREQ(pf::windowTitle(window_), "dovrix") << "back to what was saved";
}

}  // namespace
