// The sync file's text form: what `synctool dump` prints and `synctool build` reads.
// It mirrors the stored records (keys in file order, raw mode numbers), not the loaded
// controllers, so dump followed by build gives the same bytes back.
//
//   # comment to the end of the line; blank lines are ignored
//   controller "Earth: Rotation"
//     0      0                          <- first key: time (s) and value
//     2.5    1     smoothstep valone    <- later keys: the stretch ending here (default linear valval)
//
// Names are in double quotes with \" \\ and \xHH escapes. Mode words are case-insensitive;
// a plain integer stands for a mode number that has no word.
#pragma once

#include <string>
#include <vector>

#include "timeline/sync_file.h"

namespace qorFramework {

// Shortest text that reads back to the same float bits, plain decimals where those are no
// longer ("0.1", "2.5", "30", "110", "-0", "inf", "1e+20"); a NaN other than the plain quiet ones
// prints as "bits:7fc00001".
std::string formatSyncFloat(float value);
// Reads formatSyncFloat's output and any C float literal; false when the token is not a float.
bool parseSyncFloat(const std::string& token, float& value);

std::string writeSyncText(const std::vector<SyncRecord>& records, const std::string& source);

// A message about one line of a text: the error that stops a build, or a note that does not.
// Shown as "FILE:LINE: what" (notes as "FILE:LINE: note: what").
struct SyncTextError {
  int line = 0;
  std::string what;
};
// Notes that do not stop the build: keys out of time order, a controller name given twice.
using SyncTextNotes = std::vector<SyncTextError>;

bool parseSyncText(const std::string& text, std::vector<SyncRecord>& records, SyncTextError& error,
                   SyncTextNotes& notes);

// The text of `records` written over an earlier text of the same file, so that a diff shows only
// what changed: each controller keeps the comments and blank lines above it and the lines of
// keys that did not change; changed and new keys get fresh lines, controllers the old text
// lacks are appended, and controllers the records lack are dropped with their comments.
// An old text that does not read is replaced by writeSyncText(records, source).
std::string updateSyncText(const std::string& oldText, const std::vector<SyncRecord>& records,
                           const std::string& source);

}  // namespace qorFramework
