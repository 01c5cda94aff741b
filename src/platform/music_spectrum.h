// The music spectrum: magnitudes of 512 frequency bins from 1024 mono samples (Hann window,
// real FFT from kissfft), scaled so a sine of amplitude A centred on a bin reads A there.
// One function serves the live stream (the samples being heard) and the offline capture (any
// frame of a fully decoded song). Depends on kissfft-float.
#pragma once

#include <cstdint>

struct kiss_fftr_state;

namespace platform {

constexpr int kSpectrumWindow = 1024;  // mono samples per analysis
constexpr int kSpectrumBins = 512;     // bin k covers k * sampleRate / 1024 Hz

class SpectrumAnalyser {
 public:
  SpectrumAnalyser();  // allocates the FFT plan and window once
  ~SpectrumAnalyser();
  SpectrumAnalyser(const SpectrumAnalyser&) = delete;
  SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

  // Analyses mono[endFrame - 1024, endFrame): the 1024 samples that end just before
  // `endFrame`. Samples outside [0, count) count as silence. Writes kSpectrumBins floats.
  void analyse(const float* mono, int64_t count, int64_t endFrame, float* bins);

 private:
  kiss_fftr_state* plan_ = nullptr;
  float window_[kSpectrumWindow];
  float windowSum_ = 0;
  float input_[kSpectrumWindow];
  float output_[2 * (kSpectrumWindow / 2 + 1)];  // kiss_fft_cpx pairs (re, im)
};

}  // namespace platform
