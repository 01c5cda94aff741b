// Sync file reading and writing, and the editor's undo snapshots. Files are decoded from a
// whole in-memory image with explicit little-endian byte order, so the layout does not depend
// on the host.
#include "timeline/sync_file.h"

#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/trace.h"

namespace qorFramework {

static const char* const kSource = "syncFile";

namespace {

// Cursor over a file image; every read checks the bytes left first.
struct ByteReader {
  const std::string& bytes;
  size_t offset = 0;

  size_t remaining() const { return bytes.size() - offset; }

  bool u32(uint32_t& out) {
    if (remaining() < 4) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    out = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    offset += 4;
    return true;
  }
  bool i32(int32_t& out) {
    uint32_t raw;
    if (!u32(raw)) return false;
    std::memcpy(&out, &raw, 4);
    return true;
  }
  bool f32(float& out) {
    uint32_t raw;
    if (!u32(raw)) return false;
    std::memcpy(&out, &raw, 4);
    return true;
  }
};

void putU32(std::string& out, uint32_t v) {
  char b[4] = {char(v & 0xff), char(v >> 8 & 0xff), char(v >> 16 & 0xff), char(v >> 24 & 0xff)};
  out.append(b, 4);
}
void putI32(std::string& out, int32_t v) {
  uint32_t raw;
  std::memcpy(&raw, &v, 4);
  putU32(out, raw);
}
void putF32(std::string& out, float v) {
  uint32_t raw;
  std::memcpy(&raw, &v, 4);
  putU32(out, raw);
}

bool refuse(SyncFault& fault, size_t offset, const char* format, ...) __attribute__((format(printf, 3, 4)));
bool refuse(SyncFault& fault, size_t offset, const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  fault.offset = offset;
  fault.what = text;
  return false;
}

// One controller record at the reader's position.
bool parseRecord(ByteReader& in, uint32_t index, SyncRecord& record, SyncFault& fault) {
  size_t at = in.offset;
  uint32_t nameLength;
  if (!in.u32(nameLength)) return refuse(fault, at, "controller %" PRIu32 ": name length cut short", index);
  if (nameLength == 0 || nameLength > kMaxSyncNameLength)
    return refuse(fault, at, "controller %" PRIu32 ": name length %" PRIu32 " outside 1..%zu", index,
                  nameLength, kMaxSyncNameLength);
  if (in.remaining() < nameLength)
    return refuse(fault, in.offset, "controller %" PRIu32 ": name of %" PRIu32 " bytes runs past the end",
                  index, nameLength);
  size_t last = in.offset + nameLength - 1;
  if (in.bytes[last] != '\0')
    return refuse(fault, last, "controller %" PRIu32 ": name has no terminating zero byte", index);
  record.name.assign(in.bytes, in.offset, nameLength - 1);
  in.offset += nameLength;

  at = in.offset;
  uint32_t keyCount;
  if (!in.u32(keyCount)) return refuse(fault, at, "controller %" PRIu32 ": key count cut short", index);
  // The first key takes 8 bytes, every later one 16: check before reserving anything.
  uint64_t needed = keyCount == 0 ? 0 : 8 + uint64_t(keyCount - 1) * 16;
  if (needed > in.remaining())
    return refuse(fault, at, "controller %" PRIu32 ": %" PRIu32 " keys need %" PRIu64 " bytes, %zu left",
                  index, keyCount, needed, in.remaining());
  record.keys.resize(keyCount);
  record.modes.resize(keyCount == 0 ? 0 : keyCount - 1);
  for (uint32_t i = 0; i < keyCount; ++i) {
    in.f32(record.keys[i].time);
    in.f32(record.keys[i].value);
    if (i >= 1) {
      in.i32(record.modes[i - 1].interpolation);
      in.i32(record.modes[i - 1].shape);
    }
  }
  return true;
}

}  // namespace

bool parseSyncData(const std::string& bytes, std::vector<SyncRecord>& records, SyncFault& fault) {
  records.clear();
  ByteReader in{bytes};
  uint32_t count;
  if (!in.u32(count)) return refuse(fault, 0, "controller count cut short");
  // A record takes at least 9 bytes (length, one zero byte, key count).
  records.reserve(count < in.remaining() / 9 ? count : in.remaining() / 9);
  for (uint32_t r = 0; r < count; ++r) {
    records.emplace_back();
    if (!parseRecord(in, r, records.back(), fault)) {
      records.clear();
      return false;
    }
  }
  if (in.remaining() != 0) {
    records.clear();
    return refuse(fault, in.offset, "%zu stray byte(s) after the last of %" PRIu32 " controllers",
                  in.remaining(), count);
  }
  return true;
}

std::string encodeSyncData(const std::vector<SyncRecord>& records) {
  std::string out;
  putU32(out, uint32_t(records.size()));
  for (const SyncRecord& record : records) {
    putU32(out, uint32_t(record.name.size() + 1));
    out.append(record.name);
    out.push_back('\0');
    putU32(out, uint32_t(record.keys.size()));
    for (size_t i = 0; i < record.keys.size(); ++i) {
      putF32(out, record.keys[i].time);
      putF32(out, record.keys[i].value);
      if (i >= 1) {
        SegmentMode mode = i - 1 < record.modes.size() ? record.modes[i - 1] : SegmentMode{Linear, ValVal};
        putI32(out, mode.interpolation);
        putI32(out, mode.shape);
      }
    }
  }
  return out;
}

bool readWholeFile(const char* fileName, std::string& bytes) {
  bool couldNotOpen = false;
  if (platform::readWholeFile(fileName, &bytes, &couldNotOpen)) return true;
  if (!couldNotOpen) trace(TRACE_WARNING, kSource, "cannot read \"%s\"", fileName);
  return false;
}

bool writeFileReplacing(const char* fileName, const std::string& bytes) {
  std::string temporary = std::string(fileName) + ".tmp";
  FILE* file = platform::openFile(temporary.c_str(), "wb");
  if (!file) {
    trace(TRACE_WARNING, kSource, "cannot write \"%s\": cannot create \"%s\" (%s)", fileName,
          temporary.c_str(), strerror(errno));
    return false;
  }
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = fflush(file) == 0 && written;
  written = fclose(file) == 0 && written;
  if (!written) {
    trace(TRACE_WARNING, kSource, "cannot write \"%s\": writing \"%s\" failed", fileName, temporary.c_str());
    platform::deleteFile(temporary.c_str());
    return false;
  }
  if (!platform::replaceFile(temporary.c_str(), fileName)) {
    trace(TRACE_WARNING, kSource, "cannot write \"%s\": cannot replace it (%s)", fileName, strerror(errno));
    platform::deleteFile(temporary.c_str());
    return false;
  }
  return true;
}

// Refills one controller from its record with the engine's key rules: addKey drops a key whose
// time equals the previous one, and modes are matched to segments by their position in the file.
static void loadRecord(ControllerList& list, const SyncRecord& record) {
  Controller* controller = findOrCreateController(list, record.name.c_str());  // up to the first zero
  controller->keys.clear();
  controller->segments.clear();
  controller->value = 0.0f;
  for (size_t i = 0; i < record.keys.size(); ++i) {
    addKey(*controller, record.keys[i].time, record.keys[i].value);
    if (i == 0 || i - 1 >= controller->segments.size()) continue;
    const SegmentMode& stored = record.modes[i - 1];
    SegmentMode& segment = controller->segments[i - 1];
    if (stored.interpolation != 0) segment.interpolation = stored.interpolation;
    if (stored.shape != 0) segment.shape = stored.shape;
  }
}

bool readSyncRecords(const char* fileName, std::vector<SyncRecord>& records) {
  std::string bytes;
  if (!readWholeFile(fileName, bytes)) return false;
  SyncFault fault;
  if (!parseSyncData(bytes, records, fault)) {
    trace(TRACE_WARNING, kSource, "\"%s\" refused at byte %zu: %s; no controller changed", fileName,
          fault.offset, fault.what.c_str());
    return false;
  }
  return true;
}

bool readSyncFile(ControllerList& list, const char* fileName) {
  std::vector<SyncRecord> records;
  if (!readSyncRecords(fileName, records)) return false;
  loadSyncRecords(list, records);
  return true;
}

void loadSyncRecords(ControllerList& list, const std::vector<SyncRecord>& records) {
  for (const SyncRecord& record : records) loadRecord(list, record);
}

std::vector<SyncRecord> recordsFromControllers(const ControllerList& list) {
  std::vector<SyncRecord> records(list.size());
  for (size_t r = 0; r < list.size(); ++r) {
    records[r].name = list[r]->name;
    records[r].keys = list[r]->keys;
    records[r].modes = list[r]->segments;
  }
  return records;
}

bool writeSyncFile(const ControllerList& list, const char* fileName) {
  for (size_t r = 0; r < list.size(); ++r) {
    const Controller& controller = *list[r];
    // A longer name would make a file that no reader accepts: refuse it before writing.
    if (controller.name.size() + 1 > kMaxSyncNameLength) {
      trace(TRACE_WARNING, kSource,
            "cannot write \"%s\": controller %zu has a name of %zu bytes (at most %zu)", fileName, r,
            controller.name.size(), kMaxSyncNameLength - 1);
      return false;
    }
  }
  return writeFileReplacing(fileName, encodeSyncData(recordsFromControllers(list)));
}

std::string snapshotFileName(int number, const platform::UtcTime& utc) {
  char name[128];
  snprintf(name, sizeof(name), "editor\\--%d--%02d-%02d-%02d!%02d-%02d-%02d.dat", number, utc.year, utc.month,
           utc.day, utc.hour, utc.minute, utc.second);
  return name;
}

std::string writeSnapshot(SnapshotHistory& history, const ControllerList& list) {
  history.counter += 1;
  std::string name = snapshotFileName(history.counter, platform::currentUtcTime());
  // A missing folder is made here; if that fails the write below reports it.
  platform::makeDirectory("editor");
  return writeSyncFile(list, name.c_str()) ? name : std::string();
}

bool takeSnapshot(SnapshotHistory& history, const ControllerList& list) {
  std::string name = writeSnapshot(history, list);
  if (name.empty()) return false;
  history.names.push_back(name);
  return true;
}

bool restoreSnapshot(SnapshotHistory& history, ControllerList& list,
                     const std::function<void()>& rebuildViews) {
  if (history.names.empty()) return false;
  bool loaded = readSyncFile(list, history.names.back().c_str());
  history.names.pop_back();  // the file itself stays on disk
  // The editor's curve view draws from a display list built from the keys: rebuild it now.
  if (rebuildViews) rebuildViews();
  return loaded;
}

void deleteSnapshotFiles(SnapshotHistory& history) {
  for (const std::string& name : history.names) platform::deleteFile(name.c_str());
  history.names.clear();
}

}  // namespace qorFramework
