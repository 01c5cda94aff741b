// MP3 decoding through libmpg123's replaced reader over an in-memory copy of the file.
#include "platform/music_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/system.h"

namespace platform {

namespace {

// The file's bytes and the read offset mpg123 sees through its replaced reader.
struct MemoryFile {
  std::string bytes;
  int64_t offset = 0;
};

mpg123_ssize_t readMemory(void* handle, void* buffer, size_t bytes) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  int64_t left = static_cast<int64_t>(file->bytes.size()) - file->offset;
  size_t count = left <= 0 ? 0 : (static_cast<uint64_t>(left) < bytes ? static_cast<size_t>(left) : bytes);
  if (count) memcpy(buffer, file->bytes.data() + file->offset, count);
  file->offset += static_cast<int64_t>(count);
  return static_cast<mpg123_ssize_t>(count);
}

off_t seekMemory(void* handle, off_t offset, int whence) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->offset
                                                              : static_cast<int64_t>(file->bytes.size());
  int64_t target = base + offset;
  if (target < 0) return -1;
  file->offset = target;
  return static_cast<off_t>(target);
}

void setReason(std::string* whyNot, const std::string& text) {
  if (whyNot) *whyNot = text;
}

// A handle that decodes gapless float stereo at whatever rate the file has (mono files are
// doubled to both channels), quietly; null when mpg123 cannot make one.
mpg123_handle* createHandle(std::string* whyNot) {
  int err = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &err);
  if (!handle) {
    setReason(whyNot, std::string("mpg123: ") + mpg123_plain_strerror(err));
    return nullptr;
  }
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
  mpg123_format_none(handle);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
  return handle;
}

// Appends mpg123's reads to `stereo` up to the stream's end, a decoding error, reads that make
// no progress, or frames at a rate other than `rate` (then *rateChanged is set). Samples that
// are not finite numbers (garbage decoded from a broken frame) become silence.
void decodeToEnd(mpg123_handle* handle, long rate, std::vector<float>* stereo, bool* rateChanged) {
  float scratch[2 * 4096];
  int idleReads = 0;
  for (;;) {
    size_t bytes = 0;
    int err = mpg123_read(handle, reinterpret_cast<unsigned char*>(scratch), sizeof(scratch), &bytes);
    const size_t floats = bytes / (2 * sizeof(float)) * 2;
    for (size_t i = 0; i < floats; ++i)
      if (!std::isfinite(scratch[i])) scratch[i] = 0.0f;
    stereo->insert(stereo->end(), scratch, scratch + floats);
    if (err == MPG123_DONE) return;
    if (err == MPG123_NEW_FORMAT) {
      long newRate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(handle, &newRate, &channels, &encoding);
      if (newRate != rate) {
        *rateChanged = true;
        return;
      }
    } else if (err != MPG123_OK) {
      return;
    }
    // A read that makes no progress three times in a row would spin forever on a broken stream.
    idleReads = floats ? 0 : idleReads + 1;
    if (idleReads > 2) return;
  }
}

// Opens `file` in `handle`, scans it, goes back to its start and decodes it to the end into
// `song` (whose samples are empty on entry).
bool decodeStream(mpg123_handle* handle, MemoryFile* file, const std::string& name, DecodedMusic* song,
                  std::string* whyNot) {
  std::vector<float>* stereo = &song->stereo;
  long rate = 0;
  int channels = 0, encoding = 0;
  bool ok = mpg123_replace_reader_handle(handle, readMemory, seekMemory, nullptr) == MPG123_OK &&
            mpg123_open_handle(handle, file) == MPG123_OK && mpg123_scan(handle) == MPG123_OK &&
            mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK;
  const off_t scanned = ok ? mpg123_length(handle) : 0;
  if (!ok || scanned <= 0 || rate <= 0) {
    setReason(whyNot, "\"" + name + "\" holds no decodable MPEG audio");
    return false;
  }
  // The scan's length is only a hint for the buffer (a damaged header can claim any length).
  const int64_t likelyFrames = std::min<int64_t>(scanned, 64 * static_cast<int64_t>(file->bytes.size()));
  stereo->reserve(static_cast<size_t>(2 * likelyFrames));
  // A stream of mixed sample rates once landed 1728 frames late on a seek to its start.
  bool rateChanged = false;
  if (mpg123_seek(handle, 0, SEEK_SET) == 0) decodeToEnd(handle, rate, stereo, &rateChanged);
  if (rateChanged || stereo->empty()) {
    setReason(whyNot, "\"" + name + "\" holds no decodable MPEG audio at one sample rate");
    return false;
  }
  stereo->shrink_to_fit();
  song->sampleRate = static_cast<int>(rate);
  return true;
}

}  // namespace

void MusicDecoder::close() {
  std::vector<float>().swap(song_.stereo);
  song_.sampleRate = 0;
  position_ = 0;
}

bool MusicDecoder::open(const char* path, std::string* whyNot) {
  close();  // the old song's memory goes before the new one is decoded
  return decodeMusicFile(path, &song_, whyNot);
}

uint32_t MusicDecoder::read(float* out, uint32_t frames) {
  const int64_t left = lengthFrames() - position_;
  const uint32_t count = left < frames ? static_cast<uint32_t>(left) : frames;
  if (count) memcpy(out, song_.stereo.data() + 2 * position_, count * 2 * sizeof(float));
  position_ += count;
  return count;
}

bool MusicDecoder::seek(int64_t frame) {
  if (song_.stereo.empty()) return false;
  position_ = std::clamp<int64_t>(frame, 0, lengthFrames());
  return true;
}

bool decodeMusicFile(const char* path, DecodedMusic* song, std::string* whyNot) {
  song->stereo.clear();
  song->sampleRate = 0;
  const std::string name = path ? path : "(null)";
  MemoryFile file;
  if (!path || !readWholeFile(path, &file.bytes)) {
    setReason(whyNot, "cannot read \"" + name + "\"");
    return false;
  }
  if (file.bytes.empty()) {
    setReason(whyNot, "\"" + name + "\" is empty");
    return false;
  }
  mpg123_handle* handle = createHandle(whyNot);
  if (!handle) return false;
  const bool ok = decodeStream(handle, &file, name, song, whyNot);
  mpg123_close(handle);
  mpg123_delete(handle);
  if (!ok) std::vector<float>().swap(song->stereo);
  return ok;
}

std::vector<float> mixToMono(const DecodedMusic& music) {
  std::vector<float> mono(static_cast<size_t>(music.frames()));
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (music.stereo[2 * i] + music.stereo[2 * i + 1]);
  return mono;
}

}  // namespace platform
