// The OBJ cache beside a valid model: any bytes in the cache give either exactly the triangles
// the cache describes or the model's own (an empty cache is never believed), and a refused
// cache is rebuilt from the model.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "model/obj_model.h"

using namespace qorFramework;

namespace {

const char kModelText[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";

std::string folder() {
  static std::string made;
  if (made.empty()) {
    made = fuzz::scratchFolder("dovrix-obj-cache-fuzz");
    FILE* model = std::fopen((made + "/model.obj").c_str(), "wb");
    if (!model) fuzz::fail("cannot write the model");
    std::fwrite(kModelText, 1, sizeof(kModelText) - 1, model);
    std::fclose(model);
  }
  return made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string model = folder() + "/model.obj";
  const std::string cache = model + ".bin";
  FILE* file = std::fopen(cache.c_str(), "wb");
  if (!file) fuzz::fail("cannot write the cache");
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);

  uint32_t stored = 0;
  if (size >= 4) std::memcpy(&stored, data, 4);
  const bool valid = stored > 0 && size == 4 + 32 * uint64_t(stored);

  ObjModel loaded;
  fuzz::check(loaded.loadGeometry(model.c_str()), "a valid model did not load");
  if (valid) {
    fuzz::check(loaded.vertexCount == stored, "a valid cache gave another count");
    fuzz::check(std::memcmp(loaded.positions, data + 4, 12) == 0,
                "a valid cache gave other positions");
  } else {
    fuzz::check(loaded.vertexCount == 3, "a refused cache did not fall back to the model");
    ObjModel again;
    fuzz::check(again.loadGeometry(model.c_str()) && again.vertexCount == 3,
                "the rebuilt cache does not give the model");
  }
  return 0;
}
