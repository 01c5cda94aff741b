// The MP3 decoder: any file is refused or opens to a stream whose every frame a read from the
// start delivers (exactly lengthFrames() of them), and seeks to a few places land where asked
// and give the same samples as that read. "The same" allows what a seek changes in mpg123:
// its filters start from other rounding residues than on the way from the start (2^-26 in
// clean files), and in damaged files the frames around a broken one decode a little
// differently after a seek (up to 2^-13 seen in damaged 22 kHz files). A difference above
// -60 dB of full scale would be heard; every sample must be a finite number. The exact match
// on clean files is the decoder's unit test.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cmath>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/music_decoder.h"

namespace {

const float kSameSample = 1.0f / 1024;  // -60 dB of full scale

std::string scratchFile() {
  static std::string name;
  if (name.empty()) {
    name = fuzz::scratchFolder("dovrix-mp3-fuzz") + "/song.mp3";
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = scratchFile();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) fuzz::fail("cannot write the song");
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);

  platform::MusicDecoder decoder;
  std::string whyNot;
  if (!decoder.open(path.c_str(), &whyNot)) {
    fuzz::check(!whyNot.empty(), "a refusal without a reason");
    return 0;
  }
  const int64_t length = decoder.lengthFrames();
  fuzz::check(length > 0 && decoder.positionFrames() == 0, "an open stream not at its start");
  std::vector<float> linear(static_cast<size_t>(2 * length + 2));
  uint32_t got = decoder.read(linear.data(), static_cast<uint32_t>(length + 1));
  fuzz::check(got == length, "a read from the start does not give the length");
  fuzz::check(decoder.positionFrames() == length, "the position after the last frame is off");

  // Seek targets: the start, the end, the middle, and two taken from the input's first bytes.
  uint32_t picked[2] = {0, 0};
  std::memcpy(picked, data, size < sizeof(picked) ? size : sizeof(picked));
  const int64_t targets[] = {length / 2, 0, int64_t(picked[0] % (length + 1)),
                             int64_t(picked[1] % (length + 1)), length};
  float chunk[2 * 256];
  for (int64_t target : targets) {
    fuzz::check(decoder.seek(target), "a seek within the song failed");
    fuzz::check(decoder.positionFrames() == target, "a seek landed elsewhere");
    uint32_t want = length - target < 256 ? static_cast<uint32_t>(length - target) : 256;
    fuzz::check(decoder.read(chunk, 256) == want, "a read after a seek is short");
    for (uint32_t i = 0; i < 2 * want; ++i) {
      fuzz::check(std::isfinite(chunk[i]), "a sample that is not a number");
      fuzz::check(std::fabs(chunk[i] - linear[2 * target + i]) <= kSameSample,
                  "samples after a seek differ from the read from the start");
    }
  }
  return 0;
}
