// The MP3 decoder: any file is refused or opens to a stream whose every frame a read from the
// start delivers (exactly lengthFrames() of them, every sample a finite number), and seeks to a
// few places land where asked and give bit for bit the samples of that read, and of the whole
// song decoded on its own.
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
  for (int64_t i = 0; i < 2 * length; ++i) fuzz::check(std::isfinite(linear[i]), "a sample that is not a number");
  platform::DecodedMusic whole;
  fuzz::check(platform::decodeMusicFile(path.c_str(), &whole, &whyNot) && whole.frames() == length &&
                  fuzz::sameBits(whole.stereo.data(), linear.data(), 2 * length * sizeof(float)),
              "the whole song decoded on its own differs from the read from the start");

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
    fuzz::check(fuzz::sameBits(chunk, &linear[2 * target], 2 * want * sizeof(float)),
                "samples after a seek differ from the read from the start");
  }
  return 0;
}
