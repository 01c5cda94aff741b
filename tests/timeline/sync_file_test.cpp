// Sync file: byte layout, loading rules, refusal of malformed files, safe writing, snapshots.
#include "timeline/sync_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/system.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::readFile;
using testsupport::ScratchDir;
using testsupport::writeFile;

namespace {

std::string u32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = char(v >> (8 * i) & 0xff);
  return s;
}
std::string f32(float f) {
  uint32_t raw;
  std::memcpy(&raw, &f, 4);
  return u32(raw);
}
std::string name(const std::string& text) { return u32(uint32_t(text.size() + 1)) + text + '\0'; }

// The "Earth: Rotation" record: keys (0, 0) and (2.5, 1), segment {Smoothstep, ValOne}.
std::string earthRecord() {
  return name("Earth: Rotation") + u32(2) + f32(0) + f32(0) + f32(2.5f) + f32(1) + u32(2) + u32(3);
}

Controller* addController(ControllerList& list, const char* title,
                          std::initializer_list<ControllerKey> keys) {
  Controller* c = findOrCreateController(list, title);
  for (const ControllerKey& k : keys) addKey(*c, k.time, k.value);
  return c;
}

bool sameCurve(const Controller& a, const Controller& b) {
  if (a.keys.size() != b.keys.size() || a.segments.size() != b.segments.size()) return false;
  for (size_t i = 0; i < a.keys.size(); ++i)
    if (a.keys[i].time != b.keys[i].time || a.keys[i].value != b.keys[i].value) return false;
  for (size_t i = 0; i < a.segments.size(); ++i)
    if (a.segments[i].interpolation != b.segments[i].interpolation ||
        a.segments[i].shape != b.segments[i].shape)
      return false;
  return true;
}

}  // namespace

TEST(SyncFileLayout, EmptyListIsFourZeroBytes) {
  ScratchDir dir;
  ControllerList empty;
  ASSERT_TRUE(writeSyncFile(empty, "empty.dat"));
  EXPECT_EQ(readFile("empty.dat"), std::string(4, '\0'));

  ControllerList list;
  Controller* kept = addController(list, "A: a", {{0, 0.5f}, {1, 1}});
  ASSERT_TRUE(readSyncFile(list, "empty.dat"));
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(kept->keys.size(), 2u);
}

TEST(SyncFileLayout, EarthRotationRecordIs48Bytes) {
  ScratchDir dir;
  ControllerList list;
  Controller* c = addController(list, "Earth: Rotation", {{0.0f, 0.0f}, {2.5f, 1.0f}});
  c->segments[0] = {Smoothstep, ValOne};
  ASSERT_TRUE(writeSyncFile(list, "earth.dat"));
  std::string bytes = readFile("earth.dat");
  ASSERT_EQ(bytes.size(), 4u + 48u);
  EXPECT_EQ(bytes, u32(1) + earthRecord());
  EXPECT_FALSE(platform::fileExists("earth.dat.tmp"));  // nothing left beside it
}

TEST(SyncFileRead, RoundTripInAnotherOrder) {
  ScratchDir dir;
  ControllerList written;
  Controller* a = addController(written, "Cred 0: Fade", {{0, 0}, {1, 1}, {4, 0.25f}});
  a->segments = {{Exponential, ZeroVal}, {MinExponential, OneOne}};
  addController(written, "Earth: Rotation", {{-1, 3.5f}});
  addController(written, "Postprocessor: blur factor", {});
  ASSERT_TRUE(writeSyncFile(written, "sync.dat"));

  // The reading list already holds the controllers in a different order, with other keys and
  // values, plus one the file does not name.
  ControllerList list;
  Controller* blur = addController(list, "Postprocessor: blur factor", {{0, 1}, {2, 0}});
  Controller* other = addController(list, "Other: x", {{5, 0.5f}});
  Controller* fade = addController(list, "Cred 0: Fade", {{9, 9}});
  blur->value = fade->value = other->value = 0.7f;
  ASSERT_TRUE(readSyncFile(list, "sync.dat"));

  ASSERT_EQ(list.size(), 4u);  // the missing one appended
  EXPECT_EQ(list[3]->name, "Earth: Rotation");
  EXPECT_TRUE(sameCurve(*fade, *a));
  EXPECT_TRUE(sameCurve(*list[3], *written[1]));
  EXPECT_TRUE(blur->keys.empty());
  EXPECT_EQ(blur->value, 0.0f);
  EXPECT_EQ(fade->value, 0.0f);       // not evaluated by loading
  EXPECT_EQ(other->keys.size(), 1u);  // untouched
  EXPECT_EQ(other->value, 0.7f);
}

TEST(SyncFileRead, StoredModeZeroLoadsAsOne) {
  ScratchDir dir;
  writeFile("modes.dat", u32(1) + name("M: m") + u32(3) + f32(0) + f32(0) + f32(1) + f32(1) + u32(0) +
                             u32(4) + f32(2) + f32(0) + u32(3) + u32(0));
  ControllerList list;
  ASSERT_TRUE(readSyncFile(list, "modes.dat"));
  ASSERT_EQ(list[0]->segments.size(), 2u);
  EXPECT_EQ(list[0]->segments[0].interpolation, Linear);
  EXPECT_EQ(list[0]->segments[0].shape, ZeroVal);
  EXPECT_EQ(list[0]->segments[1].interpolation, Exponential);
  EXPECT_EQ(list[0]->segments[1].shape, ValVal);
}

TEST(SyncFileRead, DuplicateTimeIsDroppedAndLaterModesStayDefault) {
  ScratchDir dir;
  // Keys at 0, 1, 1, 2: the second key at 1 is dropped; modes are matched by file position, so
  // the mode stored with the dropped key has no segment and the last stretch keeps the default.
  writeFile("dup.dat", u32(1) + name("D: d") + u32(4) + f32(0) + f32(0) + f32(1) + f32(1) + u32(2) + u32(2) +
                           f32(1) + f32(0.5f) + u32(3) + u32(3) + f32(2) + f32(0) + u32(4) + u32(4));
  ControllerList list;
  ASSERT_TRUE(readSyncFile(list, "dup.dat"));
  const Controller& c = *list[0];
  ASSERT_EQ(c.keys.size(), 3u);
  EXPECT_EQ(c.keys[1].value, 1.0f);
  ASSERT_EQ(c.segments.size(), 2u);
  EXPECT_EQ(c.segments[0].interpolation, Smoothstep);
  EXPECT_EQ(c.segments[1].interpolation, Linear);
  EXPECT_EQ(c.segments[1].shape, ValVal);
}

TEST(SyncFileRead, MissingFileIsSilentAndChangesNothing) {
  ScratchDir dir;
  DebugCapture capture;
  ControllerList list;
  Controller* c = addController(list, "A: a", {{0, 1}});
  EXPECT_FALSE(readSyncFile(list, "data\\demosynch.dat"));
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(c->keys.size(), 1u);
  EXPECT_EQ(capture.text(), "");
}

TEST(SyncFileRead, LongestNameIsAccepted) {
  ScratchDir dir;
  std::string longName(511, 'n');
  writeFile("long.dat", u32(1) + name(longName) + u32(0));
  ControllerList list;
  ASSERT_TRUE(readSyncFile(list, "long.dat"));
  EXPECT_EQ(list[0]->name, longName);
}

TEST(SyncFileRead, NameStopsAtTheFirstZeroByte) {
  ScratchDir dir;
  writeFile("zero.dat", u32(1) + u32(6) + std::string("ab\0cd\0", 6) + u32(0));
  ControllerList list;
  ASSERT_TRUE(readSyncFile(list, "zero.dat"));
  EXPECT_EQ(list[0]->name, "ab");
}

// Every malformed file is refused whole: false, no controller changed or created, and a
// WARNING naming the file and the offset of the fault.
TEST(SyncFileRead, MalformedFilesChangeNothing) {
  const std::string good = earthRecord();
  const size_t second = 4 + good.size();  // where a second record starts
  struct Case {
    const char* what;
    std::string bytes;
    size_t offset;
  } cases[] = {
      {"count cut short", std::string(3, '\0'), 0},
      {"fewer records than counted", u32(2) + good, second},
      {"name length 0", u32(2) + good + u32(0) + u32(0), second},
      {"name length 513", u32(2) + good + u32(513) + std::string(513, 'x') + u32(0), second},
      {"name without its zero", u32(2) + good + u32(3) + "abc" + u32(0), second + 4 + 2},
      {"name past the end", u32(2) + good + u32(100) + "short", second + 4},
      {"key count cut short", u32(2) + good + name("B: b") + "\1\0", second + 9},
      {"more keys than data",
       u32(2) + good + name("B: b") + u32(3) + f32(0) + f32(0) + f32(1) + f32(1) + u32(1) + u32(1),
       second + 9},
      {"huge key count", u32(2) + good + name("B: b") + u32(0xffffffffu) + f32(0) + f32(0), second + 9},
      {"huge controller count", u32(0xffffffffu) + good, second},
      {"trailing garbage", u32(1) + good + "!", second},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    DebugCapture capture;
    writeFile("bad.dat", c.bytes);
    ControllerList list;
    Controller* earth = addController(list, "Earth: Rotation", {{1, 0.5f}});
    earth->value = 0.25f;
    EXPECT_FALSE(readSyncFile(list, "bad.dat"));
    EXPECT_EQ(list.size(), 1u);
    ASSERT_EQ(earth->keys.size(), 1u);
    EXPECT_EQ(earth->keys[0].time, 1.0f);
    EXPECT_EQ(earth->value, 0.25f);
    EXPECT_TRUE(capture.contains("WARNING (syncFile): \"bad.dat\"")) << capture.text();
    EXPECT_TRUE(capture.contains("at byte " + std::to_string(c.offset) + ":")) << capture.text();
  }
}

TEST(SyncFileWrite, BackslashPathsAreTranslated) {
  ScratchDir dir;
  ASSERT_TRUE(platform::makeDirectory("data"));
  ControllerList list;
  addController(list, "A: a", {{0, 1}});
  ASSERT_TRUE(writeSyncFile(list, "data\\demosynch.dat"));
  EXPECT_TRUE(platform::fileExists("data/demosynch.dat"));
  ControllerList back;
  ASSERT_TRUE(readSyncFile(back, "data\\demosynch.dat"));
  EXPECT_TRUE(sameCurve(*back[0], *list[0]));
}

TEST(SyncFileWrite, UnwritableTargetKeepsTheOldFile) {
  ScratchDir dir;
  DebugCapture capture;
  ControllerList list;
  addController(list, "A: a", {{0, 1}});
  writeFile("sync.dat", "old contents");

  // The temporary file beside the target cannot be created (a folder has its name).
  ASSERT_EQ(mkdir("sync.dat.tmp", 0755), 0);
  EXPECT_FALSE(writeSyncFile(list, "sync.dat"));
  EXPECT_EQ(readFile("sync.dat"), "old contents");
  EXPECT_TRUE(capture.contains("WARNING (syncFile): cannot write \"sync.dat\"")) << capture.text();

  // The target cannot be replaced (it is a folder): the temporary file is removed again.
  capture.clear();
  ASSERT_EQ(mkdir("folder.dat", 0755), 0);
  writeFile("folder.dat/inside", "x");
  EXPECT_FALSE(writeSyncFile(list, "folder.dat"));
  EXPECT_FALSE(platform::fileExists("folder.dat.tmp"));
  EXPECT_EQ(readFile("folder.dat/inside"), "x");
  EXPECT_TRUE(capture.contains("cannot write \"folder.dat\"")) << capture.text();

  // A missing folder.
  EXPECT_FALSE(writeSyncFile(list, "nowhere\\sync.dat"));
  EXPECT_FALSE(platform::fileExists("nowhere"));
}

TEST(SyncFileWrite, NameTooLongToReadBackIsRefused) {
  ScratchDir dir;
  DebugCapture capture;
  writeFile("sync.dat", "old contents");
  ControllerList list;
  findOrCreateController(list, std::string(512, 'n').c_str());
  EXPECT_FALSE(writeSyncFile(list, "sync.dat"));
  EXPECT_EQ(readFile("sync.dat"), "old contents");
  EXPECT_TRUE(capture.contains("WARNING (syncFile)")) << capture.text();
}

TEST(Snapshot, NameFormat) {
  EXPECT_EQ(snapshotFileName(1, {2030, 1, 2, 13, 7, 9}), "editor\\--1--2030-01-02!13-07-09.dat");
  EXPECT_EQ(snapshotFileName(12, {1999, 12, 31, 0, 0, 0}), "editor\\--12--1999-12-31!00-00-00.dat");
}

TEST(Snapshot, TakeRestoreAndCleanUp) {
  ScratchDir dir;
  ControllerList list;
  Controller* c = addController(list, "A: a", {{0, 0.1f}, {1, 0.2f}});
  SnapshotHistory history;

  ASSERT_TRUE(takeSnapshot(history, list));  // makes the missing "editor" folder
  ASSERT_EQ(history.names.size(), 1u);
  EXPECT_EQ(history.counter, 1);
  EXPECT_EQ(history.names[0].rfind("editor\\--1--", 0), 0u);
  std::string first = history.names[0];
  EXPECT_TRUE(platform::fileExists(first.c_str()));

  addKey(*c, 2, 0.3f);
  ASSERT_TRUE(takeSnapshot(history, list));
  EXPECT_EQ(history.counter, 2);
  std::string second = history.names[1];
  EXPECT_NE(first, second);

  addKey(*c, 3, 0.4f);
  int rebuilds = 0;
  ASSERT_TRUE(restoreSnapshot(history, list, [&] { ++rebuilds; }));
  EXPECT_EQ(c->keys.size(), 3u);
  EXPECT_EQ(rebuilds, 1);
  ASSERT_EQ(history.names.size(), 1u);
  EXPECT_TRUE(platform::fileExists(second.c_str()));  // restored files stay on disk

  ASSERT_TRUE(restoreSnapshot(history, list));
  EXPECT_EQ(c->keys.size(), 2u);
  EXPECT_TRUE(history.names.empty());
  EXPECT_FALSE(restoreSnapshot(history, list, [&] { ++rebuilds; }));
  EXPECT_EQ(rebuilds, 1);

  // Clean-up deletes only what is still on the stack.
  ASSERT_TRUE(takeSnapshot(history, list));
  std::string third = history.names[0];
  EXPECT_EQ(third.rfind("editor\\--3--", 0), 0u);
  deleteSnapshotFiles(history);
  EXPECT_TRUE(history.names.empty());
  EXPECT_FALSE(platform::fileExists(third.c_str()));
  EXPECT_TRUE(platform::fileExists(first.c_str()));
  EXPECT_TRUE(platform::fileExists(second.c_str()));
}

TEST(Snapshot, FailedSnapshotIsNotPushed) {
  ScratchDir dir;
  DebugCapture capture;
  writeFile("editor", "a file where the folder should be");
  ControllerList list;
  addController(list, "A: a", {{0, 1}});
  SnapshotHistory history;
  EXPECT_FALSE(takeSnapshot(history, list));
  EXPECT_TRUE(history.names.empty());
  EXPECT_EQ(history.counter, 1);
  EXPECT_TRUE(capture.contains("WARNING (syncFile)")) << capture.text();
}
