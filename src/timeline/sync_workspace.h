// SyncWorkspace: the sync editor's hold on the curves as files. It loads and saves the sync
// file (and the source tree's text copy of it), keeps the undo and redo steps as snapshot files,
// knows whether the curves differ from what was last loaded or saved, reloads the text copy
// when another program changes it, and at exit keeps unsaved curves in a recovery file.
// An earlier session's leftovers (a recovery file, the snapshots of a session that never
// closed) are named in INFO lines when a workspace opens.
// Owns: the snapshot files it lists, the session marker. Depends on: the controllers, the sync
// file and its text form, the trace log, platform files.
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"
#include "timeline/controller.h"
#include "timeline/sync_file.h"

namespace qorFramework {

struct WorkspacePaths {
  std::string syncFile = "data\\demosynch.dat";
  std::string textFile;  // the source tree's show/demosynch.txt; empty when there is none
  std::string editorFolder = "editor";
  std::string recoveryFile = "editor\\recovery.dat";
  std::string sessionMarker = "editor\\session.lock";
};

// The text copy of the sync file in the source tree this build was made from: the folder named
// in the first line of `markerFile` (the build writes it into the resources), plus
// "/show/demosynch.txt", when that file exists; empty otherwise.
std::string findSourceText(const char* markerFile);

class SyncWorkspace {
 public:
  // Names what an earlier session left behind, marks this session as running and takes the
  // list's current curves as the saved ones. `list` must outlive the workspace.
  void open(ControllerList* list, const WorkspacePaths& paths);

  // Before an edit: writes an undo snapshot and drops the redo steps. False when the snapshot
  // could not be written (a WARNING says why; the edit may go on).
  bool snapshot();
  // Back to the newest snapshot (the current curves become a redo step). False: nothing to undo.
  bool undo();
  // Forward to the newest redo step (the current curves become an undo step). False: nothing.
  bool redo();
  // Writes the sync file, then the text copy; both atomically. False (the old files kept, the
  // edits still unsaved, a WARNING) when the sync file could not be written.
  bool save();
  // Takes a snapshot, then reloads the sync file over the edits. False when it cannot be read.
  bool reset();
  // Takes a snapshot, then loads another sync file (a recovery or snapshot file) over the
  // curves; they count as unsaved. False (nothing changed) when it cannot be read.
  bool load(const char* fileName);
  // The curves differ from what was last loaded or saved.
  bool dirty() const;

  // Reloads the text copy when it changed on disk since it was last read or written (checked
  // at most every `intervalSeconds` of the caller's clock). A text with errors is refused with a
  // WARNING naming the line. True when the curves changed (after a snapshot).
  bool pollTextFile(double nowSeconds, double intervalSeconds = 0.5);

  // At exit: unsaved curves go to the recovery file (a WARNING names it), the snapshot files
  // still listed are deleted, and the session marker goes.
  void close();

  SnapshotHistory history;             // undo steps, newest last
  std::vector<std::string> redoNames;  // redo steps, newest last
  WorkspacePaths paths;

 private:
  std::string image() const;
  bool writeStep(std::vector<std::string>& names);
  bool restoreStep(std::vector<std::string>& names);
  void reportLeftovers();
  void keepOlderRecovery();
  bool writeText();

  ControllerList* list_ = nullptr;
  std::string savedImage_;       // the curves as last loaded or saved, encoded
  std::string textSeen_;         // the text copy as last read or written
  platform::FileStamp textStamp_;
  double nextTextCheck_ = 0.0;
  bool loadedRecovery_ = false;  // this session loaded the recovery file: it may replace it
};

}  // namespace qorFramework
