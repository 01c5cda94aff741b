#include "platform/trace.h"

#include <cstdarg>

#include "platform/system.h"
#include "platform/window.h"

namespace qorFramework {

uint32_t traceVerbosity = 0;
TraceSink traceSink = TRACE_TO_NOTHING;
FILE* traceFile = nullptr;
int32_t traceQuitLevel = -1;

static const char* const levelNames[] = {"CRITICAL", "ERROR", "WARNING", "INFO"};

static const char* levelName(uint32_t level) { return level < 4 ? levelNames[level] : "?"; }

void trace(uint32_t level, const char* source, const char* format, ...) {
  if (level > traceVerbosity) return;

  // vsnprintf truncates longer text to fit the buffer, zero included.
  char message[8192];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof(message), format, args);
  va_end(args);

  if (traceSink == TRACE_TO_DEBUGGER || traceSink == TRACE_TO_BOTH) {
    platform::debugOutput(levelName(level));
    platform::debugOutput(" (");
    platform::debugOutput(source);
    platform::debugOutput("): ");
    platform::debugOutput(message);
    platform::debugOutput("\n");
  }
  if ((traceSink == TRACE_TO_FILE || traceSink == TRACE_TO_BOTH) && traceFile) {
    fprintf(traceFile, "%s (%s): %s\n", levelName(level), source, message);
  }

  if (traceQuitLevel != -1 && level <= static_cast<uint32_t>(traceQuitLevel)) platform::postQuitMessage(0);
}

bool openTraceFile(const char* path) {
  closeTraceFile();
  traceFile = platform::openFile(path, "w");
  return traceFile != nullptr;
}

void closeTraceFile() {
  if (traceFile) fclose(traceFile);
  traceFile = nullptr;
}

}  // namespace qorFramework
