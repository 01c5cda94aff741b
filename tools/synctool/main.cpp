// synctool: the sync file as editable text.
//   synctool dump FILE.dat               prints the file in its text form
//   synctool build FILE.txt FILE.dat [--keep-newer]
//                                        writes the binary file from the text (nothing on error);
//                                        --keep-newer leaves a FILE.dat newer than FILE.txt
//   synctool eval FILE.dat "NAME" T...   the controller's value at each time T (seconds)
//   synctool --help                      the usage above
// Exit status 0 on success, 1 on a bad file or text, 2 on wrong usage (one line and a hint).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../tool_usage.h"
#include "platform/trace.h"
#include "timeline/sync_text.h"
#include "timeline/sync_file.h"

using namespace qorFramework;

namespace {

const char* const kUsage =
    "usage: synctool dump FILE.dat\n"
    "       synctool build FILE.txt FILE.dat [--keep-newer]\n"
    "       synctool eval FILE.dat \"NAME\" SECONDS...\n"
    "\n"
    "  dump          print the sync file as text\n"
    "  build         write the binary file from the text (nothing written on an error);\n"
    "                --keep-newer leaves a FILE.dat newer than FILE.txt as it is\n"
    "  eval          the controller's value at each time (seconds), one per line\n"
    "  --help, -h    show this help\n";

int refuse(const std::string& what) { return toolusage::refuse("synctool", what); }
using toolusage::flagLike;

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
  for (const SyncTextError& note : notes) fprintf(stderr, "%s:%d: note: %s\n", textName, note.line, note.what.c_str());
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
  traceSink = TRACE_TO_DEBUGGER;
  if (toolusage::helpAsked(argc, argv, kUsage)) return 0;
  if (argc < 2) return refuse("no command given (dump, build or eval)");
  const std::string command = argv[1];
  std::vector<char*> operands(argv + 2, argv + argc);
  bool keepNewer = false;
  if (command == "build" && !operands.empty() && strcmp(operands.back(), "--keep-newer") == 0) {
    keepNewer = true;
    operands.pop_back();
  }
  // Every file operand; eval's times may be negative numbers and are checked as times.
  size_t files = command == "eval" ? std::min<size_t>(operands.size(), 1) : operands.size();
  for (size_t i = 0; i < files; ++i)
    if (flagLike(operands[i])) return refuse(std::string("unknown option '") + operands[i] + "'");

  if (command == "dump") {
    if (operands.size() != 1) return refuse("dump needs one FILE.dat");
    return dump(operands[0]);
  }
  if (command == "build") {
    if (operands.size() != 2) return refuse("build needs FILE.txt and FILE.dat");
    return build(operands[0], operands[1], keepNewer);
  }
  if (command == "eval") {
    if (operands.size() < 2) return refuse("eval needs FILE.dat and a controller \"NAME\"");
    float ignored;
    for (size_t i = 2; i < operands.size(); ++i)
      if (flagLike(operands[i]) && !parseSyncFloat(operands[i], ignored))
        return refuse(std::string("unknown option '") + operands[i] + "'");
    return eval(operands[0], operands[1], int(operands.size() - 2), operands.data() + 2);
  }
  if (flagLike(argv[1])) return refuse("unknown option '" + command + "'");
  return refuse("unknown command '" + command + "' (dump, build or eval)");
}
