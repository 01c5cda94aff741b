// The arrangement of the demo's track (see music_score.h): chords per bar, the hook, and one
// small function per instrument that lays out its notes section by section.
#include "music_score.h"

namespace assetgen {
namespace music {
namespace {

// A chord as the instruments use it: the bass root (MIDI 40..48), a four-note pad voicing around
// middle C, and the four tones the arpeggio cycles through an octave higher.
struct Chord {
  float bass;
  float pad[4];
  float arp[4];
};

enum ChordName { Am, F, C, G, E, Dm };

const Chord kChords[] = {
    {45, {57, 60, 64, 69}, {69, 72, 76, 81}},  // A minor
    {41, {57, 60, 65, 69}, {65, 69, 72, 77}},  // F major
    {48, {55, 60, 64, 67}, {67, 72, 76, 79}},  // C major
    {43, {55, 59, 62, 67}, {67, 71, 74, 79}},  // G major
    {40, {56, 59, 64, 68}, {68, 71, 76, 80}},  // E major, the dominant before the climax
    {38, {57, 62, 65, 69}, {69, 74, 77, 81}},  // D minor
};

constexpr int kBars = 62;

// One chord per bar: i-VI-III-VII cycles, each 14-bar section turning round on F-G, the build
// ending on the dominant E, the outro on A minor.
std::vector<int> chordPerBar() {
  const std::vector<int> section14 = {Am, F, C, G, Am, F, C, G, Am, F, C, G, F, G};
  std::vector<int> bars;
  for (int s = 0; s < 3; ++s) bars.insert(bars.end(), section14.begin(), section14.end());
  const std::vector<int> rest = {Am, F, C, G, Am, F, C, G, F, E,   // breakdown and build
                                 Am, F, C, G, Am, F, C, G,         // climax
                                 Am, Am};                           // outro
  bars.insert(bars.end(), rest.begin(), rest.end());
  return bars;
}

const Chord& chordAt(const std::vector<int>& bars, float seconds) {
  int bar = static_cast<int>(seconds / kBar);
  if (bar < 0) bar = 0;
  if (bar >= kBars) bar = kBars - 1;
  return kChords[bars[bar]];
}

// The hook: eight bars over Am-F-C-G twice, in the "dotted, dotted, straight" rhythm.
// Times and lengths in beats from the phrase start.
struct PhraseNote {
  float beat, beats, pitch;
};

const std::vector<PhraseNote> kHook = {
    {0, 1.5, 81}, {1.5, 1.5, 79}, {3, 1, 76},                   // Am: A G E
    {4, 1.5, 77}, {5.5, 1.5, 76}, {7, 1, 72},                   // F:  F E C
    {8, 1.5, 76}, {9.5, 1.5, 74}, {11, 1, 72},                  // C:  E D C
    {12, 1.5, 74}, {13.5, 1.5, 71}, {15, 0.5, 67}, {15.5, 0.5, 71},  // G: D B G B
    {16, 1.5, 81}, {17.5, 1.5, 79}, {19, 1, 76},                // Am: A G E
    {20, 1.5, 77}, {21.5, 1.5, 81}, {23, 1, 84},                // F:  F A C, the lift
    {24, 1.5, 79}, {25.5, 1.5, 76}, {27, 1, 79},                // C:  G E G
    {28, 2, 74}, {30, 1, 71}, {31, 1, 74},                      // G:  D B D
};

// Two bars (F, G) climbing out of the melody section into the breakdown.
const std::vector<PhraseNote> kPickup = {
    {0, 1, 77}, {1, 1, 81}, {2, 1, 84}, {3, 1, 81}, {4, 1, 79}, {5, 1, 83}, {6, 2, 86},
};

// Appends a phrase starting at `start` seconds, only the notes that begin before `beatsUsed`.
void addPhrase(std::vector<Note>& out, const std::vector<PhraseNote>& phrase, float start,
               float beatsUsed, float transpose, float velocity, float pan, float legato) {
  for (const PhraseNote& p : phrase) {
    if (p.beat >= beatsUsed) continue;
    bool onBeat = p.beat == static_cast<float>(static_cast<int>(p.beat));
    out.push_back({start + p.beat * kBeat, p.beats * kBeat * legato, p.pitch + transpose,
                   velocity * (onBeat ? 1.0f : 0.85f), pan});
  }
}

// Calls f(time) for every step of `step` seconds in [from, to).
template <typename F>
void every(float from, float to, float step, F f) {
  int count = static_cast<int>((to - from) / step + 0.5f);
  for (int i = 0; i < count; ++i) f(from + static_cast<float>(i) * step, i);
}

void layPad(Score& s, const std::vector<int>& bars) {
  for (int bar = 0; bar < kBars; ++bar) {
    const Chord& c = kChords[bars[bar]];
    float start = static_cast<float>(bar) * kBar;
    if (start >= kOutroStart + kBar) break;  // the outro chord is one long note
    float gate = start >= kOutroStart ? 2.2f : kBar;
    bool climax = start >= kClimaxStart && start < kOutroStart;
    // At the climax the stabs carry the chords in the middle register; the pad moves an octave
    // up and keeps only a soft trace of its usual voicing.
    float low = climax ? 0.35f : 1.0f;
    for (int i = 0; i < 4; ++i) s.pad.push_back({start, gate, c.pad[i], low, 0.0f});
    s.pad.push_back({start, gate, c.bass + 12.0f, 0.6f * low, 0.0f});
    if (!climax) continue;
    for (int i = 0; i < 4; ++i) s.pad.push_back({start, gate, c.pad[i] + 12.0f, 1.0f, 0.0f});
  }
}

void layBass(Score& s, const std::vector<int>& bars) {
  // Off-beat eighths in the groove; in the melody an extra sixteenth that jumps the octave; at
  // the climax rolling sixteenths (every one but the one under the kick): fifth, root, octave.
  every(kGrooveStart, kMelodyStart, kBeat, [&](float t, int) {
    s.bass.push_back({t + 0.25f, 0.2f, chordAt(bars, t).bass, 1.0f, 0.0f});
  });
  every(kMelodyStart, kBreakStart, kBeat, [&](float t, int) {
    float root = chordAt(bars, t).bass;
    s.bass.push_back({t + 0.25f, 0.2f, root, 1.0f, 0.0f});
    s.bass.push_back({t + 0.375f, 0.1f, root + 12.0f, 0.7f, 0.0f});
  });
  every(kClimaxStart, kOutroStart, kBeat, [&](float t, int) {
    float root = chordAt(bars, t).bass;
    s.bass.push_back({t + 0.125f, 0.1f, root + 7.0f, 0.7f, 0.0f});
    s.bass.push_back({t + 0.25f, 0.1f, root, 1.0f, 0.0f});
    s.bass.push_back({t + 0.375f, 0.1f, root + 12.0f, 0.8f, 0.0f});
  });
  s.bass.push_back({kOutroStart, 2.0f, kChords[Am].bass, 0.9f, 0.0f});
}

void layLead(Score& s) {
  addPhrase(s.lead, kHook, kMelodyStart, 32, 0, 1.0f, 0.0f, 0.92f);
  addPhrase(s.lead, kHook, kMelodyStart + 8 * kBar, 16, 0, 1.0f, 0.0f, 0.92f);
  addPhrase(s.lead, kPickup, kMelodyStart + 12 * kBar, 8, 0, 1.0f, 0.0f, 0.92f);
  // Climax: the hook an octave up, brighter and higher than before, over the original
  // register a little to the side.
  addPhrase(s.lead, kHook, kClimaxStart, 32, 12, 1.0f, 0.0f, 0.92f);
  addPhrase(s.lead, kHook, kClimaxStart, 32, 0, 0.35f, -0.3f, 0.92f);
  s.lead.push_back({kOutroStart, 1.6f, 81, 1.0f, 0.0f});
  s.lead.push_back({kOutroStart, 1.6f, 93, 0.4f, 0.3f});
}

void layArp(Score& s, const std::vector<int>& bars) {
  static const int kPattern[8] = {0, 1, 2, 3, 1, 2, 3, 2};
  auto run = [&](float from, float to, float velocity) {
    every(from, to, kBeat / 4.0f, [&](float t, int i) {
      const Chord& c = chordAt(bars, t);
      float accent = (i % 4 == 0) ? 1.0f : 0.7f;
      float pan = (i % 2) ? 0.45f : -0.45f;
      s.arp.push_back({t, 0.1f, c.arp[kPattern[i % 8]], velocity * accent, pan});
    });
  };
  run(kGrooveStart + 4 * kBar, kMelodyStart, 0.6f);  // filtered, opening towards the melody
  run(kMelodyStart, kBreakStart, 1.0f);
  run(kBuildStart, kClimaxStart, 0.9f);  // at the climax the stabs take over
}

// The climax's new layer: the chord an octave above the pad over the root (the
// warmth the pad gives up there), stabbed on every off-beat eighth, where the kick has just
// ducked everything else, with a ghost on the last sixteenth of each second beat.
void layStabs(Score& s, const std::vector<int>& bars) {
  every(kClimaxStart, kOutroStart, kBeat, [&](float t, int i) {
    const Chord& c = chordAt(bars, t);
    s.stab.push_back({t + 0.25f, 0.18f, c.bass + 12.0f, 1.0f, 0.0f});
    for (int k = 1; k < 4; ++k) s.stab.push_back({t + 0.25f, 0.18f, c.pad[k] + 12.0f, 1.0f, 0.0f});
    if (i % 2 == 1)
      for (int k = 1; k < 4; ++k) s.stab.push_back({t + 0.375f, 0.06f, c.pad[k] + 12.0f, 0.5f, 0.0f});
  });
}

void layBells(Score& s, const std::vector<int>& bars) {
  // Intro: one or two soft bells a bar on chord tones, at seeded eighth positions.
  Random random(2024);
  for (int bar = 1; bar < 14; ++bar) {
    int count = 1 + static_cast<int>(bar % 2 == 1);
    float barStart = static_cast<float>(bar) * kBar;
    for (int k = 0; k < count; ++k) {
      float beat = static_cast<float>(random.nextInt() % 8) * 0.5f;
      const Chord& c = kChords[bars[bar]];
      float pitch = c.arp[random.nextInt() % 4] + 12.0f;
      s.bell.push_back({barStart + beat * kBeat, 0.2f, pitch, 0.45f + 0.3f * random.unit(),
                        0.7f * random.bipolar()});
    }
  }
  // Breakdown: the hook on bells, softly, over the bare pads.
  addPhrase(s.bell, kHook, kBreakStart, 32, 0, 0.7f, 0.2f, 1.0f);
  // Outro: a last A minor sparkle.
  s.bell.push_back({kOutroStart, 0.2f, 81, 0.7f, -0.3f});
  s.bell.push_back({kOutroStart + 0.25f, 0.2f, 88, 0.55f, 0.3f});
  s.bell.push_back({kOutroStart + 0.5f, 0.2f, 93, 0.45f, 0.0f});
}

void layDrums(Score& s) {
  // Kick on every beat wherever the beat runs, and once more on the final chord.
  every(kGrooveStart, kBreakStart, kBeat, [&](float t, int) { s.kick.push_back({t, 0, 0, 1, 0}); });
  every(kClimaxStart, kOutroStart, kBeat, [&](float t, int) { s.kick.push_back({t, 0, 0, 1, 0}); });
  s.kick.push_back({kOutroStart, 0, 0, 1, 0});

  // Snare on two and four from the groove's second half; fills into the next sections.
  auto backbeat = [&](float from, float to, float velocity) {
    every(from, to, kBeat, [&](float t, int i) {
      if (i % 2 == 1) s.snare.push_back({t, 0, 0, velocity, 0.1f});
    });
  };
  auto fill = [&](float from, float to, float step, float v0, float v1) {
    int n = static_cast<int>((to - from) / step + 0.5f);
    every(from, to, step, [&](float t, int i) {
      float x = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 1.0f;
      s.snare.push_back({t, 0, 0, v0 + (v1 - v0) * x, 0.1f});
    });
  };
  backbeat(kGrooveStart + 6 * kBar, kMelodyStart - kBeat, 0.6f);
  fill(kMelodyStart - kBeat, kMelodyStart, kBeat / 4, 0.5f, 0.9f);
  backbeat(kMelodyStart, kBreakStart - kBar, 0.8f);
  fill(kBreakStart - kBar, kBreakStart, kBeat / 4, 0.4f, 1.0f);
  // The build: quarters, eighths, sixteenths, thirty-seconds, rising, into the climax.
  fill(kBuildStart, kBuildStart + 2, kBeat, 0.25f, 0.35f);
  fill(kBuildStart + 2, kBuildStart + 4, kBeat / 2, 0.35f, 0.5f);
  fill(kBuildStart + 4, kBuildStart + 6, kBeat / 4, 0.5f, 0.75f);
  fill(kBuildStart + 6, kClimaxStart, kBeat / 8, 0.75f, 1.0f);
  backbeat(kClimaxStart, kOutroStart, 1.0f);

  // Claps on two and four: new with the melody; at the climax an extra off-beat clap closes
  // every second bar.
  every(kMelodyStart, kBreakStart - kBar, kBeat, [&](float t, int i) {
    if (i % 2 == 1) s.clap.push_back({t, 0, 0, 0.8f, 0});
  });
  every(kClimaxStart, kOutroStart, kBeat, [&](float t, int i) {
    if (i % 2 == 1) s.clap.push_back({t, 0, 0, 1.0f, 0});
    if (i % 8 == 7) s.clap.push_back({t + 0.25f, 0, 0, 0.6f, 0});
  });

  // Hats: closed ones (short decay in `length`), open ones on the climax's off-beats.
  every(kGrooveStart, kMelodyStart, kBeat / 4, [&](float t, int i) {
    if (i % 4 == 2) s.hat.push_back({t, 0.05f, 0, 0.8f, 0.25f});
    if (i % 2 == 1 && t >= kGrooveStart + 4 * kBar) s.hat.push_back({t, 0.03f, 0, 0.35f, -0.25f});
  });
  every(kMelodyStart, kBreakStart, kBeat / 4, [&](float t, int i) {
    float v = (i % 4 == 2) ? 0.85f : (i % 4 == 0 ? 0.45f : 0.35f);
    s.hat.push_back({t, i % 4 == 2 ? 0.06f : 0.03f, 0, v, (i % 2) ? -0.25f : 0.25f});
  });
  every(kClimaxStart, kOutroStart, kBeat / 4, [&](float t, int i) {
    if (i % 4 == 2)
      s.hat.push_back({t, 0.22f, 0, 0.7f, 0.3f});
    else
      s.hat.push_back({t, 0.03f, 0, i % 4 == 0 ? 0.5f : 0.4f, -0.25f});
  });

  for (float t : {kGrooveStart, kMelodyStart, kClimaxStart, kClimaxStart + 8.0f, kOutroStart})
    s.crash.push_back({t, 0, 0, t == kClimaxStart + 8.0f ? 0.7f : 1.0f, 0});
  // Noise sweeps into the section changes; the long one is the build.
  s.riser.push_back({kGrooveStart - 2.0f, 2.0f, 0, 0.5f, 0});
  s.riser.push_back({kMelodyStart - 2.0f, 2.0f, 0, 0.6f, 0});
  s.riser.push_back({kBuildStart, kClimaxStart - kBuildStart, 0, 1.0f, 0});
}

}  // namespace

Score composeScore() {
  Score s{
      {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
      // Pad level: swelling in, stepping back a little under the beat and the melody, holding
      // the breakdown below the drives, full for the climax.
      Curve({{0, 0.25f}, {8, 0.5f}, {20, 0.6f}, {27, 0.75f}, {28, 1.0f}, {30, 0.85f}, {56, 0.85f}, {58, 0.6f},
             {96, 0.6f}, {104, 1.0f}, {104.5f, 0.9f}, {120, 0.9f}}),
      // Pad cut-off (Hz): the intro's slow opening, dark again at the breakdown, opening with
      // the build.
      Curve({{0, 300}, {26, 2600}, {28, 3000}, {56, 3500}, {84, 4000}, {84.5f, 1200}, {96, 1500},
             {104, 6000}, {116, 5500}, {123, 1500}},
            true),
      // Arpeggio cut-off (Hz).
      Curve({{36, 500}, {56, 2000}, {70, 3500}, {84, 4500}, {96, 500}, {104, 6000}, {120, 5000}},
            true),
      // Stab cut-off (Hz): opening over the climax's first eight bars.
      Curve({{104, 2500}, {112, 5000}, {120, 6000}}, true),
      // How deep the kick ducks pads, bass and reverb.
      Curve({{0, 0.5f}, {104, 0.5f}, {104.5f, 0.6f}}),
      // The master fade: full until 116 s, silent from 123 s.
      Curve({{116, 1.0f}, {118, 0.85f}, {120, 0.62f}, {121.5f, 0.3f}, {122.5f, 0.07f},
             {kSilenceFrom, 0.0f}}),
  };
  std::vector<int> bars = chordPerBar();
  layPad(s, bars);
  layBass(s, bars);
  layLead(s);
  layArp(s, bars);
  layBells(s, bars);
  layStabs(s, bars);
  layDrums(s);
  return s;
}

}  // namespace music
}  // namespace assetgen
