// Implementation of the music generator's DSP building blocks (see music_dsp.h).
#include "music_dsp.h"

#include <algorithm>
#include <array>
#include <deque>
#include <cmath>

namespace assetgen {
namespace music {

float midiToHz(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

// The polyBLEP residual: a two-sample polynomial that rounds off a unit step at phase 0.
static float polyBlep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

float Oscillator::saw() {
  float v = 2.0f * phase_ - 1.0f - polyBlep(phase_, step_);
  advance();
  return v;
}

float Oscillator::square() {
  float v = phase_ < 0.5f ? 1.0f : -1.0f;
  float half = phase_ + 0.5f;
  if (half >= 1.0f) half -= 1.0f;
  v += polyBlep(phase_, step_) - polyBlep(half, step_);
  advance();
  return v;
}

float Oscillator::sine() {
  float v = std::sin(kTwoPi * phase_);
  advance();
  return v;
}

float Adsr::held(float t) const {
  if (t < attack) return t / attack;
  float d = t - attack;
  if (d < decay) {
    float x = 1.0f - d / decay;
    return sustain + (1.0f - sustain) * x * x;
  }
  return sustain;
}

float Adsr::level(float t, float gate) const {
  if (t < 0.0f) return 0.0f;
  if (t < gate) return held(t);
  float r = t - gate;
  if (r >= release) return 0.0f;
  float x = 1.0f - r / release;
  return held(gate) * x * x;
}

Curve::Curve(std::vector<std::pair<float, float>> points, bool exponential)
    : points_(std::move(points)), exponential_(exponential) {}

float Curve::at(float t) const {
  if (points_.empty()) return 0.0f;
  if (t <= points_.front().first) return points_.front().second;
  for (size_t i = 1; i < points_.size(); ++i) {
    const auto& b = points_[i];
    if (t >= b.first) continue;
    const auto& a = points_[i - 1];
    float x = (t - a.first) / (b.first - a.first);
    if (exponential_) return a.second * std::pow(b.second / a.second, x);
    return a.second + (b.second - a.second) * x;
  }
  return points_.back().second;
}

void Svf::set(float cutoffHz, float q) {
  float fc = std::clamp(cutoffHz, 10.0f, 0.45f * kSampleRate);
  float g = std::tan(kPi * fc / kSampleRate);
  k_ = 1.0f / q;
  a1_ = 1.0f / (1.0f + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

Svf::Out Svf::tick(float x) {
  float v3 = x - ic2_;
  float v1 = a1_ * ic1_ + a2_ * v3;
  float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0f * v1 - ic1_;
  ic2_ = 2.0f * v2 - ic2_;
  return {v2, v1, x - k_ * v1 - v2};
}

Pan::Pan(float position) {
  float angle = (std::clamp(position, -1.0f, 1.0f) + 1.0f) * (kPi / 4.0f);
  l = std::cos(angle);
  r = std::sin(angle);
}

void Bus::mixIn(const Bus& other, float gain) {
  size_t n = std::min(frames(), other.frames());
  for (size_t i = 0; i < n; ++i) {
    l[i] += gain * other.l[i];
    r[i] += gain * other.r[i];
  }
}

// Reads a ring buffer `delay` samples (fractional) behind the write position, linearly.
static float readFractional(const std::vector<float>& ring, size_t write, float delay) {
  size_t size = ring.size();
  float pos = static_cast<float>(write + size) - delay;
  size_t i0 = static_cast<size_t>(pos);
  float frac = pos - static_cast<float>(i0);
  float a = ring[i0 % size], b = ring[(i0 + 1) % size];
  return a + (b - a) * frac;
}

void chorus(Bus& bus, float rateHz, float mix) {
  const size_t size = 2048;  // 46 ms, longer than the deepest sweep
  std::vector<float> ringL(size, 0.0f), ringR(size, 0.0f);
  float phase = 0.0f, step = rateHz / kSampleRate;
  for (size_t i = 0; i < bus.frames(); ++i) {
    size_t w = i % size;
    ringL[w] = bus.l[i];
    ringR[w] = bus.r[i];
    float dl = (0.014f + 0.006f * std::sin(kTwoPi * phase)) * kSampleRate;
    float dr = (0.014f + 0.006f * std::cos(kTwoPi * phase)) * kSampleRate;
    bus.l[i] += mix * readFractional(ringL, w, dl);
    bus.r[i] += mix * readFractional(ringR, w, dr);
    phase += step;
    if (phase >= 1.0f) phase -= 1.0f;
  }
}

// One-pole low-pass coefficient for a cut-off in Hz.
static float onePole(float hz) { return 1.0f - std::exp(-kTwoPi * hz / kSampleRate); }

void pingPongDelay(Bus& send, float delaySeconds, float feedback, float dampHz) {
  const size_t delay = static_cast<size_t>(delaySeconds * kSampleRate);
  std::vector<float> ringL(delay, 0.0f), ringR(delay, 0.0f);
  const float damp = onePole(dampHz);
  float lowL = 0.0f, lowR = 0.0f;
  for (size_t i = 0; i < send.frames(); ++i) {
    size_t p = i % delay;
    float echoL = ringL[p], echoR = ringR[p];
    lowL += damp * (echoL - lowL);
    lowR += damp * (echoR - lowR);
    float in = 0.5f * (send.l[i] + send.r[i]);
    ringL[p] = in + feedback * lowR;  // the left line is fed by the input and the right echo
    ringR[p] = feedback * lowL;       // the right line only by the left echo: ping, pong
    send.l[i] = echoL;
    send.r[i] = echoR;
  }
}

void reverb(Bus& send, float seconds, float dampHz, float preDelaySeconds) {
  // Mutually prime line lengths (samples) between 30 and 75 ms spread the echoes evenly.
  static const std::array<size_t, 8> lengths = {1327, 1637, 1811, 1933, 2347, 2647, 2963, 3229};
  std::array<std::vector<float>, 8> lines;
  std::array<float, 8> gain{}, low{};
  for (size_t k = 0; k < 8; ++k) {
    lines[k].assign(lengths[k], 0.0f);
    gain[k] = std::pow(10.0f, -3.0f * static_cast<float>(lengths[k]) / (seconds * kSampleRate));
  }
  const float damp = onePole(dampHz);
  const size_t pre = std::max<size_t>(1, static_cast<size_t>(preDelaySeconds * kSampleRate));
  std::vector<float> preL(pre, 0.0f), preR(pre, 0.0f);
  std::array<float, 8> out{};
  for (size_t i = 0; i < send.frames(); ++i) {
    size_t p = i % pre;
    float inL = preL[p], inR = preR[p];
    preL[p] = send.l[i];
    preR[p] = send.r[i];
    float sum = 0.0f;
    for (size_t k = 0; k < 8; ++k) {
      float v = lines[k][i % lengths[k]];
      low[k] += damp * (v - low[k]);
      out[k] = low[k] * gain[k];
      sum += out[k];
    }
    // Householder reflection: energy-preserving, every line feeds every other.
    float reflect = sum * (2.0f / 8.0f);
    float wetL = 0.0f, wetR = 0.0f;
    for (size_t k = 0; k < 8; ++k) {
      float fed = out[k] - reflect + ((k & 1) ? inR : inL);
      lines[k][i % lengths[k]] = fed;
      if (k & 1)
        wetR += (k & 2) ? -out[k] : out[k];
      else
        wetL += (k & 2) ? -out[k] : out[k];
    }
    send.l[i] = 0.5f * wetL;
    send.r[i] = 0.5f * wetR;
  }
}

// Minimum of v over [i, i + window) for every i (the window shrinks at the end), by the
// monotonic-queue method: linear time whatever the window.
static std::vector<float> forwardMinimum(const std::vector<float>& v, size_t window) {
  std::vector<float> out(v.size());
  std::deque<size_t> queue;  // indices of increasing values, front = the current minimum
  size_t added = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    for (; added < v.size() && added < i + window; ++added) {
      while (!queue.empty() && v[queue.back()] >= v[added]) queue.pop_back();
      queue.push_back(added);
    }
    while (queue.front() < i) queue.pop_front();
    out[i] = v[queue.front()];
  }
  return out;
}

void limit(Bus& bus, float ceiling, float lookaheadSeconds, float releaseSeconds) {
  const size_t n = bus.frames();
  const size_t window = std::max<size_t>(1, static_cast<size_t>(lookaheadSeconds * kSampleRate));
  std::vector<float> need(n);
  for (size_t i = 0; i < n; ++i) {
    float peak = std::max(std::fabs(bus.l[i]), std::fabs(bus.r[i]));
    need[i] = peak > ceiling ? ceiling / peak : 1.0f;
  }
  // Every gain value within `window` before a peak is at most that peak's need; the release
  // only ever lowers the curve further, and the closing box average of `window` values, all at
  // most the need, cannot exceed it either.
  std::vector<float> gain = forwardMinimum(need, window);
  const float recover = 1.0f - std::exp(-1.0f / (releaseSeconds * kSampleRate));
  for (size_t i = 1; i < n; ++i) gain[i] = std::min(gain[i], gain[i - 1] + (1.0f - gain[i - 1]) * recover);
  double sum = 0.0;
  std::vector<float> history(window, 1.0f);
  for (size_t i = 0; i < window; ++i) sum += 1.0;
  for (size_t i = 0; i < n; ++i) {
    sum += gain[i] - history[i % window];
    history[i % window] = gain[i];
    float g = static_cast<float>(sum / static_cast<double>(window));
    bus.l[i] *= g;
    bus.r[i] *= g;
  }
}

}  // namespace music
}  // namespace assetgen
