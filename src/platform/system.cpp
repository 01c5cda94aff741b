// Process services on Linux: SDL's counter, nanosleep through SDL_Delay, stderr, POSIX files.
#include "platform/system.h"

#include <SDL.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

namespace platform {

static DebugOutputHook debugHook = nullptr;

uint64_t performanceCounter() { return SDL_GetPerformanceCounter(); }
uint64_t performanceFrequency() { return SDL_GetPerformanceFrequency(); }
double millisecondsSince(uint64_t startCount) {
  return 1000.0 * static_cast<double>(performanceCounter() - startCount) /
         static_cast<double>(performanceFrequency());
}
void sleepMs(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void debugOutput(const char* text) {
  // stderr is unbuffered: every piece reaches the terminal as it is written.
  fputs(text, stderr);
  if (debugHook) debugHook(text);
}

void setDebugOutputHook(DebugOutputHook hook) { debugHook = hook; }

std::string nativePath(const char* demoPath) {
  std::string out;
  if (!demoPath) return out;
  for (const char* p = demoPath; *p; ++p) {
    char c = (*p == '\\') ? '/' : *p;
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  // ".\resources\" style prefixes become "./resources/"; both are fine for POSIX calls.
  return out;
}

FILE* openFile(const char* demoPath, const char* mode) {
  return fopen(nativePath(demoPath).c_str(), mode);
}

bool readWholeFile(const char* demoPath, std::string* bytes, bool* couldNotOpen) {
  bytes->clear();
  FILE* file = openFile(demoPath, "rb");
  if (couldNotOpen) *couldNotOpen = file == nullptr;
  if (!file) return false;
  // In chunks: the string grows only as far as the file really goes (no size taken up front).
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) bytes->append(chunk, got);
  bool failed = ferror(file) != 0;  // a folder opens, then fails here
  fclose(file);
  if (failed) bytes->clear();
  return !failed;
}

bool makeDirectory(const char* demoPath) {
  std::string path = nativePath(demoPath);
  if (mkdir(path.c_str(), 0755) == 0) return true;
  struct stat st;
  return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool replaceFile(const char* from, const char* to) {
  return rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0;
}

bool deleteFile(const char* demoPath) { return unlink(nativePath(demoPath).c_str()) == 0; }

bool fileExists(const char* demoPath) {
  struct stat st;
  return stat(nativePath(demoPath).c_str(), &st) == 0;
}

bool isWritableFolder(const char* demoPath) {
  std::string path = nativePath(demoPath);
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(path.c_str(), W_OK | X_OK) == 0;
}

bool fileStamp(const char* demoPath, FileStamp* stamp) {
  struct stat st;
  if (stat(nativePath(demoPath).c_str(), &st) != 0) return false;
  stamp->modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp->size = static_cast<int64_t>(st.st_size);
  return true;
}

std::vector<std::string> listFolder(const char* demoPath) {
  std::vector<std::string> names;
  DIR* folder = opendir(nativePath(demoPath).c_str());
  if (!folder) return names;
  while (struct dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  return names;
}

int processId() { return static_cast<int>(getpid()); }

std::string executableFolder() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return ".";
  buffer[n] = '\0';
  return parentFolder(buffer);
}

std::string parentFolder(const std::string& nativePath) {
  size_t slash = nativePath.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : nativePath.substr(0, slash);
}

bool folderExists(const char* nativeFolder) {
  struct stat st;
  return stat(nativeFolder, &st) == 0 && S_ISDIR(st.st_mode);
}

bool changeDirectory(const char* nativeFolder) { return chdir(nativeFolder) == 0; }

UtcTime currentUtcTime() {
  time_t now = time(nullptr);
  struct tm utc;
  gmtime_r(&now, &utc);
  return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

}  // namespace platform
