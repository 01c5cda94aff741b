// The editor's workspace: what survives quitting, crashing, failed saves and resets; undo and
// redo through snapshot files; the source tree's text copy written on save and reloaded when
// another program changes it.
#include "timeline/sync_workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/system.h"
#include "support/test_support.h"
#include "timeline/sync_text.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::readFile;
using testsupport::ScratchDir;
using testsupport::writeFile;

namespace {

const char* const kText =
    "# the show's curves\n"
    "\n"
    "# the planet turns\n"
    "controller \"Earth: Rotation\"\n"
    "  0    0\n"
    "  2    1    smoothstep valval\n"
    "\n"
    "# the fade\n"
    "controller \"Title: Alpha\"\n"
    "  1    0\n"
    "  3    1\n";

class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::makeDirectory("data"));
    ASSERT_TRUE(platform::makeDirectory("show"));
    writeFile("show/demosynch.txt", kText);
    std::vector<SyncRecord> records;
    SyncTextError error;
    SyncTextNotes notes;
    ASSERT_TRUE(parseSyncText(kText, records, error, notes));
    writeFile("data/demosynch.dat", encodeSyncData(records));
    ASSERT_TRUE(readSyncFile(list, "data\\demosynch.dat"));
    paths.textFile = scratch.file("show/demosynch.txt");
  }
  Controller& rotation() { return *list[0]; }
  bool exists(const std::string& path) { return platform::fileExists(path.c_str()); }

  ScratchDir scratch;
  DebugCapture trace;
  ControllerList list;
  WorkspacePaths paths;
};

TEST_F(WorkspaceTest, UnsavedCurvesGoToTheRecoveryFileAtCloseAndTheNextOpenNamesIt) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  EXPECT_FALSE(workspace.dirty());
  addKey(rotation(), 1.0f, 0.25f);
  EXPECT_TRUE(workspace.dirty());
  workspace.snapshot();
  workspace.close();

  ASSERT_TRUE(exists("editor/recovery.dat"));
  EXPECT_TRUE(trace.contains("WARNING (syncEditor): the curves were not saved: they are in \"editor/recovery.dat\""));
  EXPECT_EQ(platform::listFolder("editor").size(), 1u) << "snapshots and the session marker are gone";
  ControllerList recovered;
  ASSERT_TRUE(readSyncFile(recovered, "editor\\recovery.dat"));
  EXPECT_EQ(recovered[0]->keys.size(), 3u);

  trace.clear();
  SyncWorkspace next;
  next.open(&list, paths);
  EXPECT_TRUE(trace.contains("INFO (syncEditor): \"editor/recovery.dat\" holds curves an earlier session did not save: "
                             "start with --edit --load editor/recovery.dat"));
  next.close();
}

TEST_F(WorkspaceTest, ClosingWithoutEditsWritesNoRecoveryFile) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  addKey(rotation(), 1.0f, 0.25f);
  ASSERT_TRUE(workspace.save());
  workspace.close();
  EXPECT_FALSE(exists("editor/recovery.dat"));
  EXPECT_FALSE(trace.contains("WARNING"));
}

TEST_F(WorkspaceTest, ASessionThatNeverClosedIsNamedWithItsNewestSnapshot) {
  {
    SyncWorkspace crashed;
    crashed.open(&list, paths);
    crashed.snapshot();
    crashed.snapshot();
    // No close: the process died here.
  }
  std::string newest = platform::nativePath(snapshotFileName(2, platform::currentUtcTime()).c_str());
  trace.clear();
  SyncWorkspace next;
  next.open(&list, paths);
  EXPECT_TRUE(trace.contains("the editor session before this one did not close; its newest undo snapshot is"))
      << trace.text();
  EXPECT_TRUE(trace.contains("--load 'editor/--2--")) << trace.text();
  next.close();
  trace.clear();
  SyncWorkspace third;
  third.open(&list, paths);
  EXPECT_FALSE(trace.contains("did not close")) << "a clean close leaves no marker";
  third.close();
}

TEST_F(WorkspaceTest, AnOlderRecoveryFileIsKeptAsideNotOverwritten) {
  writeFile("editor/recovery.dat", "older");  // the folder does not exist yet
  platform::makeDirectory("editor");
  writeFile("editor/recovery.dat", "older");
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  addKey(rotation(), 1.0f, 0.5f);
  workspace.close();
  EXPECT_EQ(readFile("editor/recovery-1.dat"), "older");
  ControllerList recovered;
  EXPECT_TRUE(readSyncFile(recovered, "editor\\recovery.dat"));
}

TEST_F(WorkspaceTest, LoadingTheRecoveryFileCountsAsUnsavedAndSavingRetiresIt) {
  ControllerList edited;
  ASSERT_TRUE(readSyncFile(edited, "data\\demosynch.dat"));
  addKey(*edited[0], 1.5f, 0.75f);
  platform::makeDirectory("editor");
  ASSERT_TRUE(writeSyncFile(edited, "editor\\recovery.dat"));

  SyncWorkspace workspace;
  workspace.open(&list, paths);
  ASSERT_TRUE(workspace.load("editor\\recovery.dat"));
  EXPECT_EQ(rotation().keys.size(), 3u);
  EXPECT_TRUE(workspace.dirty());
  ASSERT_TRUE(workspace.undo());
  EXPECT_EQ(rotation().keys.size(), 2u) << "undo goes back to the saved curves";
  ASSERT_TRUE(workspace.redo());
  ASSERT_TRUE(workspace.save());
  EXPECT_FALSE(exists("editor/recovery.dat"));
  workspace.close();
}

TEST_F(WorkspaceTest, LoadingAFileThatDoesNotReadChangesNothing) {
  writeFile("broken.dat", std::string("\x05\x00\x00\x00", 4));
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  EXPECT_FALSE(workspace.load("broken.dat"));
  EXPECT_FALSE(workspace.load("missing.dat"));
  EXPECT_TRUE(workspace.history.names.empty());
  EXPECT_FALSE(workspace.dirty());
  workspace.close();
}

TEST_F(WorkspaceTest, AFailedSaveKeepsTheOldFileAndTheEditsUnsaved) {
  std::string before = readFile("data/demosynch.dat");
  ASSERT_EQ(mkdir("data/demosynch.dat.tmp", 0755), 0);  // the temporary file cannot be made
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  addKey(rotation(), 1.0f, 0.25f);
  EXPECT_FALSE(workspace.save());
  EXPECT_TRUE(trace.contains("WARNING (syncEditor): not saved: \"data/demosynch.dat\" keeps its old curves"));
  EXPECT_EQ(readFile("data/demosynch.dat"), before);
  EXPECT_EQ(readFile("show/demosynch.txt"), kText) << "the text copy follows only a saved file";
  EXPECT_TRUE(workspace.dirty());
  workspace.close();
  EXPECT_TRUE(exists("editor/recovery.dat"));
}

TEST_F(WorkspaceTest, ResetCanBeUndone) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  workspace.snapshot();
  addKey(rotation(), 1.0f, 0.25f);
  ASSERT_TRUE(workspace.reset());
  EXPECT_EQ(rotation().keys.size(), 2u);
  EXPECT_FALSE(workspace.dirty());
  ASSERT_TRUE(workspace.undo());
  EXPECT_EQ(rotation().keys.size(), 3u) << "the edits are back";
  ASSERT_TRUE(workspace.undo());
  EXPECT_EQ(rotation().keys.size(), 2u);
  EXPECT_FALSE(workspace.undo()) << "nothing older";
  workspace.close();
}

TEST_F(WorkspaceTest, RedoWalksForwardAnyNumberOfStepsUntilANewEdit) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  for (float t : {0.5f, 1.0f, 1.5f}) {
    workspace.snapshot();
    addKey(rotation(), t, 0.5f);
  }
  ASSERT_EQ(rotation().keys.size(), 5u);
  ASSERT_TRUE(workspace.undo());
  ASSERT_TRUE(workspace.undo());
  EXPECT_EQ(rotation().keys.size(), 3u);
  ASSERT_TRUE(workspace.redo());
  ASSERT_TRUE(workspace.redo());
  EXPECT_EQ(rotation().keys.size(), 5u);
  EXPECT_FALSE(workspace.redo());

  ASSERT_TRUE(workspace.undo());
  std::string redoFile = workspace.redoNames.back();
  ASSERT_TRUE(platform::fileExists(redoFile.c_str()));
  workspace.snapshot();  // a new edit
  deleteKey(rotation(), 1);
  EXPECT_TRUE(workspace.redoNames.empty());
  EXPECT_FALSE(platform::fileExists(redoFile.c_str()));
  EXPECT_FALSE(workspace.redo());
  std::vector<std::string> listed = workspace.history.names;
  ASSERT_FALSE(listed.empty());
  workspace.close();
  for (const std::string& name : listed) EXPECT_FALSE(platform::fileExists(name.c_str())) << name;
}

TEST_F(WorkspaceTest, SaveUpdatesTheTextCopyKeepingItsCommentsAndUnchangedLines) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  list[1]->keys[1].value = 0.5f;
  ASSERT_TRUE(workspace.save());
  std::string text = readFile("show/demosynch.txt");
  std::string expected = kText;
  expected.replace(expected.find("  3    1\n"), 9, "  3          0.5          linear         valval\n");
  EXPECT_EQ(text, expected);
  ControllerList fromFile;
  ASSERT_TRUE(readSyncFile(fromFile, "data\\demosynch.dat"));
  EXPECT_EQ(fromFile[1]->keys[1].value, 0.5f);
  EXPECT_FALSE(workspace.pollTextFile(10.0)) << "its own save is no change from outside";
  workspace.close();
}

TEST_F(WorkspaceTest, AChangedTextIsReloadedAfterASnapshotAndABrokenOneIsRefused) {
  SyncWorkspace workspace;
  workspace.open(&list, paths);
  EXPECT_FALSE(workspace.pollTextFile(1.0));

  std::string changed = kText;
  changed.replace(changed.find("  2    1 "), 9, "  2.5  0.75 ");
  writeFile("show/demosynch.txt", changed);
  EXPECT_FALSE(workspace.pollTextFile(1.2)) << "checked at most twice a second";
  ASSERT_TRUE(workspace.pollTextFile(1.6));
  EXPECT_EQ(rotation().keys[1].time, 2.5f);
  EXPECT_EQ(rotation().keys[1].value, 0.75f);
  EXPECT_FALSE(workspace.dirty()) << "the curves are what was loaded";
  EXPECT_TRUE(trace.contains("INFO (syncEditor): reloaded the curves from"));

  writeFile("show/demosynch.txt", changed + "controller \"Broken\n");
  EXPECT_FALSE(workspace.pollTextFile(3.0));
  EXPECT_TRUE(trace.contains("demosynch.txt:12: the name has no closing quote; the curves were not reloaded"))
      << trace.text();
  EXPECT_EQ(rotation().keys[1].time, 2.5f);

  ASSERT_TRUE(workspace.undo());
  EXPECT_EQ(rotation().keys[1].time, 2.0f) << "the reload can be undone";
  workspace.close();
}

TEST(WorkspaceSourceTree, FoundThroughTheBuildsMarkerOnlyWhenTheTextExists) {
  ScratchDir scratch;
  EXPECT_EQ(findSourceText("source-tree"), "");
  writeFile("source-tree", scratch.path() + "\n");
  EXPECT_EQ(findSourceText("source-tree"), "");
  platform::makeDirectory("show");
  writeFile("show/demosynch.txt", "");
  EXPECT_EQ(findSourceText("source-tree"), scratch.path() + "/show/demosynch.txt");
}

}  // namespace
