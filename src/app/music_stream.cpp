#include "app/music_stream.h"

namespace qorFramework {

// The stream player arrives separately; until then every call behaves as with no stream.
void openMusicStream(MusicStream& music, const char*) {
  music.spectrum = nullptr;
  music.stream = nullptr;
  music.spectrumEnabled = false;
}
void setMusicTime(MusicStream*, uint32_t) {}
bool isMusicAllPaused(MusicStream*) { return false; }
void resumeMusic(MusicStream*) {}
void playMusicStream(MusicStream*) {}
void pauseMusic(MusicStream*, bool) {}
uint32_t musicTimeMs(MusicStream*) { return 0; }
const float* fetchMusicSpectrum(MusicStream*) { return nullptr; }
void stopMusic(MusicStream*) {}

}  // namespace qorFramework
