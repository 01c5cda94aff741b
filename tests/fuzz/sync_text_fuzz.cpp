// The sync file's text form: any text is refused with a line number or read; what reads dumps
// to a text that reads back to the same records and dumps to the same text again, and an
// update of the input text with its own records reads back to them too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "timeline/sync_text.h"

using namespace qorFramework;

namespace {

bool reads(const std::string& text, std::vector<SyncRecord>& records) {
  SyncTextError error;
  SyncTextNotes notes;
  return parseSyncText(text, records, error, notes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  if (!parseSyncText(text, records, error, notes)) {
    fuzz::check(error.line >= 0 && !error.what.empty(), "refusal without a reason");
    return 0;
  }
  std::string dump = writeSyncText(records, "fuzz.dat");
  std::vector<SyncRecord> again;
  fuzz::check(reads(dump, again), "a dump does not read back");
  fuzz::check(fuzz::sameRecords(again, records), "a dump reads back to other records");
  fuzz::check(writeSyncText(again, "fuzz.dat") == dump, "a second dump differs from the first");

  std::vector<SyncRecord> updated;
  fuzz::check(reads(updateSyncText(text, records, "fuzz.dat"), updated),
              "an updated text does not read back");
  fuzz::check(fuzz::sameRecords(updated, records), "an updated text reads back to other records");
  return 0;
}
