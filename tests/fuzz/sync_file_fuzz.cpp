// The binary sync file reader: any bytes are refused or decoded; what decodes encodes back to
// the same bytes, and loading settles: a written list reads back, and after one write and
// reload (which drops keys at the time of the key before them, as addKey does) every further
// write and reload gives the same controllers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "timeline/sync_file.h"

using namespace qorFramework;

namespace {

std::vector<SyncRecord> writeAndReload(const std::vector<SyncRecord>& loaded) {
  std::vector<SyncRecord> reread;
  SyncFault fault;
  fuzz::check(parseSyncData(encodeSyncData(loaded), reread, fault), "a written list does not read back");
  ControllerList list;
  loadSyncRecords(list, reread);
  return recordsFromControllers(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<SyncRecord> records;
  SyncFault fault;
  if (!parseSyncData(bytes, records, fault)) {
    fuzz::check(!fault.what.empty() && fault.offset <= size, "refusal without a reason in range");
    return 0;
  }
  fuzz::check(encodeSyncData(records) == bytes, "decoded records do not encode to their bytes");

  ControllerList first;
  loadSyncRecords(first, records);
  std::vector<SyncRecord> settled = writeAndReload(recordsFromControllers(first));
  fuzz::check(fuzz::sameRecords(writeAndReload(settled), settled),
              "a third load differs from the second");
  return 0;
}
