// MP3 decoding with libmpg123 from a file held in memory: interleaved stereo 32-bit floats at
// the file's own sample rate, gapless (encoder delay and padding removed), and seeks exact to
// the sample (what follows a seek matches a decode from the start to within rounding in a
// clean file; in a damaged one mpg123 may decode the frames near a broken one a little
// differently after a seek).
// Open scans the file and then decodes it once from the start: the length is what that decode
// reads, and a file that changes its sample rate or cannot seek back to its start is refused.
// The whole file is read at open, so reading and seeking never touch the disk (the music
// player decodes inside the audio callback).
// Depends on libmpg123 and platform::openFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct mpg123_handle_struct;

namespace platform {

// The file's bytes and the read offset mpg123 sees through its replaced reader.
struct MemoryFile {
  std::string bytes;
  int64_t offset = 0;
};

class MusicDecoder {
 public:
  MusicDecoder() = default;
  ~MusicDecoder();
  MusicDecoder(const MusicDecoder&) = delete;
  MusicDecoder& operator=(const MusicDecoder&) = delete;

  // Reads the file (demo path) into memory, scans and measures it. False with a reason when the
  // file is missing, empty, holds no decodable MPEG audio, changes its sample rate or cannot be
  // positioned at its start. With `samples`, the measuring decode's interleaved stereo frames are
  // kept there, so a caller that wants the whole song decodes it once.
  bool open(const char* path, std::string* whyNot, std::vector<float>* samples = nullptr);
  void close();

  // Decodes up to `frames` stereo frames (2 floats each) into `out`; returns the frames
  // written. Fewer than asked only at the end of the song (never past lengthFrames()) or on a
  // decoding error.
  // Allocates nothing and reads only memory.
  uint32_t read(float* out, uint32_t frames);
  // Moves to a song frame (clamped to the length); the next read starts exactly there. Where
  // mpg123's positions cannot be trusted (a stream it finds stitched together or inexact at
  // open, a seek that lands elsewhere, a read after a seek that falls short) the song is
  // reopened and decoded from its start up to the frame instead, for that seek and every later
  // one: that takes as long as the decode (and lets mpg123 allocate). False when neither gets there
  // (positionFrames() then says where reading goes on).
  bool seek(int64_t frame);

  int sampleRate() const { return rate_; }
  int64_t lengthFrames() const { return length_; }
  int64_t positionFrames() const { return position_; }

 private:
  // Reads from the start to the end: the length, or false (stream of mixed rates, or empty).
  // Appends the frames read to `samples` when given.
  bool measureLength(std::vector<float>* samples);
  // mpg123's reads into `out` up to `frames`, moving the position; stops at the stream's end,
  // a decoding error or a change of sample rate.
  uint32_t decode(float* out, uint32_t frames);
  // Reopens the stream as open() did and decodes and drops frames up to `frame`; false when the
  // decode ends first.
  bool decodeFromStartTo(int64_t frame);

  mpg123_handle_struct* handle_ = nullptr;
  MemoryFile file_;
  int rate_ = 0;
  int64_t length_ = 0;
  int64_t position_ = 0;
  bool rateChanged_ = false;  // a read met frames at another sample rate and stopped there
  bool measured_ = false;     // length_ is what a decode from the start read: reads stop there
  // False for a stream mpg123 finds stitched together or inexact, or once a read after a seek
  // fell short: seeks then decode from the start.
  bool indexTrusted_ = true;
};

// The whole song decoded at once, for the offline capture mode.
struct DecodedMusic {
  std::vector<float> stereo;  // interleaved left, right
  int sampleRate = 0;
  int64_t frames() const { return static_cast<int64_t>(stereo.size() / 2); }
};

bool decodeMusicFile(const char* path, DecodedMusic* out, std::string* whyNot);

// (left + right) / 2 per frame: the signal the spectrum looks at.
std::vector<float> mixToMono(const DecodedMusic& music);

}  // namespace platform
