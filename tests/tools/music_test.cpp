// Checks the generated music track in the build's resources folder the way the program and a
// listener meet it: it decodes (libmpg123, as the music stream does) to 124 s of 44.1 kHz stereo
// at a constant 192 kbit/s, nothing is silent before the final fade, the last second is, the
// sections differ as the show needs, nothing clips, and a rerun writes the same bytes.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

constexpr int kRate = 44100;

std::string buildDir() {
  const char* dir = std::getenv("DOVRIX_BUILD_DIR");
  return dir ? dir : ".";
}
std::string trackPath() { return buildDir() + "/resources/flash.mp3"; }

struct Decoded {
  long rate = 0;
  int channels = 0;
  off_t length = 0;             // frames, from a full scan
  mpg123_frameinfo info = {};   // of the first audio frame
  std::vector<float> samples;   // interleaved left, right
  size_t frames() const { return samples.size() / 2; }
};

Decoded decode(const std::string& path) {
  Decoded d;
  mpg123_init();
  int error = 0;
  mpg123_handle* h = mpg123_new(nullptr, &error);
  if (!h) return d;
  mpg123_param(h, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0);
  mpg123_format_none(h);
  mpg123_format(h, kRate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
  if (mpg123_open(h, path.c_str()) == MPG123_OK) {
    mpg123_scan(h);
    d.length = mpg123_length(h);
    int encoding = 0;
    mpg123_getformat(h, &d.rate, &d.channels, &encoding);
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
      size_t done = 0;
      int r = mpg123_read(h, buffer.data(), buffer.size(), &done);
      const float* f = reinterpret_cast<const float*>(buffer.data());
      d.samples.insert(d.samples.end(), f, f + done / sizeof(float));
      if (r != MPG123_OK && r != MPG123_NEW_FORMAT) break;
    }
    mpg123_info(h, &d.info);
    mpg123_close(h);
  }
  mpg123_delete(h);
  return d;
}

// Root mean square over both channels of the frames in [from, to) seconds.
double rms(const Decoded& d, double from, double to) {
  size_t a = static_cast<size_t>(from * kRate);
  size_t b = std::min(d.frames(), static_cast<size_t>(to * kRate));
  if (b <= a) return 0.0;
  double sum = 0.0;
  for (size_t i = 2 * a; i < 2 * b; ++i) sum += double(d.samples[i]) * d.samples[i];
  return std::sqrt(sum / double(2 * (b - a)));
}

// RMS of the mono sum below about 120 Hz (two one-pole low-passes): kick and bass.
double lowRms(const Decoded& d, double from, double to) {
  const double k = 1.0 - std::exp(-2.0 * M_PI * 120.0 / kRate);
  size_t a = static_cast<size_t>(from * kRate);
  size_t b = std::min(d.frames(), static_cast<size_t>(to * kRate));
  double s1 = 0.0, s2 = 0.0, sum = 0.0;
  for (size_t i = a; i < b; ++i) {
    double mono = 0.5 * (d.samples[2 * i] + d.samples[2 * i + 1]);
    s1 += k * (mono - s1);
    s2 += k * (s1 - s2);
    sum += s2 * s2;
  }
  return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

class MusicTrack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { track = new Decoded(decode(trackPath())); }
  static void TearDownTestSuite() {
    delete track;
    track = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(track->samples.empty())
        << trackPath() << " missing or undecodable (build the resources target first)";
  }
  static Decoded* track;
};
Decoded* MusicTrack::track = nullptr;

TEST_F(MusicTrack, Decodes124SecondsOf44kHzStereoAtConstant192kbit) {
  EXPECT_EQ(track->rate, kRate);
  EXPECT_EQ(track->channels, 2);
  EXPECT_NEAR(double(track->length) / kRate, 124.0, 0.1);
  EXPECT_NEAR(double(track->frames()) / kRate, 124.0, 0.1);
  EXPECT_EQ(track->info.bitrate, 192);
  EXPECT_EQ(track->info.vbr, MPG123_CBR);
}

TEST_F(MusicTrack, PlaysUntilTheFadeAndEndsInSilence) {
  // Every 2-second window up to 122 s, and the last stretch of the fade, is clearly audible
  // (above -40 dBFS); the final second is silent.
  for (int start = 0; start <= 120; start += 2)
    EXPECT_GT(rms(*track, start, start + 2), 0.01) << "quiet window at " << start << " s";
  EXPECT_GT(rms(*track, 121, 123), 0.01);
  EXPECT_LT(rms(*track, 123, 124), 0.001);
}

TEST_F(MusicTrack, SectionsFollowTheShow) {
  double intro = rms(*track, 2, 26), climax = rms(*track, 104, 116);
  double breakdown = rms(*track, 84, 96);
  EXPECT_LT(intro, climax);
  EXPECT_LT(breakdown, climax);
  EXPECT_LT(rms(*track, 0, 4), rms(*track, 20, 26)) << "the intro swells";
  // The beat (kick and bass) starts at 28 s, drops out for the breakdown, returns at 104 s.
  double introLow = lowRms(*track, 4, 27), beatLow = lowRms(*track, 29, 55);
  EXPECT_GT(beatLow, 3.0 * introLow);
  EXPECT_GT(lowRms(*track, 105, 115), 3.0 * lowRms(*track, 85, 95));
}

TEST_F(MusicTrack, StaysBelowFullScaleAndIsWide) {
  float peak = 0.0f;
  double mid = 0.0, side = 0.0;
  for (size_t i = 0; i < track->frames(); ++i) {
    float l = track->samples[2 * i], r = track->samples[2 * i + 1];
    peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
    mid += double(l + r) * (l + r);
    side += double(l - r) * (l - r);
  }
  EXPECT_LT(peak, 0.99f) << "the master clips";
  EXPECT_GT(peak, 0.5f) << "the master is far too quiet";
  EXPECT_GT(side / mid, 0.02) << "the track is (nearly) mono";
}

TEST(MusicGenerator, ASecondRunWritesTheSameBytes) {
  std::string first = testsupport::readFile(trackPath());
  ASSERT_FALSE(first.empty()) << trackPath();
  testsupport::ScratchDir scratch;
  std::string cmd = buildDir() + "/assetgen --only music " + scratch.file("out") + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  EXPECT_TRUE(testsupport::readFile(scratch.file("out/flash.mp3")) == first);
}

}  // namespace
