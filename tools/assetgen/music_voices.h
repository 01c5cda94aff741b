// The instruments of the demo's track. Each renders its notes (music_score.h) into a fresh
// full-length stereo bus, dry and at roughly unit level; music.cpp sets the balance and the
// effect sends. Noise sources are seeded per instrument, so every render is identical.
#pragma once

#include <vector>

#include "music_dsp.h"
#include "music_score.h"

namespace assetgen {
namespace music {

// Detuned saw ensemble through one swept low-pass and a fixed 260 Hz high-pass, level
// automation and chorus.
Bus renderPad(const std::vector<Note>& notes, const Curve& level, const Curve& cutoff, size_t frames);
// Saw and square with a plucky filter envelope, plus a sine an octave below.
Bus renderBass(const std::vector<Note>& notes, size_t frames);
// Two detuned saws and a sub-octave square with delayed vibrato and a filter envelope.
Bus renderLead(const std::vector<Note>& notes, size_t frames);
// Short pulse-and-saw plucks under an automated cut-off.
Bus renderArp(const std::vector<Note>& notes, const Curve& cutoff, size_t frames);
// Two-operator FM bells with an inharmonic modulator.
Bus renderBells(const std::vector<Note>& notes, size_t frames);
// Short supersaw chord stabs (seven detuned saws spread across the stereo field) under an
// automated cut-off: the off-beat pump of the climax.
Bus renderStabs(const std::vector<Note>& notes, const Curve& cutoff, size_t frames);

// Drums. The kick is a sine swept down from 170 Hz with a click; the snare a tuned body plus
// band-passed noise; the clap three quick bursts of band-passed noise and a short tail; hats
// high-passed noise; the crash a long stereo noise wash; the riser a band-pass sweep over white
// noise lasting the note's length.
Bus renderKick(const std::vector<Note>& notes, size_t frames);
Bus renderSnare(const std::vector<Note>& notes, size_t frames);
Bus renderClap(const std::vector<Note>& notes, size_t frames);
Bus renderHats(const std::vector<Note>& notes, size_t frames);
Bus renderCrash(const std::vector<Note>& notes, size_t frames);
Bus renderRiser(const std::vector<Note>& notes, size_t frames);

// The side-chain gain (0..1) per frame: dips by depth(t) at every kick and recovers within a
// quarter second, the "pumping" of pads and bass under the beat.
std::vector<float> kickDucking(const std::vector<Note>& kicks, const Curve& depth, size_t frames);

}  // namespace music
}  // namespace assetgen
