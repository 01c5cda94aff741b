// MP3 decoding through libmpg123's replaced reader over an in-memory copy of the file.
#include "platform/music_decoder.h"

#include <mpg123.h>

#include <cstring>

#include "platform/system.h"

namespace platform {

namespace {

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

}  // namespace

MusicDecoder::~MusicDecoder() { close(); }

void MusicDecoder::close() {
  if (handle_) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
    handle_ = nullptr;
  }
  file_ = MemoryFile();
  rate_ = 0;
  length_ = position_ = 0;
  rateChanged_ = false;
  measured_ = false;
  indexTrusted_ = true;
}

bool MusicDecoder::open(const char* path, std::string* whyNot, std::vector<float>* samples) {
  close();
  std::string name = path ? path : "(null)";
  if (!path || !readWholeFile(path, &file_.bytes)) {
    setReason(whyNot, "cannot read \"" + name + "\"");
    return false;
  }
  if (file_.bytes.empty()) {
    setReason(whyNot, "\"" + name + "\" is empty");
    return false;
  }
  int err = MPG123_OK;
  handle_ = mpg123_new(nullptr, &err);
  if (!handle_) {
    setReason(whyNot, std::string("mpg123: ") + mpg123_plain_strerror(err));
    close();
    return false;
  }
  // Gapless trimming and ten frames of decoder warm-up before a seek target make seeks land on
  // exactly the samples a full decode gives; fuzzy seeking would guess positions instead.
  mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
  mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0);
  mpg123_param(handle_, MPG123_PREFRAMES, 10, 0);
  // Float stereo at whatever rate the file has (mono files are doubled to both channels).
  mpg123_format_none(handle_);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(handle_, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);

  long rate = 0;
  int channels = 0, encoding = 0;
  bool ok = mpg123_replace_reader_handle(handle_, readMemory, seekMemory, nullptr) == MPG123_OK &&
            mpg123_open_handle(handle_, &file_) == MPG123_OK && mpg123_scan(handle_) == MPG123_OK &&
            mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK;
  off_t length = ok ? mpg123_length(handle_) : 0;
  if (!ok || length <= 0 || rate <= 0) {
    setReason(whyNot, "\"" + name + "\" holds no decodable MPEG audio");
    close();
    return false;
  }
  rate_ = static_cast<int>(rate);
  length_ = static_cast<int64_t>(length);
  // The scan's length and mpg123's seek table are believed only when a decode from the start
  // agrees: a stream that changes its sample rate is refused, the length becomes what a decode
  // from the start reads, and the start must be reachable by a seek.
  if (samples) samples->clear();
  if (!seek(0) || !measureLength(samples)) {
    setReason(whyNot, "\"" + name + "\" holds no decodable MPEG audio at one sample rate");
    close();
    return false;
  }
  return true;
}

bool MusicDecoder::measureLength(std::vector<float>* samples) {
  float scratch[2 * 4096];
  int64_t frames = 0;
  uint32_t got;
  do {
    got = read(scratch, 4096);
    frames += got;
    if (samples) samples->insert(samples->end(), scratch, scratch + 2 * got);
  } while (got == 4096 && !rateChanged_);
  if (rateChanged_ || frames <= 0) return false;
  length_ = frames;
  measured_ = true;
  // After the whole decode mpg123 knows whether its positions held and whether the stream is
  // stitched from several files; where either is in doubt, seeks decode from the start.
  long accurate = 1, stitched = 0;
  double unused = 0;
  mpg123_getstate(handle_, MPG123_ACCURATE, &accurate, &unused);
  mpg123_getstate(handle_, MPG123_FRANKENSTEIN, &stitched, &unused);
  indexTrusted_ = accurate == 1 && stitched == 0;
  return seek(0);
}

uint32_t MusicDecoder::read(float* out, uint32_t frames) {
  if (!handle_) return 0;
  // Past the measured end mpg123 may still decode: after a seek near the end of a damaged
  // stream it goes on through frames a decode from the start stopped at. The song ends where
  // the measure said.
  if (measured_) {
    const int64_t left = length_ > position_ ? length_ - position_ : 0;
    if (frames > left) frames = static_cast<uint32_t>(left);
  }
  uint32_t framesRead = decode(out, frames);
  // Short of the measured end, the stream broke where a decode from the start did not (a
  // damaged stream after a seek): from now on positions are reached from the start.
  if (measured_ && framesRead < frames) {
    indexTrusted_ = false;
    if (decodeFromStartTo(position_)) framesRead += decode(out + 2 * framesRead, frames - framesRead);
  }
  return framesRead;
}

uint32_t MusicDecoder::decode(float* out, uint32_t frames) {
  const size_t frameBytes = 2 * sizeof(float);
  unsigned char* dest = reinterpret_cast<unsigned char*>(out);
  size_t wanted = static_cast<size_t>(frames) * frameBytes, got = 0;
  int idleReads = 0;
  while (got < wanted) {
    size_t done = 0;
    int err = mpg123_read(handle_, dest + got, wanted - got, &done);
    got += done;
    if (err == MPG123_DONE) break;
    if (err == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(handle_, &rate, &channels, &encoding);
      if (rate != rate_) {
        rateChanged_ = true;
        break;
      }
    } else if (err != MPG123_OK) {
      break;
    }
    // A read that makes no progress twice in a row would spin forever on a broken stream.
    idleReads = done ? 0 : idleReads + 1;
    if (idleReads > 2) break;
  }
  uint32_t framesRead = static_cast<uint32_t>(got / frameBytes);
  position_ += framesRead;
  return framesRead;
}

bool MusicDecoder::seek(int64_t frame) {
  if (!handle_) return false;
  if (frame < 0) frame = 0;
  if (frame > length_) frame = length_;
  // The end needs no decoder: reads stop at the measured length anyway, and in a damaged
  // stream mpg123's own idea of its end can lie past it (a seek there landed at 3 x the length).
  if (measured_ && frame == length_) {
    position_ = length_;
    return true;
  }
  if (!indexTrusted_) return decodeFromStartTo(frame);
  off_t at = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
  if (at >= 0) position_ = static_cast<int64_t>(at);
  if (at >= 0 && position_ == frame) return true;
  // mpg123's frame index can be wrong in a damaged stream (a seek to 1536 landed at 768): once
  // the song is measured, decoding from the start is the one way that is sure to get there.
  return measured_ && decodeFromStartTo(frame);
}

bool MusicDecoder::decodeFromStartTo(int64_t frame) {
  // Opened again exactly as open() did before measuring: in a damaged stream even a seek to 0
  // can leave mpg123 decoding something else than that first decode did.
  mpg123_close(handle_);
  file_.offset = 0;
  if (mpg123_open_handle(handle_, &file_) != MPG123_OK || mpg123_scan(handle_) != MPG123_OK) return false;
  off_t at = mpg123_seek(handle_, 0, SEEK_SET);
  if (at < 0) return false;
  position_ = static_cast<int64_t>(at);
  if (position_ != 0) return false;
  float scratch[2 * 1024];
  while (position_ < frame) {
    const uint32_t wanted = frame - position_ < 1024 ? static_cast<uint32_t>(frame - position_) : 1024;
    if (decode(scratch, wanted) != wanted) return false;
  }
  return true;
}

bool decodeMusicFile(const char* path, DecodedMusic* out, std::string* whyNot) {
  // Opening decodes the whole song once to measure it; those samples are the result.
  MusicDecoder decoder;
  if (!decoder.open(path, whyNot, &out->stereo)) {
    out->stereo.clear();
    return false;
  }
  out->sampleRate = decoder.sampleRate();
  return true;
}

std::vector<float> mixToMono(const DecodedMusic& music) {
  std::vector<float> mono(static_cast<size_t>(music.frames()));
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (music.stereo[2 * i] + music.stereo[2 * i + 1]);
  return mono;
}

}  // namespace platform
