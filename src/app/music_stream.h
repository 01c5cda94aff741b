// MusicStream: the demo's music record and the handful of stream calls the main loop makes on
// it (their names say "stream"; the platform's player below says "music"). Every call does
// nothing while no stream is open, so a silent run needs no special cases.
// Depends on: platform/music_player.h.
#pragma once

#include <cstdint>

namespace platform {
struct MusicPlayer;
struct DecodedMusic;
}

namespace qorFramework {

// The show's music, in the resources folder.
constexpr const char* kMusicFile = "flash.mp3";

struct MusicStream {
  const float* spectrum = nullptr;  // 512 magnitudes fetched for the latest drawn frame
  platform::MusicPlayer* stream = nullptr;  // null when no stream is open
  bool spectrumEnabled = false;             // true exactly when the stream opened
};

// Opens the music file (kMusicFile for the show) into `music`; on failure a WARNING says why and the
// demo runs silently on its own clock.
void openMusicStream(MusicStream& music, const char* fileName);
void setStreamTime(MusicStream* music, uint32_t milliseconds);
// Every channel is paused (the editor paused the show).
bool isStreamPaused(MusicStream* music);
void resumeStream(MusicStream* music);
void playStream(MusicStream* music);
void pauseStream(MusicStream* music, bool paused);
uint32_t streamTimeMs(MusicStream* music);
const float* fetchStreamSpectrum(MusicStream* music);
// The open stream's whole song, decoded once at open (for the capture's spectrum and the
// editor's waveform); null when no stream is open.
const platform::DecodedMusic* streamSong(MusicStream* music);
void stopStream(MusicStream* music);
// Closes the stream (the audio device and its thread) and reports the playback underruns.
void closeMusicStream(MusicStream& music);

}  // namespace qorFramework
