// Instruments of the demo's track (see music_voices.h). Every voice works note by note: it finds
// the note's frames, runs its oscillators, envelope and filter, and adds into the bus. Filter
// cut-offs are recomputed every kControl frames, which is inaudible and keeps tan() off the
// per-sample path.
#include "music_voices.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace music {
namespace {

constexpr size_t kControl = 16;
constexpr float kInvRate = 1.0f / kSampleRate;

// The frames a note touches: from its start to `tail` seconds after it (clipped to the song).
struct Span {
  size_t first = 0, count = 0;
};

Span spanOf(const Note& n, float tail, size_t frames) {
  Span s;
  long first = std::lround(n.start * kSampleRate);
  long last = std::lround((n.start + tail) * kSampleRate);
  first = std::max(first, 0L);
  last = std::min(last, static_cast<long>(frames));
  if (last > first) {
    s.first = static_cast<size_t>(first);
    s.count = static_cast<size_t>(last - first);
  }
  return s;
}

float seconds(size_t frame) { return static_cast<float>(frame) * kInvRate; }

// Advances a phase in cycles, kept in [0, 1).
void wrapAdd(float& phase, float step) {
  phase += step;
  if (phase >= 1.0f) phase -= 1.0f;
}

}  // namespace

Bus renderPad(const std::vector<Note>& notes, const Curve& level, const Curve& cutoff, size_t frames) {
  Bus bus(frames);
  const Adsr env{0.5f, 0.6f, 0.85f, 1.2f};
  const float cents[4] = {-14.0f, -5.0f, 5.0f, 14.0f};
  const float pans[4] = {-0.9f, -0.35f, 0.35f, 0.9f};
  Random random(11);
  for (const Note& n : notes) {
    Oscillator osc[4];
    Pan pan[4] = {Pan(pans[0]), Pan(pans[1]), Pan(pans[2]), Pan(pans[3])};
    for (int k = 0; k < 4; ++k) {
      osc[k].setFrequency(midiToHz(n.pitch + cents[k] / 100.0f));
      osc[k].setPhase(random.unit());
    }
    Span span = spanOf(n, n.length + env.release, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float a = 0.25f * n.velocity * env.level(seconds(j), n.length);
      for (int k = 0; k < 4; ++k) bus.add(span.first + j, a * osc[k].saw(), pan[k]);
    }
  }
  // One swept low-pass per side shapes the whole ensemble, then the level automation. A fixed
  // high-pass below keeps the chords' fundamentals out of the bass's octave, where they only
  // thickened the mix into mud.
  Svf left, right, lowCutL, lowCutR;
  lowCutL.set(260.0f, 0.6f);
  lowCutR.set(260.0f, 0.6f);
  float gain = 0.0f;
  for (size_t i = 0; i < frames; ++i) {
    if (i % kControl == 0) {
      float c = cutoff.at(seconds(i));
      left.set(c, 1.0f);
      right.set(c, 1.0f);
      gain = level.at(seconds(i));
    }
    bus.l[i] = gain * lowCutL.tick(left.tick(bus.l[i]).low).high;
    bus.r[i] = gain * lowCutR.tick(right.tick(bus.r[i]).low).high;
  }
  chorus(bus, 0.23f, 0.6f);
  return bus;
}

Bus renderBass(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  const Adsr env{0.003f, 0.15f, 0.6f, 0.06f};
  const Pan centre(0.0f);
  for (const Note& n : notes) {
    Oscillator saw, square, sub;
    float hz = midiToHz(n.pitch);
    saw.setFrequency(hz);
    square.setFrequency(hz * 1.003f);
    sub.setFrequency(hz * 0.5f);
    Svf filter;
    Span span = spanOf(n, n.length + env.release, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      if (j % kControl == 0) filter.set(260.0f + 2400.0f * n.velocity * std::exp(-t / 0.07f), 1.4f);
      float body = filter.tick(0.6f * saw.saw() + 0.4f * square.square()).low;
      float v = (0.8f * body + 0.3f * sub.sine()) * env.level(t, n.length) * n.velocity;
      bus.add(span.first + j, v, centre);
    }
  }
  return bus;
}

Bus renderLead(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  const Adsr env{0.012f, 0.35f, 0.7f, 0.25f};
  for (const Note& n : notes) {
    Oscillator a, b, sub, octave;
    Svf filter;
    Pan pan(n.pan);
    Span span = spanOf(n, n.length + env.release, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      if (j % kControl == 0) {
        // Vibrato fades in after a third of a second, as a singer would. The filter stays
        // open well above 2 kHz so the hook cuts through the drums.
        float depth = std::clamp((t - 0.3f) / 0.4f, 0.0f, 1.0f) * 0.15f;
        float hz = midiToHz(n.pitch + depth * std::sin(kTwoPi * 5.3f * t));
        a.setFrequency(hz * 1.004f);
        b.setFrequency(hz * 0.996f);
        sub.setFrequency(hz * 0.5f);
        octave.setFrequency(hz * 2.0f);
        filter.set(2600.0f + 6000.0f * n.velocity * std::exp(-t / 0.3f), 1.3f);
      }
      float x = 0.45f * (a.saw() + b.saw()) + 0.12f * sub.square() + 0.18f * octave.square();
      float v = filter.tick(x).low * env.level(t, n.length) * n.velocity;
      bus.add(span.first + j, v, pan);
    }
  }
  return bus;
}

Bus renderArp(const std::vector<Note>& notes, const Curve& cutoff, size_t frames) {
  Bus bus(frames);
  const Adsr env{0.002f, 0.14f, 0.0f, 0.05f};
  for (const Note& n : notes) {
    Oscillator pulse, saw;
    float hz = midiToHz(n.pitch);
    pulse.setFrequency(hz);
    saw.setFrequency(hz * 1.005f);
    Svf filter;
    Pan pan(n.pan);
    float base = cutoff.at(n.start);
    Span span = spanOf(n, n.length + env.release, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      if (j % kControl == 0) filter.set(base * (0.6f + 1.4f * std::exp(-t / 0.05f)), 2.5f);
      float x = 0.5f * pulse.square() + 0.5f * saw.saw();
      bus.add(span.first + j, filter.tick(x).low * env.level(t, n.length) * n.velocity, pan);
    }
  }
  return bus;
}

Bus renderBells(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  for (const Note& n : notes) {
    // Phases in cycles; the modulator's inharmonic ratio 3.5 makes metal rather than string.
    float carrier = 0.0f, modulator = 0.0f, partial = 0.0f;
    const float step = midiToHz(n.pitch) * kInvRate;
    Pan pan(n.pan);
    Span span = spanOf(n, 3.5f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      float index = 2.5f * std::exp(-t / 0.5f) + 0.4f;
      float fm = std::sin(kTwoPi * carrier + index * std::sin(kTwoPi * modulator));
      float shine = 0.3f * std::sin(kTwoPi * partial) * std::exp(-t / 0.6f);
      float attack = std::min(1.0f, t / 0.002f);
      bus.add(span.first + j, 0.5f * n.velocity * attack * (fm * std::exp(-t / 1.6f) + shine), pan);
      wrapAdd(carrier, step);
      wrapAdd(modulator, 3.5f * step);
      wrapAdd(partial, 2.0f * step);
    }
  }
  return bus;
}

Bus renderStabs(const std::vector<Note>& notes, const Curve& cutoff, size_t frames) {
  Bus bus(frames);
  const Adsr env{0.003f, 0.18f, 0.35f, 0.07f};
  const float cents[7] = {-22.0f, -14.0f, -6.0f, 0.0f, 6.0f, 14.0f, 22.0f};
  Random random(31);
  for (const Note& n : notes) {
    Oscillator osc[7];
    Pan pan[7] = {Pan(-0.9f), Pan(-0.6f), Pan(-0.3f), Pan(0.0f), Pan(0.3f), Pan(0.6f), Pan(0.9f)};
    for (int k = 0; k < 7; ++k) {
      osc[k].setFrequency(midiToHz(n.pitch + cents[k] / 100.0f));
      osc[k].setPhase(random.unit());
    }
    Svf left, right;
    float base = cutoff.at(n.start);
    Span span = spanOf(n, n.length + env.release, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      if (j % kControl == 0) {
        float c = base * (0.5f + std::exp(-t / 0.06f));
        left.set(c, 0.9f);
        right.set(c, 0.9f);
      }
      float a = 0.3f * n.velocity * env.level(t, n.length);
      float l = 0.0f, r = 0.0f;
      for (int k = 0; k < 7; ++k) {
        float v = osc[k].saw();
        l += v * pan[k].l;
        r += v * pan[k].r;
      }
      bus.l[span.first + j] += a * left.tick(l).low;
      bus.r[span.first + j] += a * right.tick(r).low;
    }
  }
  return bus;
}

Bus renderKick(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(7);
  const Pan centre(0.0f);
  const float drive = 1.8f, norm = 1.0f / std::tanh(drive);
  for (const Note& n : notes) {
    float phase = 0.0f;
    Svf click;
    click.set(4000.0f, 0.8f);
    Span span = spanOf(n, 0.4f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      wrapAdd(phase, (52.0f + 120.0f * std::exp(-t / 0.03f)) * kInvRate);
      float amp = std::min(1.0f, t / 0.002f) * std::exp(-t / 0.15f);
      float body = std::tanh(drive * std::sin(kTwoPi * phase) * amp) * norm;
      float snap = click.tick(noise.bipolar()).band * std::exp(-t / 0.006f);
      bus.add(span.first + j, n.velocity * (body + 0.7f * snap), centre);
    }
  }
  return bus;
}

Bus renderSnare(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(13);
  for (const Note& n : notes) {
    float phase = 0.0f;
    Svf filter;
    filter.set(3000.0f, 0.6f);
    Pan pan(n.pan);
    Span span = spanOf(n, 0.35f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      wrapAdd(phase, (180.0f + 60.0f * std::exp(-t / 0.02f)) * kInvRate);
      float tone = std::sin(kTwoPi * phase) * std::exp(-t / 0.07f);
      Svf::Out f = filter.tick(noise.bipolar());
      float hiss = (f.band + 0.8f * f.high) * std::exp(-t / 0.13f);
      float attack = std::min(1.0f, t / 0.001f);
      bus.add(span.first + j, n.velocity * attack * (0.45f * tone + 1.0f * hiss), pan);
    }
  }
  return bus;
}

Bus renderClap(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(29);
  // Three 9 ms bursts (hands not quite together), then the room's 120 ms tail.
  auto envelope = [](float t) {
    float burst = t < 0.027f ? std::exp(-std::fmod(t, 0.009f) / 0.0025f) : 0.0f;
    float tail = t < 0.018f ? 0.0f : std::exp(-(t - 0.018f) / 0.12f);
    return std::max(burst, tail);
  };
  for (const Note& n : notes) {
    Svf left, right;
    left.set(2300.0f, 0.9f);
    right.set(2500.0f, 0.9f);
    Span span = spanOf(n, 0.6f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float amp = n.velocity * envelope(seconds(j));
      bus.l[span.first + j] += amp * left.tick(noise.bipolar()).band;
      bus.r[span.first + j] += amp * right.tick(noise.bipolar()).band;
    }
  }
  return bus;
}

Bus renderHats(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(17);
  for (const Note& n : notes) {
    Svf first, second;
    first.set(4500.0f, 0.7f);
    second.set(6500.0f, 0.6f);
    Pan pan(n.pan);
    float decay = std::max(n.length, 0.005f);
    Span span = spanOf(n, decay * 6.0f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      float x = second.tick(first.tick(noise.bipolar()).high).high;
      float amp = std::min(1.0f, t / 0.0005f) * std::exp(-t / decay);
      bus.add(span.first + j, n.velocity * amp * x, pan);
    }
  }
  return bus;
}

Bus renderCrash(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(19);
  for (const Note& n : notes) {
    Svf left, right;
    left.set(3500.0f, 0.5f);
    right.set(3500.0f, 0.5f);
    Span span = spanOf(n, 2.5f, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      float amp = n.velocity * std::min(1.0f, t / 0.001f) *
                  (0.7f * std::exp(-t / 0.9f) + 0.3f * std::exp(-t / 0.08f));
      bus.l[span.first + j] += amp * left.tick(noise.bipolar()).high;
      bus.r[span.first + j] += amp * right.tick(noise.bipolar()).high;
    }
  }
  return bus;
}

Bus renderRiser(const std::vector<Note>& notes, size_t frames) {
  Bus bus(frames);
  Random noise(23);
  for (const Note& n : notes) {
    Svf left, right;
    Span span = spanOf(n, n.length, frames);
    for (size_t j = 0; j < span.count; ++j) {
      float x = seconds(j) / n.length;  // 0..1 over the sweep
      if (j % kControl == 0) {
        float centre = 300.0f * std::pow(30.0f, x);
        left.set(centre, 3.0f);
        right.set(centre * 1.07f, 3.0f);
      }
      float amp = n.velocity * x * std::sqrt(x) * std::min(1.0f, (1.0f - x) * n.length / 0.02f);
      bus.l[span.first + j] += amp * left.tick(noise.bipolar()).band;
      bus.r[span.first + j] += amp * right.tick(noise.bipolar()).band;
    }
  }
  return bus;
}

std::vector<float> kickDucking(const std::vector<Note>& kicks, const Curve& depth, size_t frames) {
  std::vector<float> gain(frames, 1.0f);
  for (size_t k = 0; k < kicks.size(); ++k) {
    float until = k + 1 < kicks.size() ? kicks[k + 1].start : kicks[k].start + 1.0f;
    Span span = spanOf(kicks[k], std::min(until - kicks[k].start, 0.3f), frames);
    float d = depth.at(kicks[k].start);
    for (size_t j = 0; j < span.count; ++j) {
      float t = seconds(j);
      // A 4 ms slope down (no click), then a squared recovery over a quarter second.
      float shape = t < 0.004f ? t / 0.004f : std::pow(std::max(0.0f, 1.0f - (t - 0.004f) / 0.25f), 2.0f);
      gain[span.first + j] = 1.0f - d * shape;
    }
  }
  return gain;
}

}  // namespace music
}  // namespace assetgen
