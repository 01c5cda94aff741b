// Windowed real FFT of 1024 mono samples with kissfft.
#include "platform/music_spectrum.h"

#include <kiss_fftr.h>

#include <cmath>

namespace platform {

static_assert(sizeof(kiss_fft_cpx) == 2 * sizeof(float), "kissfft must be built for float");

SpectrumAnalyser::SpectrumAnalyser() {
  plan_ = kiss_fftr_alloc(kSpectrumWindow, 0, nullptr, nullptr);
  // Periodic Hann window: a sine centred on a bin falls into that bin and its two neighbours.
  const double pi = 3.14159265358979323846;
  windowSum_ = 0;
  for (int n = 0; n < kSpectrumWindow; ++n) {
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * n / kSpectrumWindow));
    windowSum_ += window_[n];
  }
}

SpectrumAnalyser::~SpectrumAnalyser() { kiss_fftr_free(plan_); }

void SpectrumAnalyser::analyse(const float* mono, int64_t count, int64_t endFrame, float* bins) {
  int64_t first = endFrame - kSpectrumWindow;
  for (int n = 0; n < kSpectrumWindow; ++n) {
    int64_t at = first + n;
    float sample = (at >= 0 && at < count) ? mono[at] : 0.0f;
    input_[n] = sample * window_[n];
  }
  kiss_fft_cpx* spectrum = reinterpret_cast<kiss_fft_cpx*>(output_);
  kiss_fftr(plan_, input_, spectrum);
  // One-sided amplitude: 2|X[k]| / sum(w) undoes the window's gain and the split of a real
  // sine's energy between k and -k.
  const float scale = 2.0f / windowSum_;
  for (int k = 0; k < kSpectrumBins; ++k) bins[k] = scale * std::hypot(spectrum[k].r, spectrum[k].i);
}

}  // namespace platform
