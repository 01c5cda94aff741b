// Cost of one music spectrum: Hann window, 1024-point real FFT, 512 magnitudes. Computed once
// per drawn frame, so it should stay far below a millisecond.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/music_spectrum.h"

static void BM_Spectrum(benchmark::State& state) {
  platform::SpectrumAnalyser analyser;
  std::vector<float> mono(44100);
  for (size_t i = 0; i < mono.size(); ++i)
    mono[i] = 0.5f * std::sin(0.07f * i) + 0.25f * std::sin(0.61f * i);
  float bins[platform::kSpectrumBins];
  int64_t end = 1024;
  for (auto _ : state) {
    analyser.analyse(mono.data(), static_cast<int64_t>(mono.size()), end, bins);
    benchmark::DoNotOptimize(bins);
    end = end + 735 < 44100 ? end + 735 : 1024;  // one 60 Hz frame further each time
  }
}
BENCHMARK(BM_Spectrum)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
