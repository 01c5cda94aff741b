// Checks the generated music track in the build's resources folder the way the program and a
// listener meet it: it decodes (libmpg123, as the music stream does) to 124 s of 44.1 kHz stereo
// at a constant 192 kbit/s, nothing is silent before the final fade, the last second is, the
// sections differ as the show needs, nothing clips, it is mastered to a streaming loudness with
// true-peak headroom and a balance that is neither boomy nor dull, the climax sounds new against
// the first drive, and a rerun writes the same bytes.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/music_spectrum.h"
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

// Mean power spectrum of the mono mix over each 2-second bar (120 beats a minute, four beats
// a bar): the squared SpectrumAnalyser bins of consecutive 1024-sample windows.
using Spectrum = std::vector<double>;
std::vector<Spectrum> barSpectra(const Decoded& d) {
  std::vector<float> mono(d.frames());
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (d.samples[2 * i] + d.samples[2 * i + 1]);
  const size_t barFrames = 2 * kRate;
  std::vector<Spectrum> bars(mono.size() / barFrames, Spectrum(platform::kSpectrumBins, 0.0));
  platform::SpectrumAnalyser analyser;
  float bins[platform::kSpectrumBins];
  for (size_t end = platform::kSpectrumWindow; end <= bars.size() * barFrames; end += platform::kSpectrumWindow) {
    analyser.analyse(mono.data(), int64_t(mono.size()), int64_t(end), bins);
    Spectrum& bar = bars[(end - 1) / barFrames];
    for (int k = 0; k < platform::kSpectrumBins; ++k) bar[k] += double(bins[k]) * bins[k];
  }
  return bars;
}

// Share of the energy of all bars in [lowHz, highHz).
double bandShare(const std::vector<Spectrum>& bars, double lowHz, double highHz) {
  double band = 0.0, total = 0.0;
  for (const Spectrum& bar : bars)
    for (int k = 1; k < platform::kSpectrumBins; ++k) {
      double hz = double(k) * kRate / platform::kSpectrumWindow;
      total += bar[k];
      if (hz >= lowHz && hz < highHz) band += bar[k];
    }
  return total > 0 ? band / total : 0.0;
}

// Cosine similarity of two bars' amplitude spectra: 1 for the same sound, lower as the
// instruments or their balance differ.
double similarity(const Spectrum& a, const Spectrum& b) {
  double ab = 0.0, aa = 0.0, bb = 0.0;
  for (size_t k = 1; k < a.size(); ++k) {
    ab += std::sqrt(a[k] * b[k]);
    aa += a[k];
    bb += b[k];
  }
  return ab / std::sqrt(aa * bb);
}

// Mean similarity of `count` bars from bar `a` on to the bars from `b` on, pair by pair.
double meanSimilarity(const std::vector<Spectrum>& bars, int a, int b, int count) {
  double sum = 0.0;
  for (int k = 0; k < count; ++k) sum += similarity(bars[a + k], bars[b + k]);
  return sum / count;
}

// Integrated loudness (LUFS) and true peak (dBTP) by ffmpeg's EBU R128 meter, from its summary.
bool measureLoudness(const std::string& path, double& lufs, double& truePeak) {
  std::string cmd = "ffmpeg -hide_banner -nostats -i '" + path + "' -af ebur128=peak=true -f null - 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return false;
  bool haveLoudness = false, havePeak = false;
  char line[512];
  while (std::fgets(line, sizeof(line), pipe)) {
    double v = 0.0;
    if (std::sscanf(line, " I: %lf LUFS", &v) == 1) lufs = v, haveLoudness = true;
    if (std::sscanf(line, " Peak: %lf dBFS", &v) == 1) truePeak = v, havePeak = true;
  }
  return pclose(pipe) == 0 && haveLoudness && havePeak;
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

TEST_F(MusicTrack, MasteredToStreamingLoudnessWithTruePeakHeadroom) {
  double lufs = 0.0, truePeak = 0.0;
  ASSERT_TRUE(measureLoudness(trackPath(), lufs, truePeak)) << "ffmpeg's ebur128 meter failed";
  EXPECT_NEAR(lufs, -14.0, 1.0) << "integrated loudness";
  EXPECT_LT(truePeak, -1.0) << "true peak (dBTP): decoders and resamplers would clip";
}

TEST_F(MusicTrack, BalanceIsNeitherBoomyNorDull) {
  std::vector<Spectrum> bars = barSpectra(*track);
  ASSERT_GE(bars.size(), 60u);
  EXPECT_LE(bandShare(bars, 0, 150), 0.35) << "kick and bass swamp the mix";
  EXPECT_GE(bandShare(bars, 2500, 6000), 0.06) << "no presence: the lead and drums are dull";
}

TEST_F(MusicTrack, ClimaxBringsANewTextureAgainstTheFirstDrive) {
  // Bars 52..59 (104 to 120 s) against the bars at the same place in the chord cycle in both
  // halves of the first drive (from 28 s and from 56 s, bars 14 and 28).
  std::vector<Spectrum> bars = barSpectra(*track);
  ASSERT_GE(bars.size(), 60u);
  double climax = 0.5 * (meanSimilarity(bars, 52, 14, 8) + meanSimilarity(bars, 52, 28, 8));
  EXPECT_LT(climax, 0.9) << "the climax repeats the first drive";
  // The measure does see a repeat: the first drive's second cycle against its first.
  EXPECT_GT(meanSimilarity(bars, 18, 14, 4), 0.9);
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
