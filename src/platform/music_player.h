// The music stream: one MP3 file played through SDL2 audio, with pause, sample-exact seek, the
// position of the sample being heard, and the spectrum of what is being heard.
// SDL pulls audio through a callback on its own thread; the callback copies from the song
// decoded at open (platform::MusicDecoder), so it never allocates or touches the disk. The player's state is
// shared with the main thread under SDL's audio device lock.
// The device keeps running from open to close: pausing writes silence, so the clock that
// positions are measured with never stops. Without a sound card the dummy driver stands in.
// Depends on SDL2 audio, MusicDecoder, SpectrumAnalyser, platform::performanceCounter.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct MusicPlayer;  // opaque
struct DecodedMusic;

// Opens the file (demo path), decodes its length and opens an audio device, playing silence
// until playMusic. Null when the file is missing or undecodable or no device opens; `whyNot`
// (may be null) then says why. The stream starts at 0 ms, not playing, not paused.
MusicPlayer* openMusic(const char* path, std::string* whyNot);
// Stops the device (joining the audio thread), then frees the decoder. Null is ignored.
void closeMusic(MusicPlayer* player);

// Starts playing from the current position; clears a pause.
void playMusic(MusicPlayer* player);
// Stops playing and rewinds to 0 ms; playMusic starts again from the beginning.
void stopMusic(MusicPlayer* player);
// While paused the device plays silence and the position holds.
void setMusicPaused(MusicPlayer* player, bool paused);
bool isMusicPaused(MusicPlayer* player);

// Moves playback to `ms` (clamped to the length), exact to the sample. The position reads
// `ms` at once and never runs backwards from there while the old buffer drains.
void setMusicPositionMs(MusicPlayer* player, uint32_t ms);
// Song position, in milliseconds, of the sample being heard now.
uint32_t musicPositionMs(MusicPlayer* player);
uint32_t musicLengthMs(MusicPlayer* player);

// The whole song as decoded at open; null for no player. It never changes while the player is
// open, so any thread may read it without the device lock.
const DecodedMusic* musicSong(MusicPlayer* player);

// 512 magnitudes of the 1024 mono samples last heard (see SpectrumAnalyser). The array
// belongs to the player and stays valid until the next fetch or close. Null for no player.
const float* fetchSpectrum(MusicPlayer* player);

// Why the dummy driver plays in place of a sound card (SDL's reason for refusing the real
// device), or null when the music is heard (or the dummy driver was asked for).
const char* musicSilentReason(MusicPlayer* player);

// Callbacks that could not fill their buffer before the song's end (none is expected: the song
// is read from memory).
uint32_t musicUnderruns(MusicPlayer* player);

}  // namespace platform
