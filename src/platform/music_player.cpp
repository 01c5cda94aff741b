// SDL2 pull-callback stream player. Timing model: every callback records the chunk it writes
// (first device frame, song frame, how many of its frames carry song samples) with the
// performance-counter time. The frame being heard now is the newest chunk's start plus the
// time since its callback, minus the device buffer; the chunk ring maps it back to the song.
#include "platform/music_player.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include "platform/music_decoder.h"
#include "platform/music_spectrum.h"
#include "platform/system.h"

namespace platform {

namespace {

constexpr int kChunkRing = 64;             // chunks remembered: far more than the device buffer
constexpr int64_t kHistoryFrames = 16384;  // mono samples remembered (power of two)
constexpr uint16_t kDeviceBufferFrames = 1024;

struct ChunkRecord {
  uint64_t counter;     // performance counter when the callback wrote the chunk
  int64_t deviceFrame;  // device frame of the chunk's first sample
  int64_t songFrame;    // song frame of the chunk's first sample
  int64_t frames;       // device frames in the chunk
  int64_t advancing;    // leading frames that carry song samples (0 while paused or stopped)
};

}  // namespace

struct MusicPlayer {
  MusicDecoder decoder;
  SpectrumAnalyser analyser;
  SDL_AudioDeviceID device = 0;
  int64_t bufferFrames = kDeviceBufferFrames;  // the obtained device buffer, in frames
  double framesPerTick = 0;                    // sample rate / counter frequency

  // Shared with the callback: touched only under the device lock (the callback holds it).
  bool playing = false;
  bool paused = false;
  int64_t written = 0;  // device frames written since the device opened
  ChunkRecord chunks[kChunkRing];
  int chunkCount = 0;
  int chunkNext = 0;                 // ring slot the next chunk goes to
  float history[kHistoryFrames];     // mono samples, slot = device frame & (kHistoryFrames - 1)
  int64_t reportedSongFrame = 0;     // floor that keeps the reported position monotonic
  uint32_t underruns = 0;

  // Main thread only.
  std::string silentBecause;  // why the dummy driver stands in for a sound card; empty if not
  float window[kSpectrumWindow];
  float spectrum[kSpectrumBins];
};

namespace {

void pushChunk(MusicPlayer* p, const ChunkRecord& record) {
  p->chunks[p->chunkNext] = record;
  p->chunkNext = (p->chunkNext + 1) % kChunkRing;
  if (p->chunkCount < kChunkRing) ++p->chunkCount;
}

// SDL's audio thread, with the device lock held. Decodes from memory only.
void SDLCALL fillAudio(void* userdata, Uint8* stream, int len) {
  MusicPlayer* p = static_cast<MusicPlayer*>(userdata);
  float* out = reinterpret_cast<float*>(stream);
  uint32_t frames = static_cast<uint32_t>(len) / (2 * sizeof(float));
  ChunkRecord record = {performanceCounter(), p->written, p->decoder.positionFrames(), frames, 0};
  uint32_t got = 0;
  if (p->playing && !p->paused) {
    got = p->decoder.read(out, frames);
    if (got < frames && p->decoder.positionFrames() < p->decoder.lengthFrames()) ++p->underruns;
  }
  memset(out + 2 * got, 0, (frames - got) * 2 * sizeof(float));
  record.advancing = got;
  for (uint32_t i = 0; i < frames; ++i)
    p->history[(p->written + i) & (kHistoryFrames - 1)] = 0.5f * (out[2 * i] + out[2 * i + 1]);
  p->written += frames;
  pushChunk(p, record);
}

// Device frame being heard now (under the lock). Before the first callback: frame 0.
int64_t heardDeviceFrame(const MusicPlayer* p) {
  if (p->chunkCount == 0) return 0;
  const ChunkRecord& last = p->chunks[(p->chunkNext + kChunkRing - 1) % kChunkRing];
  uint64_t now = performanceCounter();
  int64_t sinceCallback = now > last.counter ? static_cast<int64_t>((now - last.counter) * p->framesPerTick) : 0;
  int64_t heard = last.deviceFrame + sinceCallback - p->bufferFrames;
  // A late callback must not let the estimate run past what the device has been given.
  if (heard > p->written - p->bufferFrames) heard = p->written - p->bufferFrames;
  return heard;
}

// Song frame of a device frame, through the chunk ring (under the lock).
int64_t songFrameAt(const MusicPlayer* p, int64_t deviceFrame) {
  if (p->chunkCount == 0) return p->decoder.positionFrames();
  for (int i = 1; i <= p->chunkCount; ++i) {
    const ChunkRecord& c = p->chunks[(p->chunkNext + kChunkRing - i) % kChunkRing];
    if (c.deviceFrame > deviceFrame) continue;
    int64_t into = deviceFrame - c.deviceFrame;
    return c.songFrame + (into < c.advancing ? into : c.advancing);
  }
  // Older than every remembered chunk (the device's first buffer): the oldest chunk's start.
  return p->chunks[(p->chunkNext + kChunkRing - p->chunkCount) % kChunkRing].songFrame;
}

// After a seek or stop, everything already written but not yet heard maps to the new position,
// so the position jumps there at once and advances from there when the new audio arrives.
void remapToSong(MusicPlayer* p, int64_t songFrame) {
  for (int i = 0; i < p->chunkCount; ++i) {
    p->chunks[i].songFrame = songFrame;
    p->chunks[i].advancing = 0;
  }
  p->reportedSongFrame = songFrame;
}

void moveTo(MusicPlayer* p, int64_t songFrame) {
  p->decoder.seek(songFrame);
  remapToSong(p, p->decoder.positionFrames());
}

uint32_t framesToMs(const MusicPlayer* p, int64_t frames) {
  return static_cast<uint32_t>(frames * 1000 / p->decoder.sampleRate());
}

bool openAudioSubsystem(bool dummy) {
  if (!dummy) return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  return ok;
}

SDL_AudioDeviceID openDevice(MusicPlayer* p, SDL_AudioSpec* obtained) {
  SDL_AudioSpec wanted;
  SDL_zero(wanted);
  wanted.freq = p->decoder.sampleRate();
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = kDeviceBufferFrames;
  wanted.callback = fillAudio;
  wanted.userdata = p;
  // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
  return SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained, 0);
}

// libasound prints every failed look-up of a card or device name on standard error (a page of
// "ALSA lib conf.c:..." lines on a machine without a sound card) before SDL sees the failure,
// which the player reports in one line instead. Its error handler is process-wide, so setting
// it in the library SDL loads later (the same soname, the same copy) silences those lines.
// The library stays loaded (SDL holds it too); without it there is nothing to silence.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsaErrors() {
  static bool done = false;
  if (done) return;
  done = true;
  void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!library) return;
  using SetHandler = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
  auto setHandler = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
  if (setHandler) setHandler(ignoreAlsaError);
}

// Opens the device on the configured driver, else on the dummy driver (no sound card) so the
// position clock still runs, noting why in `silentBecause`. Holds one reference on SDL's audio
// subsystem when it succeeds.
bool startDevice(MusicPlayer* p, std::string* whyNot) {
  SDL_AudioSpec obtained;
  silenceAlsaErrors();
  bool subsystem = openAudioSubsystem(false);
  if (subsystem && (p->device = openDevice(p, &obtained)) != 0) {
    p->bufferFrames = obtained.samples;
    return true;
  }
  p->silentBecause = *SDL_GetError() ? SDL_GetError() : "no audio driver";
  // SDL_AudioInit replaces the running driver and keeps the reference taken above.
  bool dummy = subsystem ? SDL_AudioInit("dummy") == 0 : openAudioSubsystem(true);
  if (dummy && (p->device = openDevice(p, &obtained)) != 0) {
    p->bufferFrames = obtained.samples;
    return true;
  }
  if (whyNot) *whyNot = std::string("no audio device: ") + SDL_GetError();
  if (subsystem || dummy) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

}  // namespace

MusicPlayer* openMusic(const char* path, std::string* whyNot) {
  MusicPlayer* p = new MusicPlayer();
  // The decoder reads and decodes the whole file here, before the device (and its lock) exists.
  if (!p->decoder.open(path, whyNot) || !startDevice(p, whyNot)) {
    delete p;
    return nullptr;
  }
  p->framesPerTick = static_cast<double>(p->decoder.sampleRate()) / static_cast<double>(performanceFrequency());
  // The device runs until close; until playMusic the callback writes silence.
  SDL_PauseAudioDevice(p->device, 0);
  return p;
}

void closeMusic(MusicPlayer* p) {
  if (!p) return;
  // Closing joins the audio thread, so the callback is gone before the decoder is freed.
  SDL_CloseAudioDevice(p->device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  delete p;
}

void playMusic(MusicPlayer* p) {
  if (!p) return;
  SDL_LockAudioDevice(p->device);
  p->playing = true;
  p->paused = false;
  SDL_UnlockAudioDevice(p->device);
}

void stopMusic(MusicPlayer* p) {
  if (!p) return;
  SDL_LockAudioDevice(p->device);
  p->playing = false;
  p->paused = false;
  moveTo(p, 0);
  SDL_UnlockAudioDevice(p->device);
}

void setMusicPaused(MusicPlayer* p, bool paused) {
  if (!p) return;
  SDL_LockAudioDevice(p->device);
  p->paused = paused;
  SDL_UnlockAudioDevice(p->device);
}

bool isMusicPaused(MusicPlayer* p) {
  if (!p) return false;
  SDL_LockAudioDevice(p->device);
  bool paused = p->paused;
  SDL_UnlockAudioDevice(p->device);
  return paused;
}

void setMusicPositionMs(MusicPlayer* p, uint32_t ms) {
  if (!p) return;
  int64_t frame = static_cast<int64_t>(ms) * p->decoder.sampleRate() / 1000;
  SDL_LockAudioDevice(p->device);
  moveTo(p, frame);
  SDL_UnlockAudioDevice(p->device);
}

uint32_t musicPositionMs(MusicPlayer* p) {
  if (!p) return 0;
  SDL_LockAudioDevice(p->device);
  int64_t song = songFrameAt(p, heardDeviceFrame(p));
  // Callback timing jitter can move the estimate back by a few frames; never report that.
  if (song < p->reportedSongFrame) song = p->reportedSongFrame;
  p->reportedSongFrame = song;
  SDL_UnlockAudioDevice(p->device);
  return framesToMs(p, song);
}

uint32_t musicLengthMs(MusicPlayer* p) { return p ? framesToMs(p, p->decoder.lengthFrames()) : 0; }

const float* fetchSpectrum(MusicPlayer* p) {
  if (!p) return nullptr;
  // Copy the 1024 samples that end at the heard frame under the lock; analyse outside it.
  SDL_LockAudioDevice(p->device);
  int64_t end = heardDeviceFrame(p);
  for (int n = 0; n < kSpectrumWindow; ++n) {
    int64_t frame = end - kSpectrumWindow + n;
    bool kept = frame >= 0 && frame < p->written && frame >= p->written - kHistoryFrames;
    p->window[n] = kept ? p->history[frame & (kHistoryFrames - 1)] : 0.0f;
  }
  SDL_UnlockAudioDevice(p->device);
  p->analyser.analyse(p->window, kSpectrumWindow, kSpectrumWindow, p->spectrum);
  return p->spectrum;
}

const char* musicSilentReason(MusicPlayer* p) {
  return p && !p->silentBecause.empty() ? p->silentBecause.c_str() : nullptr;
}

const DecodedMusic* musicSong(MusicPlayer* p) { return p ? &p->decoder.song() : nullptr; }

uint32_t musicUnderruns(MusicPlayer* p) {
  if (!p) return 0;
  SDL_LockAudioDevice(p->device);
  uint32_t count = p->underruns;
  SDL_UnlockAudioDevice(p->device);
  return count;
}

}  // namespace platform
