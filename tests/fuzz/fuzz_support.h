// Shared by the fuzz targets: bitwise record comparison and a hard stop that libFuzzer reports
// as a crash with the input kept.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "timeline/sync_file.h"

namespace fuzz {

// Stops the process so libFuzzer saves the input; `what` names the broken invariant.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void check(bool holds, const char* what) {
  if (!holds) fail(what);
}

// A new folder for the target's files, made once per process: in memory (/dev/shm) where the
// machine has it, since the targets that go through files write one or two per input.
inline std::string scratchFolder(const char* stem) {
  struct stat info;
  std::string root = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
  std::string name = root + "/" + stem + "-XXXXXX";
  if (!mkdtemp(&name[0])) fail("no temporary folder");
  return name;
}

// Floats compare by bits, so NaN keys and -0 count as themselves.
inline bool sameBits(const void* a, const void* b, size_t bytes) {
  return bytes == 0 || std::memcmp(a, b, bytes) == 0;
}

inline bool sameRecords(const std::vector<qorFramework::SyncRecord>& a,
                        const std::vector<qorFramework::SyncRecord>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].keys.size() != b[i].keys.size() ||
        a[i].modes.size() != b[i].modes.size())
      return false;
    if (!sameBits(a[i].keys.data(), b[i].keys.data(), a[i].keys.size() * sizeof(a[i].keys[0])) ||
        !sameBits(a[i].modes.data(), b[i].modes.data(), a[i].modes.size() * sizeof(a[i].modes[0])))
      return false;
  }
  return true;
}

}  // namespace fuzz
