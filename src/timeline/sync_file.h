// The sync file: every controller's keys in one little-endian binary file, and the editor's undo
// snapshots in the same format. Depends on the controllers, the trace log and platform files.
//
// Layout: u32 controller count, then per controller: u32 name length L (name bytes plus the
// terminating zero, 1..512), the L bytes, u32 key count N, then N keys: f32 time, f32 value,
// and for every key after the first the i32 interpolation and i32 shape of the segment that
// ends at it.
//
// A file is read whole into memory and checked whole before any controller changes; writing
// goes to "<file>.tmp" beside the target, which then replaces the target, so a failed write
// leaves the old file as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"
#include "timeline/controller.h"

namespace qorFramework {

// The largest name length field the reader accepts (name bytes plus the terminating zero).
constexpr size_t kMaxSyncNameLength = 512;

// One controller record as stored, before it meets the engine's key rules: keys in file order
// (duplicates and all) and the raw mode numbers. modes[i - 1] is stored with keys[i].
struct SyncRecord {
  std::string name;  // the stored name bytes without the record's final zero (may hold zeros)
  std::vector<ControllerKey> keys;
  std::vector<SegmentMode> modes;
};

// Where and why a file was refused.
struct SyncFault {
  size_t offset = 0;  // byte offset of the field at fault
  std::string what;
};

// Checks and decodes a whole file image; false with `fault` set when anything is wrong
// (short data, a name length of 0 or above 512, a name without its final zero, bytes after the
// last record). Never reserves more than the data could hold.
bool parseSyncData(const std::string& bytes, std::vector<SyncRecord>& records, SyncFault& fault);
std::string encodeSyncData(const std::vector<SyncRecord>& records);

// Whole-file helpers with the demo's backslash paths. readWholeFile is silent when the file
// cannot be opened (a missing sync file is normal) and warns on read errors; writeFileReplacing
// writes "<file>.tmp", flushes it and renames it over the target, warning and keeping the old
// file on any failure.
bool readWholeFile(const char* fileName, std::string& bytes);
bool writeFileReplacing(const char* fileName, const std::string& bytes);

// The list as records (names, keys, segment modes), in list order.
std::vector<SyncRecord> recordsFromControllers(const ControllerList& list);
// Loads records into the list as readSyncFile does after its checks (controllers found or
// created by name, their keys replaced; controllers not named keep theirs).
void loadSyncRecords(ControllerList& list, const std::vector<SyncRecord>& records);

// Reads and checks a whole file into records. False when the file cannot be opened (silently)
// or read, or is malformed (a WARNING names the file and the byte offset).
bool readSyncRecords(const char* fileName, std::vector<SyncRecord>& records);

// Loads a file into the list. For each stored controller (found or created by name) the keys
// and segments are emptied, `value` set to 0 and the keys added with addKey; a stored mode
// number other than 0 is copied into segment i - 1 when the controller has it. Controllers
// the file does not name keep their keys. False, with nothing changed, when the file cannot be
// opened or is malformed (a WARNING names the file and the byte offset).
bool readSyncFile(ControllerList& list, const char* fileName);
// Writes the whole list in list order. False with a WARNING when the file cannot be written
// (the old file stays) or a name is too long to be read back.
bool writeSyncFile(const ControllerList& list, const char* fileName);

// The editor's undo stack: snapshot file names, newest last, and the run's snapshot counter.
// Owned by the sync editor; the counter is never reset.
struct SnapshotHistory {
  std::vector<std::string> names;
  int counter = 0;
};

// "editor\--<number>--YYYY-MM-DD!hh-mm-ss.dat" (demo path; the separator is translated when
// the file is opened).
std::string snapshotFileName(int number, const platform::UtcTime& utc);
// Writes the list to the next snapshot name (creating the "editor" folder when missing) and
// returns that name; empty when the file could not be written. Pushes nothing.
std::string writeSnapshot(SnapshotHistory& history, const ControllerList& list);
// writeSnapshot, then pushes the name. False, with nothing pushed, when the file could not be written.
bool takeSnapshot(SnapshotHistory& history, const ControllerList& list);
// Reloads the newest snapshot into the list and pops its name (the file stays on disk); then
// calls `rebuildViews` (the editor's curve-view rebuild) when given. False when there is no
// snapshot or it could not be read.
bool restoreSnapshot(SnapshotHistory& history, ControllerList& list,
                     const std::function<void()>& rebuildViews = nullptr);
// Deletes every file still named in the history, oldest first, and empties it (the editor's
// clean-up on destruction). Files already restored by undo are not touched.
void deleteSnapshotFiles(SnapshotHistory& history);

}  // namespace qorFramework
