// synctool: the sync file as editable text.
//   synctool dump FILE.dat               prints the file in its text form
//   synctool build FILE.txt FILE.dat [--keep-newer]
//                                        writes the binary file from the text (nothing on error);
//                                        --keep-newer leaves a FILE.dat newer than FILE.txt
//   synctool eval FILE.dat "NAME" T...   the controller's value at each time T (seconds)
// Exit status 0 on success, 1 on a bad file or text, 2 on wrong usage.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/trace.h"
#include "timeline/sync_text.h"
#include "timeline/sync_file.h"

using namespace qorFramework;

namespace {

int usage() {
  fputs(
      "usage: synctool dump FILE.dat\n"
      "       synctool build FILE.txt FILE.dat [--keep-newer]\n"
      "       synctool eval FILE.dat \"NAME\" SECONDS...\n",
      stderr);
  return 2;
}

bool loadBytes(const char* fileName, std::string& bytes) {
  if (readWholeFile(fileName, bytes)) return true;
  fprintf(stderr, "synctool: cannot read %s\n", fileName);
  return false;
}

int dump(const char* fileName) {
  std::string bytes;
  if (!loadBytes(fileName, bytes)) return 1;
  std::vector<SyncRecord> records;
  SyncFault fault;
  if (!parseSyncData(bytes, records, fault)) {
    fprintf(stderr, "synctool: %s: refused at byte %zu: %s\n", fileName, fault.offset, fault.what.c_str());
    return 1;
  }
  fputs(writeSyncText(records, fileName).c_str(), stdout);
  return 0;
}

int build(const char* textName, const char* fileName, bool keepNewer) {
  platform::FileStamp textStamp, fileStamp;
  if (keepNewer && platform::fileStamp(textName, &textStamp) && platform::fileStamp(fileName, &fileStamp) &&
      fileStamp.modifiedNs > textStamp.modifiedNs) {
    fprintf(stderr, "synctool: %s is newer than %s: kept\n", fileName, textName);
    return 0;
  }
  std::string text;
  if (!loadBytes(textName, text)) return 1;
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  bool parsed = parseSyncText(text, records, error, notes);
  for (const std::string& note : notes) fprintf(stderr, "%s: note: %s\n", textName, note.c_str());
  if (!parsed) {
    fprintf(stderr, "%s:%d: %s\n", textName, error.line, error.what.c_str());
    return 1;
  }
  // A failed write explains itself in a WARNING line and leaves the old file as it was.
  return writeFileReplacing(fileName, encodeSyncData(records)) ? 0 : 1;
}

int eval(const char* fileName, const char* name, int count, char** times) {
  ControllerList list;
  if (!readSyncFile(list, fileName)) {
    fprintf(stderr, "synctool: cannot load %s\n", fileName);
    return 1;
  }
  Controller* controller = nullptr;
  for (const auto& c : list)
    if (c->name == name) controller = c.get();
  if (!controller) {
    fprintf(stderr, "synctool: %s has no controller named \"%s\"\n", fileName, name);
    return 1;
  }
  // One controller evaluated at each time in turn, as the demo does frame after frame (an
  // unknown interpolation keeps the value of the time before).
  for (int i = 0; i < count; ++i) {
    float t;
    if (!parseSyncFloat(times[i], t)) {
      fprintf(stderr, "synctool: time '%s' is not a number\n", times[i]);
      return 1;
    }
    evaluateController(*controller, t);
    printf("%s\n", formatSyncFloat(controller->value).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The engine's warnings (unreadable or unwritable files) go to standard error.
  traceVerbosity = TRACE_WARNING;
  traceSink = 2;
  if (argc < 2) return usage();
  const char* command = argv[1];
  if (strcmp(command, "dump") == 0 && argc == 3) return dump(argv[2]);
  if (strcmp(command, "build") == 0 && argc == 4) return build(argv[2], argv[3], false);
  if (strcmp(command, "build") == 0 && argc == 5 && strcmp(argv[4], "--keep-newer") == 0)
    return build(argv[2], argv[3], true);
  if (strcmp(command, "eval") == 0 && argc >= 4) return eval(argv[2], argv[3], argc - 4, argv + 4);
  return usage();
}
