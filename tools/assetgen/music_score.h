// The composition: what each instrument plays when, and the automation that shapes the sections.
// A 124-second track in A minor at 120 beats per minute (a beat is 0.5 s, a bar 2 s), following
// the show: intro over the planet, the beat from 28 s, the melody from 56 s, breakdown and build
// from 84 s, climax from 104 s (the hook an octave up over new off-beat stabs), and the final
// chord fading to silence by 123 s.
// Depends only on music_dsp.h (for Curve); the instruments that play the notes are elsewhere.
#pragma once

#include <vector>

#include "music_dsp.h"

namespace assetgen {
namespace music {

constexpr float kSongSeconds = 124.0f;
constexpr float kBeat = 0.5f;
constexpr float kBar = 2.0f;

// Section starts in seconds.
constexpr float kGrooveStart = 28.0f;
constexpr float kMelodyStart = 56.0f;
constexpr float kBreakStart = 84.0f;
constexpr float kBuildStart = 96.0f;
constexpr float kClimaxStart = 104.0f;
constexpr float kOutroStart = 120.0f;
constexpr float kSilenceFrom = 123.0f;  // the master fade reaches zero here

// One played note. start and length in seconds (length is how long the key is held), pitch as
// a MIDI note number, velocity 0..1, pan -1..1. Drums ignore pitch; hats use length as decay.
struct Note {
  float start, length, pitch, velocity, pan;
};

struct Score {
  std::vector<Note> pad, bass, lead, arp, bell, stab;
  std::vector<Note> kick, snare, clap, hat, crash, riser;
  Curve padLevel, padCutoff, arpCutoff, stabCutoff, duckDepth, masterFade;
};

// The whole arrangement; deterministic (its few random choices use a fixed seed).
Score composeScore();

}  // namespace music
}  // namespace assetgen
