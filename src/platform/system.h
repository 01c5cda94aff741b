// Process services: the high-resolution clock, sleeping, the debugger output (standard error),
// the working directory, and file access with the demo's backslash paths.
// Paths in the demo's code keep their Windows spelling ("data\textures\x.png"); every function
// here that opens or names a file translates the separators first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Counter ticks since an arbitrary start, and ticks per second (1e9 on Linux). Work with
// differences only.
uint64_t performanceCounter();
uint64_t performanceFrequency();
// Milliseconds from the counter value `startCount` until now.
double millisecondsSince(uint64_t startCount);
void sleepMs(uint32_t milliseconds);

// Writes text to the debugger output (standard error, unbuffered), as it is: no newline added.
void debugOutput(const char* text);
// Tests capture the debugger output: when a hook is set it receives every piece as well.
using DebugOutputHook = void (*)(const char* text);
void setDebugOutputHook(DebugOutputHook hook);

// "data\textures\a.png" -> "data/textures/a.png"; repeated separators are folded into one.
std::string nativePath(const char* demoPath);
// fopen after translating the path. Same modes and result as fopen.
FILE* openFile(const char* demoPath, const char* mode);
// Reads a whole file into `bytes`. False, with `bytes` empty, when the file cannot be opened or
// a read fails; `couldNotOpen` (may be null) tells the first case from the second.
bool readWholeFile(const char* demoPath, std::string* bytes, bool* couldNotOpen = nullptr);
// Creates one folder (not its parents); true when it exists afterwards.
bool makeDirectory(const char* demoPath);
// Atomically replaces `to` with `from` (both demo paths); true on success.
bool replaceFile(const char* from, const char* to);
// Deletes a file; true on success.
bool deleteFile(const char* demoPath);
bool fileExists(const char* demoPath);
// True when `demoPath` is a folder this process may create files in.
bool isWritableFolder(const char* demoPath);
// Modification time (nanoseconds since the epoch) and size of a file; false when it cannot be
// read. Two stamps differ whenever the file was rewritten (to the resolution the disk keeps).
struct FileStamp {
  int64_t modifiedNs = 0;
  int64_t size = -1;
  bool operator==(const FileStamp& o) const { return modifiedNs == o.modifiedNs && size == o.size; }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
bool fileStamp(const char* demoPath, FileStamp* stamp);
// Names of the entries of a folder (no "." or ".."), in no particular order; empty when it
// cannot be read.
std::vector<std::string> listFolder(const char* demoPath);
// The current process id (the editor's session marker names it).
int processId();

// Real folder of the running executable (from /proc/self/exe, symbolic links resolved), without
// a trailing separator; "." when it cannot be read.
std::string executableFolder();
// The folder part of a native path: "/opt/dovrix/bin" -> "/opt/dovrix", "/bin" -> "" (the root,
// ready to be joined with "/..."), a bare "bin" -> ".".
std::string parentFolder(const std::string& nativePath);
// These two take native paths as they are (no separator translation): the folders they get
// come from executableFolder.
bool folderExists(const char* nativeFolder);
bool changeDirectory(const char* nativeFolder);

// Current UTC date and time (the editor's snapshot names).
struct UtcTime {
  int year, month, day, hour, minute, second;
};
UtcTime currentUtcTime();

}  // namespace platform
