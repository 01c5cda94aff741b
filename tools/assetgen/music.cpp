// The demo's music track "flash.mp3": composes the score (music_score), renders every instrument
// (music_voices) on two threads, mixes them with their effect sends, masters the sum (rumble
// high-pass, low shelf and presence lift, the final fade, a peak limiter) and encodes 44.1 kHz
// stereo at a constant 192 kbit/s with LAME. The file is written under a temporary name and renamed, so a failed run never
// leaves a half-written track behind. Same sources, same bytes: all noise is seeded and the
// stems are summed in a fixed order whatever thread rendered them.
#include <lame/lame.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "assetgen.h"
#include "music_dsp.h"
#include "music_score.h"
#include "music_voices.h"

namespace assetgen {
namespace {

using namespace music;

constexpr size_t kFrames = static_cast<size_t>(kSongSeconds) * kSampleRate;
constexpr float kMasterGain = 0.77f;
// Master EQ: below kShelfHz the level drops by kShelfCut (linear, -0.2 = -1.9 dB); around
// kPresenceHz (an octave and a half wide) it rises by kPresenceLift (0.45 = +3.2 dB).
constexpr float kShelfHz = 110.0f, kShelfCut = -0.2f;
constexpr float kPresenceHz = 3500.0f, kPresenceLift = 0.45f;

// One instrument's render and where it goes: straight to the master (dry), to the bus that
// the kick ducks, and to the reverb and echo sends. Gains are linear.
struct Stem {
  std::function<Bus()> render;
  float dry, ducked, reverb, echo;
};

// Runs every stem's render on `threads` workers; results land in stem order.
std::vector<Bus> renderStems(const std::vector<Stem>& stems, unsigned threads) {
  std::vector<Bus> out(stems.size(), Bus(0));
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < stems.size(); i = next++) out[i] = stems[i].render();
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return out;
}

Bus mixTrack(const Score& score) {
  const std::vector<Stem> stems = {
      {[&] { return renderPad(score.pad, score.padLevel, score.padCutoff, kFrames); }, 0.0f, 0.32f, 0.22f, 0.0f},
      {[&] { return renderBass(score.bass, kFrames); }, 0.0f, 0.3f, 0.0f, 0.0f},
      {[&] { return renderLead(score.lead, kFrames); }, 0.46f, 0.0f, 0.16f, 0.14f},
      {[&] { return renderArp(score.arp, score.arpCutoff, kFrames); }, 0.0f, 0.16f, 0.08f, 0.14f},
      {[&] { return renderBells(score.bell, kFrames); }, 0.22f, 0.0f, 0.3f, 0.08f},
      {[&] { return renderStabs(score.stab, score.stabCutoff, kFrames); }, 0.0f, 1.0f, 0.12f, 0.1f},
      {[&] { return renderKick(score.kick, kFrames); }, 0.42f, 0.0f, 0.0f, 0.0f},
      {[&] { return renderSnare(score.snare, kFrames); }, 0.26f, 0.0f, 0.14f, 0.0f},
      {[&] { return renderClap(score.clap, kFrames); }, 0.3f, 0.0f, 0.16f, 0.0f},
      {[&] { return renderHats(score.hat, kFrames); }, 0.4f, 0.0f, 0.02f, 0.0f},
      {[&] { return renderCrash(score.crash, kFrames); }, 0.14f, 0.0f, 0.1f, 0.0f},
      {[&] { return renderRiser(score.riser, kFrames); }, 0.2f, 0.0f, 0.15f, 0.0f},
  };
  std::vector<Bus> rendered = renderStems(stems, 2);

  Bus dry(kFrames), ducked(kFrames), reverbSend(kFrames), echoSend(kFrames);
  for (size_t i = 0; i < stems.size(); ++i) {
    const Stem& s = stems[i];
    if (s.dry > 0) dry.mixIn(rendered[i], s.dry);
    if (s.ducked > 0) ducked.mixIn(rendered[i], s.ducked);
    if (s.reverb > 0) reverbSend.mixIn(rendered[i], s.reverb);
    if (s.echo > 0) echoSend.mixIn(rendered[i], s.echo);
    rendered[i] = Bus(0);  // free the stem early: the track is 44 MB per stereo bus
  }
  // A dotted-eighth ping-pong (three sixteenths at 120 bpm) and a 2.4 s hall.
  std::thread echo([&] { pingPongDelay(echoSend, 0.375f, 0.42f, 3500.0f); });
  reverb(reverbSend, 2.4f, 5000.0f, 0.02f);
  echo.join();

  std::vector<float> duck = kickDucking(score.kick, score.duckDepth, kFrames);
  ducked.mixIn(reverbSend, 1.0f);
  for (size_t i = 0; i < kFrames; ++i) {
    dry.l[i] += duck[i] * ducked.l[i] + echoSend.l[i];
    dry.r[i] += duck[i] * ducked.r[i] + echoSend.r[i];
  }
  return dry;
}

// The master chain: rumble high-pass, a gentle low-shelf cut and a broad presence lift (both
// from a state-variable filter's outputs added back to the input), the fade to silence, and a
// limiter that keeps sample peaks 2.4 dB below full scale, room for the encoder's overshoot
// between samples so the decoded track's true peak stays under -1 dBTP.
void master(Bus& mix, const Curve& fade) {
  Svf rumble[2], shelf[2], presence[2];
  for (int c = 0; c < 2; ++c) {
    rumble[c].set(25.0f, 0.707f);
    shelf[c].set(kShelfHz, 0.707f);
    presence[c].set(kPresenceHz, 0.6f);
  }
  for (size_t i = 0; i < mix.frames(); ++i) {
    float gain = kMasterGain * fade.at(static_cast<float>(i) / kSampleRate);
    float* side[2] = {&mix.l[i], &mix.r[i]};
    for (int c = 0; c < 2; ++c) {
      float x = rumble[c].tick(*side[c]).high;
      x += kShelfCut * shelf[c].tick(x).low;
      x += kPresenceLift * presence[c].tick(x).band;
      *side[c] = gain * x;
    }
  }
  limit(mix, 0.76f, 0.003f, 0.08f);
}

// Encodes to CBR MP3 in memory. The first frame LAME emits is a placeholder for the "Info" tag
// (length, encoder delay and padding, so decoders can play the track gaplessly); it is filled
// in once the stream is complete.
bool encodeMp3(const Bus& track, std::vector<unsigned char>& mp3) {
  lame_global_flags* lame = lame_init();
  if (!lame) return false;
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, 192);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);
  bool ok = lame_init_params(lame) >= 0;
  const size_t chunk = 8192;
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (size_t at = 0; ok && at < track.frames(); at += chunk) {
    int n = static_cast<int>(std::min(chunk, track.frames() - at));
    int bytes = lame_encode_buffer_ieee_float(lame, &track.l[at], &track.r[at], n, buffer.data(),
                                              static_cast<int>(buffer.size()));
    ok = bytes >= 0;
    if (ok) mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    ok = bytes >= 0;
    if (ok) mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    unsigned char tag[2880];
    size_t size = lame_get_lametag_frame(lame, tag, sizeof(tag));
    if (size > 0 && size <= sizeof(tag) && size <= mp3.size()) std::memcpy(mp3.data(), tag, size);
  }
  lame_close(lame);
  return ok;
}

bool writeWhole(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::string temporary = path + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

float peakDb(const Bus& track) {
  float peak = 1e-9f;
  for (size_t i = 0; i < track.frames(); ++i)
    peak = std::max(peak, std::max(std::fabs(track.l[i]), std::fabs(track.r[i])));
  return 20.0f * std::log10(peak);
}

}  // namespace

bool generateMusic(const std::string& resources) {
  std::error_code error;
  std::filesystem::create_directories(resources, error);
  const std::string path = resources + "/flash.mp3";

  Score score = composeScore();
  Bus track = mixTrack(score);
  master(track, score.masterFade);

  std::vector<unsigned char> mp3;
  if (!encodeMp3(track, mp3)) {
    fprintf(stderr, "music: MP3 encoding failed\n");
    return false;
  }
  if (!writeWhole(path, mp3)) {
    fprintf(stderr, "music: cannot write %s\n", path.c_str());
    return false;
  }
  printf("music: %s, %.0f s, peak %.1f dBFS, %zu bytes\n", path.c_str(), kSongSeconds,
         peakDb(track), mp3.size());
  return true;
}

}  // namespace assetgen
