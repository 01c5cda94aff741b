// OBJ loading speed on a UV sphere of about 100,000 triangles: the text parse from memory
// (bytes per second of OBJ text) and the binary cache read from disk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "model/obj_model.h"
#include "platform/system.h"
#include "support/test_support.h"

namespace {

const int kStacks = 224, kSlices = 224;  // 2 * 224 * 224 = 100,352 triangles

std::string sphereObj() {
  std::string text = "# generated sphere\no Sphere\n";
  char line[128];
  for (int i = 0; i <= kStacks; ++i) {
    for (int j = 0; j <= kSlices; ++j) {
      float theta = 3.14159265f * i / kStacks, phi = 6.2831853f * j / kSlices;
      float x = std::sin(theta) * std::cos(phi), y = std::cos(theta), z = std::sin(theta) * std::sin(phi);
      snprintf(line, sizeof(line), "v %.6f %.6f %.6f\nvn %.6f %.6f %.6f\nvt %.6f %.6f\n", x, y, z, x, y,
               z, float(j) / kSlices, float(i) / kStacks);
      text += line;
    }
  }
  text += "usemtl default\ns 1\n";
  auto index = [](int i, int j) { return i * (kSlices + 1) + j + 1; };
  for (int i = 0; i < kStacks; ++i) {
    for (int j = 0; j < kSlices; ++j) {
      int a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1), d = index(i, j + 1);
      snprintf(line, sizeof(line), "f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a,
               b, b, b, c, c, c, a, a, a, c, c, c, d, d, d);
      text += line;
    }
  }
  return text;
}

const std::string& sphereText() {
  static const std::string text = sphereObj();
  return text;
}

void BM_ObjTextParse(benchmark::State& state) {
  const std::string& text = sphereText();
  for (auto _ : state) {
    qorFramework::ObjModel model;
    model.parseText(text, "sphere.obj");
    benchmark::DoNotOptimize(model.positions);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["triangles"] = 2.0 * kStacks * kSlices;
}
BENCHMARK(BM_ObjTextParse)->Unit(benchmark::kMillisecond);

void BM_ObjCacheRead(benchmark::State& state) {
  testsupport::ScratchDir dir;
  testsupport::writeFile("sphere.obj", sphereText());
  qorFramework::ObjModel first;
  first.loadGeometry("sphere.obj");  // writes the cache
  int64_t cacheBytes = 4 + 32 * int64_t(first.vertexCount);
  for (auto _ : state) {
    qorFramework::ObjModel model;
    model.loadGeometry("sphere.obj");
    benchmark::DoNotOptimize(model.positions);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * cacheBytes);
}
BENCHMARK(BM_ObjCacheRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
