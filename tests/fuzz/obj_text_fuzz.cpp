// The OBJ text reader: any text gives whole triangles whose every corner can be read.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/obj_model.h"

using namespace qorFramework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ObjModel model;
  model.parseText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.obj");
  fuzz::check(model.vertexCount % 3 == 0, "a partial triangle");
  fuzz::check(model.vertexCount == 0 || (model.positions && model.normals && model.texCoords),
              "corners without arrays");
  // Touching every float lets the address sanitizer see arrays shorter than the count.
  float sum = 0.0f;
  for (uint32_t i = 0; i < model.vertexCount; ++i)
    sum += model.positions[3 * i + 2] + model.normals[3 * i + 2] + model.texCoords[2 * i + 1];
  volatile float sink = sum;
  (void)sink;
  return 0;
}
