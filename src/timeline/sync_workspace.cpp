#include "timeline/sync_workspace.h"

#include "platform/trace.h"
#include "timeline/sync_text.h"

namespace qorFramework {

static const char* const kSource = "syncEditor";

std::string findSourceText(const char* markerFile) {
  std::string folder;
  if (!platform::readWholeFile(markerFile, &folder)) return "";
  folder = folder.substr(0, folder.find_first_of("\r\n"));
  if (folder.empty()) return "";
  std::string text = folder + "/show/demosynch.txt";
  return platform::fileExists(text.c_str()) ? text : "";
}

static std::string shown(const std::string& demoPath) { return platform::nativePath(demoPath.c_str()); }

std::string SyncWorkspace::image() const { return encodeSyncData(recordsFromControllers(*list_)); }

// ---- opening and closing -------------------------------------------------------------------

// Snapshot files are "--N--DATE!TIME.dat"; the newest by modification time.
static std::string newestSnapshot(const std::string& folder) {
  std::string newest;
  int64_t newestNs = -1;
  for (const std::string& name : platform::listFolder(folder.c_str())) {
    if (name.compare(0, 2, "--") != 0 || name.size() < 6 || name.compare(name.size() - 4, 4, ".dat") != 0)
      continue;
    std::string path = folder + "\\" + name;
    platform::FileStamp stamp;
    if (platform::fileStamp(path.c_str(), &stamp) && stamp.modifiedNs > newestNs) {
      newestNs = stamp.modifiedNs;
      newest = path;
    }
  }
  return newest;
}

void SyncWorkspace::reportLeftovers() {
  if (platform::fileExists(paths.recoveryFile.c_str())) {
    std::string file = shown(paths.recoveryFile);
    trace(TRACE_INFO, kSource,
          "\"%s\" holds curves an earlier session did not save: start with --edit --load %s to get "
          "them back, then save",
          file.c_str(), file.c_str());
  }
  if (!platform::fileExists(paths.sessionMarker.c_str())) return;
  std::string snapshot = newestSnapshot(paths.editorFolder);
  if (snapshot.empty()) {
    trace(TRACE_INFO, kSource, "the editor session before this one did not close; it left no undo snapshot");
    return;
  }
  std::string file = shown(snapshot);
  trace(TRACE_INFO, kSource,
        "the editor session before this one did not close; its newest undo snapshot is \"%s\": start "
        "with --edit --load '%s' to get it back, then save",
        file.c_str(), file.c_str());
}

void SyncWorkspace::open(ControllerList* list, const WorkspacePaths& workspacePaths) {
  list_ = list;
  paths = workspacePaths;
  reportLeftovers();
  platform::makeDirectory(paths.editorFolder.c_str());
  writeFileReplacing(paths.sessionMarker.c_str(), "pid " + std::to_string(platform::processId()) + "\n");
  savedImage_ = image();
  if (!paths.textFile.empty()) {
    platform::readWholeFile(paths.textFile.c_str(), &textSeen_);
    platform::fileStamp(paths.textFile.c_str(), &textStamp_);
  }
}

// A recovery file that this session neither wrote nor loaded is kept under the first free
// "recovery-N.dat" name before a new one takes its place.
void SyncWorkspace::keepOlderRecovery() {
  if (loadedRecovery_ || !platform::fileExists(paths.recoveryFile.c_str())) return;
  for (int n = 1; n < 1000; ++n) {
    std::string aside = paths.editorFolder + "\\recovery-" + std::to_string(n) + ".dat";
    if (platform::fileExists(aside.c_str())) continue;
    if (platform::replaceFile(paths.recoveryFile.c_str(), aside.c_str()))
      trace(TRACE_INFO, kSource, "the earlier recovery file is now \"%s\"", shown(aside).c_str());
    return;
  }
}

static void deleteFiles(std::vector<std::string>& names) {
  for (const std::string& name : names) platform::deleteFile(name.c_str());
  names.clear();
}

void SyncWorkspace::close() {
  if (list_ && dirty()) {
    keepOlderRecovery();
    platform::makeDirectory(paths.editorFolder.c_str());
    std::string file = shown(paths.recoveryFile);
    if (writeSyncFile(*list_, paths.recoveryFile.c_str()))
      trace(TRACE_WARNING, kSource,
            "the curves were not saved: they are in \"%s\"; start with --edit --load %s to get them back",
            file.c_str(), file.c_str());
    else
      trace(TRACE_WARNING, kSource, "the curves were not saved, and \"%s\" could not be written", file.c_str());
  }
  deleteSnapshotFiles(history);
  deleteFiles(redoNames);
  platform::deleteFile(paths.sessionMarker.c_str());
  list_ = nullptr;
}

// ---- undo and redo -------------------------------------------------------------------------

// Writes the curves to the next snapshot name and pushes it onto `names`.
bool SyncWorkspace::writeStep(std::vector<std::string>& names) {
  std::string name = writeSnapshot(history, *list_);
  if (name.empty()) return false;
  names.push_back(name);
  return true;
}

bool SyncWorkspace::snapshot() {
  if (!list_) return false;
  deleteFiles(redoNames);  // a new edit: what was undone cannot come back
  return writeStep(history.names);
}

bool SyncWorkspace::undo() {
  if (!list_ || history.names.empty()) return false;
  writeStep(redoNames);
  return restoreSnapshot(history, *list_);
}

bool SyncWorkspace::redo() {
  if (!list_ || redoNames.empty()) return false;
  writeStep(history.names);
  std::string name = redoNames.back();
  redoNames.pop_back();
  bool loaded = readSyncFile(*list_, name.c_str());
  platform::deleteFile(name.c_str());  // no list names it any more
  return loaded;
}

// ---- files ---------------------------------------------------------------------------------

bool SyncWorkspace::writeText() {
  if (paths.textFile.empty()) return true;
  std::string oldText;
  platform::readWholeFile(paths.textFile.c_str(), &oldText);
  std::string text = updateSyncText(oldText, recordsFromControllers(*list_), "");
  bool written = text == oldText || writeFileReplacing(paths.textFile.c_str(), text);
  if (!written) {
    trace(TRACE_WARNING, kSource, "the text copy \"%s\" was not updated", paths.textFile.c_str());
    return false;
  }
  textSeen_ = text;
  platform::fileStamp(paths.textFile.c_str(), &textStamp_);
  return true;
}

bool SyncWorkspace::save() {
  if (!list_) return false;
  if (!writeSyncFile(*list_, paths.syncFile.c_str())) {
    trace(TRACE_WARNING, kSource, "not saved: \"%s\" keeps its old curves and the edits stay unsaved",
          shown(paths.syncFile).c_str());
    return false;
  }
  savedImage_ = image();
  writeText();
  // The curves loaded from the recovery file are saved now: it has done its work.
  if (loadedRecovery_ && platform::deleteFile(paths.recoveryFile.c_str())) loadedRecovery_ = false;
  return true;
}

bool SyncWorkspace::reset() {
  if (!list_) return false;
  snapshot();
  if (!readSyncFile(*list_, paths.syncFile.c_str())) return false;
  savedImage_ = image();
  return true;
}

bool SyncWorkspace::load(const char* fileName) {
  if (!list_ || !fileName) return false;
  std::vector<SyncRecord> records;
  if (!readSyncRecords(fileName, records)) {
    trace(TRACE_WARNING, kSource, "cannot load \"%s\"; the curves stay as they are", fileName);
    return false;
  }
  snapshot();
  loadSyncRecords(*list_, records);
  if (shown(fileName) == shown(paths.recoveryFile)) loadedRecovery_ = true;
  trace(TRACE_INFO, kSource, "loaded \"%s\" over the saved curves (not saved yet)", shown(fileName).c_str());
  return true;
}

bool SyncWorkspace::dirty() const { return list_ && image() != savedImage_; }

bool SyncWorkspace::pollTextFile(double nowSeconds, double intervalSeconds) {
  if (!list_ || paths.textFile.empty() || nowSeconds < nextTextCheck_) return false;
  nextTextCheck_ = nowSeconds + intervalSeconds;
  platform::FileStamp stamp;
  if (!platform::fileStamp(paths.textFile.c_str(), &stamp) || stamp == textStamp_) return false;
  textStamp_ = stamp;
  std::string text;
  if (!platform::readWholeFile(paths.textFile.c_str(), &text) || text == textSeen_) return false;
  textSeen_ = text;
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  if (!parseSyncText(text, records, error, notes)) {
    trace(TRACE_WARNING, kSource, "%s:%d: %s; the curves were not reloaded", paths.textFile.c_str(), error.line,
          error.what.c_str());
    return false;
  }
  snapshot();
  loadSyncRecords(*list_, records);
  savedImage_ = image();
  trace(TRACE_INFO, kSource, "reloaded the curves from %s", paths.textFile.c_str());
  return true;
}

}  // namespace qorFramework
