// The trace log: the program's one diagnostic channel. Lines read "LEVEL (source): message"
// and go to the debugger output (standard error) and/or a file; a message at or below the quit
// level posts the quit message, which the main loop sees at its next message check.
#pragma once

#include <cstdint>
#include <cstdio>

namespace qorFramework {

enum TraceLevel : uint32_t { TRACE_CRITICAL = 0, TRACE_ERROR = 1, TRACE_WARNING = 2, TRACE_INFO = 3 };

extern uint32_t traceVerbosity;  // messages above this level are dropped (initial 0)
// Where trace lines go; the numbers are the sinks' own.
enum TraceSink : int32_t { TRACE_TO_NOTHING = 0, TRACE_TO_FILE = 1, TRACE_TO_DEBUGGER = 2, TRACE_TO_BOTH = 3 };

extern TraceSink traceSink;      // initial TRACE_TO_NOTHING
extern FILE* traceFile;          // the file sink's stream; opened by openTraceFile
extern int32_t traceQuitLevel;   // -1 never quits (initial)

// printf-style. The message text is cut at 8191 bytes (the 8192-byte buffer with its zero).
void trace(uint32_t level, const char* source, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Opens the file sink's stream on a file the caller names (closed by closeTraceFile).
bool openTraceFile(const char* path);
void closeTraceFile();

}  // namespace qorFramework
