// MP3 decoding with libmpg123: interleaved stereo 32-bit floats at the file's own sample rate,
// gapless (encoder delay and padding removed).
// Open reads the file, scans it and decodes it once from the start, and keeps that decode:
// the length is what it read, reads copy from it and seeks only move the position, so every
// read of a song frame gives the same samples however it was reached (in a damaged stream
// mpg123's output for a broken frame depends on what it decoded before, and its seek index can
// point at other frames; a kept decode has neither problem). A file that changes its sample
// rate or cannot be positioned at its start is refused. The cost is memory: 8 bytes a frame,
// 44 MB for two minutes at 44.1 kHz.
// Reading and seeking allocate nothing and touch neither the disk nor mpg123 (the music player
// reads inside the audio callback).
// Depends on libmpg123 and platform::readWholeFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A whole song decoded at once.
struct DecodedMusic {
  std::vector<float> stereo;  // interleaved left, right
  int sampleRate = 0;
  int64_t frames() const { return static_cast<int64_t>(stereo.size() / 2); }
};

class MusicDecoder {
 public:
  // Reads the file (demo path) and decodes it. False with a reason when the file is missing,
  // empty, holds no decodable MPEG audio, changes its sample rate or cannot be positioned at
  // its start.
  bool open(const char* path, std::string* whyNot);
  void close();

  // Copies up to `frames` stereo frames (2 floats each) into `out` from the position on;
  // returns the frames written, fewer than asked only at the end of the song.
  uint32_t read(float* out, uint32_t frames);
  // Moves to a song frame, clamped to [0, lengthFrames()]; the next read starts exactly there.
  // False only when nothing is open.
  bool seek(int64_t frame);

  int sampleRate() const { return song_.sampleRate; }
  int64_t lengthFrames() const { return song_.frames(); }
  int64_t positionFrames() const { return position_; }
  // The whole song; empty when nothing is open. It does not change until close or open.
  const DecodedMusic& song() const { return song_; }

 private:
  DecodedMusic song_;
  int64_t position_ = 0;
};

// Reads and decodes the file as MusicDecoder::open does; on failure `song` is left empty and
// `whyNot` (may be null) says why.
bool decodeMusicFile(const char* path, DecodedMusic* song, std::string* whyNot);

// (left + right) / 2 per frame: the signal the spectrum looks at.
std::vector<float> mixToMono(const DecodedMusic& music);

}  // namespace platform
