// Rewriting the text form over its earlier self: only what changed may show in a diff, and the
// result always reads back as exactly the records written.
#include "timeline/sync_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qorFramework;

namespace {

const char* const kOld =
    "# header\n"
    "\n"
    "# turning\n"
    "controller \"Earth: Rotation\"\n"
    "  0    0\n"
    "  # halfway\n"
    "  2    0.5\n"
    "  4    1    smoothstep valone\n"
    "\n"
    "controller \"Title: Alpha\"   # the title\n"
    "  1    0\n"
    "# trailing note\n";

std::vector<SyncRecord> parse(const std::string& text) {
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  EXPECT_TRUE(parseSyncText(text, records, error, notes)) << error.line << ": " << error.what;
  return records;
}

// The lines of b that are not lines of a, in order.
std::vector<std::string> addedLines(const std::string& a, const std::string& b) {
  std::vector<std::string> oldLines, added;
  for (size_t s = 0, e; s < a.size(); s = e + 1) oldLines.push_back(a.substr(s, (e = a.find('\n', s)) - s));
  for (size_t s = 0, e; s < b.size(); s = e + 1) {
    std::string line = b.substr(s, (e = b.find('\n', s)) - s);
    bool found = false;
    for (const std::string& o : oldLines) found = found || o == line;
    if (!found) added.push_back(line);
    if (e == std::string::npos) break;
  }
  return added;
}

void expectSameRecords(const std::vector<SyncRecord>& a, const std::vector<SyncRecord>& b) {
  EXPECT_EQ(encodeSyncData(a), encodeSyncData(b));
}

TEST(SyncTextUpdate, UnchangedRecordsGiveTheOldTextBack) {
  EXPECT_EQ(updateSyncText(kOld, parse(kOld), ""), kOld);
}

TEST(SyncTextUpdate, AnInsertedKeyAddsOneLineAndTheStretchItSplitsChangesOne) {
  std::vector<SyncRecord> records = parse(kOld);
  SyncRecord& rotation = records[0];
  // A key at 3 s splits the smoothstep/valone stretch: the new key keeps it, the key at 4 s
  // gets the default.
  rotation.keys.insert(rotation.keys.begin() + 2, ControllerKey{3.0f, 0.75f});
  rotation.modes.insert(rotation.modes.begin() + 1, SegmentMode{2, 3});
  rotation.modes[2] = {1, 1};
  std::string text = updateSyncText(kOld, records, "");
  expectSameRecords(parse(text), records);
  std::vector<std::string> added = addedLines(kOld, text);
  ASSERT_EQ(added.size(), 2u) << text;
  EXPECT_NE(added[0].find("3 "), std::string::npos);
  EXPECT_NE(added[1].find("linear"), std::string::npos);
  EXPECT_NE(text.find("# halfway\n"), std::string::npos);
  EXPECT_NE(text.find("# trailing note\n"), std::string::npos);
  EXPECT_NE(text.find("controller \"Title: Alpha\"   # the title\n"), std::string::npos);
}

TEST(SyncTextUpdate, DeletedKeysAndControllersGoAndNewControllersAreAppended) {
  std::vector<SyncRecord> records = parse(kOld);
  records[0].keys.erase(records[0].keys.begin() + 1);
  records[0].modes.erase(records[0].modes.begin());
  records[0].modes[0] = {2, 3};
  records.erase(records.begin() + 1);
  SyncRecord added;
  added.name = "New: One";
  added.keys = {{0.5f, 1.0f}};
  records.push_back(added);
  std::string text = updateSyncText(kOld, records, "");
  expectSameRecords(parse(text), records);
  EXPECT_EQ(text.find("Title: Alpha"), std::string::npos);
  EXPECT_NE(text.find("\ncontroller \"New: One\"\n  0.5        1\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("# header\n\n# turning\ncontroller \"Earth: Rotation\"\n  0    0\n"), 0u);
}

TEST(SyncTextUpdate, AFirstKeyLineNeverCarriesAModePair) {
  std::vector<SyncRecord> records = parse(kOld);
  records[0].keys.erase(records[0].keys.begin(), records[0].keys.begin() + 2);  // (4, 1) is first now
  records[0].modes.clear();
  std::string text = updateSyncText(kOld, records, "");
  expectSameRecords(parse(text), records);
  EXPECT_EQ(text.find("smoothstep"), std::string::npos);
}

TEST(SyncTextUpdate, AnUnreadableOldTextIsReplacedWhole) {
  std::vector<SyncRecord> records = parse(kOld);
  std::string text = updateSyncText("controller \"broken\n", records, "");
  EXPECT_EQ(text, writeSyncText(records, ""));
}

}  // namespace

namespace {

TEST(SyncTextUpdate, ALastLineWithoutItsBreakCanBeReusedInTheMiddle) {
  const std::string old = "controller \"A\"\n  0  0\n  1  1\ncontroller \"B\"\n  5  0.5";
  std::vector<SyncRecord> records = parse(old);
  std::swap(records[0], records[1]);  // B's unbroken line now comes first
  std::string text = updateSyncText(old, records, "");
  expectSameRecords(parse(text), records);
}

}  // namespace
