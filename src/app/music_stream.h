// MusicStream: the demo's music record and the handful of stream calls the main loop makes on
// it. Every call does nothing while no stream is open, so a silent run needs no special cases.
// Depends on: platform/music_player.h.
#pragma once

#include <cstdint>

namespace platform {
struct MusicPlayer;
struct DecodedMusic;
}

namespace qorFramework {

struct MusicStream {
  const float* spectrum = nullptr;  // 512 magnitudes fetched for the latest drawn frame
  platform::MusicPlayer* stream = nullptr;  // null when no stream is open
  bool spectrumEnabled = false;             // true exactly when the stream opened
};

// Opens "flash.mp3" (or the given file) into `music`; on failure a WARNING says why and the
// demo runs silently on its own clock.
void openMusicStream(MusicStream& music, const char* fileName);
void setMusicTime(MusicStream* music, uint32_t milliseconds);
bool isMusicAllPaused(MusicStream* music);
void resumeMusic(MusicStream* music);
void playMusicStream(MusicStream* music);
void pauseMusic(MusicStream* music, bool paused);
uint32_t musicTimeMs(MusicStream* music);
const float* fetchMusicSpectrum(MusicStream* music);
// The open stream's whole song, decoded once at open (for the capture's spectrum and the
// editor's waveform); null when no stream is open.
const platform::DecodedMusic* musicSong(MusicStream* music);
void stopMusic(MusicStream* music);
// Closes the stream (the audio device and its thread) and reports the playback underruns.
void closeMusicStream(MusicStream& music);

}  // namespace qorFramework
