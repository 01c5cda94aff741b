#include "app/music_stream.h"

#include <string>

#include "platform/trace.h"
#include "platform/music_player.h"

namespace qorFramework {

void openMusicStream(MusicStream& music, const char* fileName) {
  std::string why;
  music.spectrum = nullptr;
  music.stream = platform::openMusic(fileName, &why);
  music.spectrumEnabled = music.stream != nullptr;
  if (!music.stream) trace(TRACE_WARNING, "music", "no music, the demo runs silently: %s", why.c_str());
  else if (const char* silent = platform::musicSilentReason(music.stream))
    trace(TRACE_WARNING, "music", "no sound device (%s); the music is silent, the show keeps its time", silent);
}

static platform::MusicPlayer* streamOf(MusicStream* music) { return music ? music->stream : nullptr; }

void setStreamTime(MusicStream* music, uint32_t milliseconds) {
  if (streamOf(music)) platform::setMusicPositionMs(music->stream, milliseconds);
}

bool isStreamPaused(MusicStream* music) {
  return streamOf(music) && platform::isMusicPaused(music->stream);
}

void resumeStream(MusicStream* music) {
  if (streamOf(music)) platform::setMusicPaused(music->stream, false);
}

void playStream(MusicStream* music) {
  if (streamOf(music)) platform::playMusic(music->stream);
}

void pauseStream(MusicStream* music, bool paused) {
  if (streamOf(music)) platform::setMusicPaused(music->stream, paused);
}

uint32_t streamTimeMs(MusicStream* music) {
  return streamOf(music) ? platform::musicPositionMs(music->stream) : 0;
}

const float* fetchStreamSpectrum(MusicStream* music) {
  return streamOf(music) ? platform::fetchSpectrum(music->stream) : nullptr;
}

const platform::DecodedMusic* streamSong(MusicStream* music) {
  return streamOf(music) ? platform::musicSong(music->stream) : nullptr;
}

void stopStream(MusicStream* music) {
  if (streamOf(music)) platform::stopMusic(music->stream);
}

void closeMusicStream(MusicStream& music) {
  if (!music.stream) return;
  uint32_t underruns = platform::musicUnderruns(music.stream);
  if (underruns > 0) trace(TRACE_WARNING, "music", "playback ran dry %u times", underruns);
  platform::closeMusic(music.stream);
  music.stream = nullptr;
  music.spectrum = nullptr;
  music.spectrumEnabled = false;
}

}  // namespace qorFramework
