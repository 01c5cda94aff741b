// Per-frame controller evaluation: 40 controllers of 30 keys each (about the show's size),
// evaluated at times spread over the whole range as the main loop does once per frame.
#include <benchmark/benchmark.h>

#include <string>

#include "timeline/controller.h"

using namespace qorFramework;

static void buildShow(ControllerList& list) {
  for (int c = 0; c < 40; ++c) {
    Controller* controller = findOrCreateController(list, ("Bench " + std::to_string(c) + ": value").c_str());
    for (int k = 0; k < 30; ++k)
      addKey(*controller, float(k) * 4.0f + float(c) * 0.01f, float((k * 7 + c) % 10) / 10.0f);
    for (size_t s = 0; s < controller->segments.size(); ++s)
      controller->segments[s] = {int32_t(1 + (s + c) % 4), int32_t(1 + (s * 3 + c) % 7)};
  }
}

static void BM_EvaluateAllControllers(benchmark::State& state) {
  ControllerList list;
  buildShow(list);
  // Whole-millisecond frame times across 0..124 s (the keys span 0..116 s); the prime step
  // makes consecutive calls land in different stretches.
  uint32_t ms = 0;
  for (auto _ : state) {
    evaluateAllControllers(list, float(ms) / 1000.0f);
    benchmark::DoNotOptimize(list[39]->value);
    ms = (ms + 7919) % 124001;
  }
  state.SetItemsProcessed(state.iterations() * int64_t(list.size()));
}
BENCHMARK(BM_EvaluateAllControllers);

BENCHMARK_MAIN();
