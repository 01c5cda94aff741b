// Test helper: builds MP3 files from generated tones with libmp3lame, with the LAME tag in
// front so a gapless decoder recovers the exact number of frames that went in.
#pragma once

#include <lame/lame.h>

#include <cmath>
#include <string>
#include <vector>

namespace mp3maker {

// One stretch of a sine on both channels.
struct Tone {
  double hz;
  double seconds;
  float amplitude;
};

constexpr int kRate = 44100;

inline std::vector<float> toneSamples(const std::vector<Tone>& tones) {
  std::vector<float> mono;
  double phase = 0;
  for (const Tone& t : tones) {
    size_t frames = static_cast<size_t>(t.seconds * kRate);
    for (size_t i = 0; i < frames; ++i) {
      mono.push_back(t.amplitude * static_cast<float>(std::sin(phase)));
      phase += 2.0 * 3.14159265358979323846 * t.hz / kRate;
    }
  }
  return mono;
}

// Encodes `mono` on both channels at `rate` (44.1 kHz unless told), 192 kbit/s CBR; empty on
// failure.
inline std::string encodeMp3(const std::vector<float>& mono, int rate = kRate) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 192);
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, 1);
  std::string out;
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return out;
  }
  std::vector<unsigned char> buffer(mono.size() * 5 / 4 + 7200 + 16384);
  int bytes = lame_encode_buffer_ieee_float(lame, mono.data(), mono.data(), static_cast<int>(mono.size()),
                                            buffer.data(), static_cast<int>(buffer.size()));
  if (bytes >= 0) out.append(reinterpret_cast<char*>(buffer.data()), bytes);
  bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (bytes >= 0) out.append(reinterpret_cast<char*>(buffer.data()), bytes);
  // The first frame is a placeholder for the tag that carries encoder delay and padding.
  unsigned char tag[4096];
  size_t tagBytes = lame_get_lametag_frame(lame, tag, sizeof tag);
  if (tagBytes > 0 && tagBytes <= sizeof tag && tagBytes <= out.size()) out.replace(0, tagBytes, reinterpret_cast<char*>(tag), tagBytes);
  lame_close(lame);
  return out;
}

}  // namespace mp3maker
