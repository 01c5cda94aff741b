// Sound building blocks of the music generator: a seeded noise source, band-limited oscillators,
// envelopes, automation curves, a state-variable filter, the mix effects (chorus, ping-pong
// delay, reverb) and the master soft clipper. Plain float DSP at 44.1 kHz; every object owns its
// state, so instruments can be rendered independently (and in any thread) with the same result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace assetgen {
namespace music {

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 2.0f * kPi;

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz); fractions detune.
float midiToHz(float note);

// xorshift32: the same seed gives the same sequence on every run and machine.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
  uint32_t nextInt() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  float unit() { return static_cast<float>(nextInt() >> 8) * (1.0f / 16777216.0f); }  // [0, 1)
  float bipolar() { return 2.0f * unit() - 1.0f; }                                    // [-1, 1)

 private:
  uint32_t state_;
};

// One oscillator; phase runs over [0, 1). Saw and square are band-limited with polyBLEP
// corrections at their discontinuities, so high notes do not alias into audible whistles.
class Oscillator {
 public:
  void setFrequency(float hz) { step_ = hz / kSampleRate; }
  void setPhase(float phase) { phase_ = phase; }
  float saw();
  float square();
  float sine();

 private:
  void advance() {
    phase_ += step_;
    if (phase_ >= 1.0f) phase_ -= 1.0f;
  }
  float phase_ = 0.0f;
  float step_ = 0.0f;
};

// Attack, decay, sustain, release in seconds (sustain is a level 0..1). level(t, gate) is the
// amplitude t seconds after note-on for a key held `gate` seconds; 0 once the release is over.
struct Adsr {
  float attack, decay, sustain, release;
  float level(float t, float gate) const;
  float held(float t) const;  // the level while the key is still down
};

// Piecewise-linear automation over time (seconds); flat before the first and after the last point.
// `exponential` interpolates geometrically, the natural choice for filter cut-offs.
class Curve {
 public:
  Curve(std::vector<std::pair<float, float>> points, bool exponential = false);
  float at(float t) const;

 private:
  std::vector<std::pair<float, float>> points_;
  bool exponential_;
};

// Topology-preserving state-variable filter (trapezoidal integration): stable under fast
// cut-off sweeps. set() may be called every few samples; q = 0.707 is a flat response.
class Svf {
 public:
  struct Out {
    float low, band, high;
  };
  void set(float cutoffHz, float q);
  Out tick(float x);

 private:
  float a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1.4f;
  float ic1_ = 0, ic2_ = 0;
};

// Constant-power gains of a pan position (-1 left .. 1 right), worked out once per voice.
struct Pan {
  explicit Pan(float position);
  float l, r;
};

// A stereo pair of full-length sample buffers.
struct Bus {
  explicit Bus(size_t frames) : l(frames, 0.0f), r(frames, 0.0f) {}
  size_t frames() const { return l.size(); }
  void add(size_t i, float v, Pan pan) {
    if (i >= l.size()) return;
    l[i] += v * pan.l;
    r[i] += v * pan.r;
  }
  void mixIn(const Bus& other, float gain);
  std::vector<float> l, r;
};

// Stereo chorus on a bus, in place: each side gets a copy delayed by a slowly swept 8 to 20 ms,
// the two sweeps a quarter cycle apart, which widens sustained sounds.
void chorus(Bus& bus, float rateHz, float mix);

// Ping-pong echo: replaces the send bus with its wet echoes, alternating left and right every
// `delaySeconds`; the feedback path is darkened by a one-pole low-pass.
void pingPongDelay(Bus& send, float delaySeconds, float feedback, float dampHz);

// Small feedback-delay-network reverb (eight lines, Householder feedback, damped): replaces the
// send bus with the reverberation only. `seconds` is the time to decay by 60 dB.
void reverb(Bus& send, float seconds, float dampHz, float preDelaySeconds);

// Look-ahead peak limiter, in place: no sample of either side exceeds `ceiling` afterwards. The
// gain falls smoothly over `lookaheadSeconds` before a peak (no click) and recovers with
// `releaseSeconds`; both sides get the same gain so the stereo image stays put.
void limit(Bus& bus, float ceiling, float lookaheadSeconds, float releaseSeconds);

}  // namespace music
}  // namespace assetgen
