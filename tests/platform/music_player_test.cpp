// The music stream on SDL's dummy audio driver (real time, no sound card), on MP3 files the
// tests encode themselves: two seconds of a tone at bin 40 for the first second and bin 100
// for the second, so what is being heard after a seek can be told from the spectrum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "mp3_maker.h"
#include "platform/music_decoder.h"
#include "platform/music_player.h"
#include "platform/music_spectrum.h"
#include "platform/system.h"
#include "support/test_support.h"

namespace {

using namespace platform;

constexpr double kBinHz = 44100.0 / 1024.0;
constexpr int kFirstBin = 40, kSecondBin = 100;
constexpr int64_t kSongFrames = 2 * mp3maker::kRate;

const std::string& twoToneMp3() {
  static const std::string bytes = mp3maker::encodeMp3(
      mp3maker::toneSamples({{kFirstBin * kBinHz, 1.0, 0.5f}, {kSecondBin * kBinHz, 1.0, 0.5f}}));
  return bytes;
}

int peakBin(const float* bins) { return static_cast<int>(std::max_element(bins, bins + kSpectrumBins) - bins); }

float loudest(const float* bins) { return *std::max_element(bins, bins + kSpectrumBins); }

// ---- Spectrum -------------------------------------------------------------------------------

std::vector<float> sine(double bin, float amplitude, size_t frames) {
  std::vector<float> s(frames);
  for (size_t i = 0; i < frames; ++i) s[i] = amplitude * static_cast<float>(std::sin(2 * 3.14159265358979 * bin * i / 1024));
  return s;
}

TEST(MusicSpectrum, FullScaleSineReadsOneInItsBin) {
  SpectrumAnalyser analyser;
  std::vector<float> s = sine(64, 1.0f, 4096);
  float bins[kSpectrumBins];
  analyser.analyse(s.data(), 4096, 3000, bins);
  EXPECT_EQ(peakBin(bins), 64);
  EXPECT_NEAR(bins[64], 1.0f, 0.01f);
  EXPECT_NEAR(bins[63], 0.5f, 0.01f);  // the Hann window's two neighbours
  EXPECT_LT(bins[61], 0.01f);
  EXPECT_LT(bins[200], 0.01f);
}

TEST(MusicSpectrum, SineBetweenBinsReadsNearItsAmplitude) {
  SpectrumAnalyser analyser;
  std::vector<float> s = sine(40.5, 0.5f, 2048);
  float bins[kSpectrumBins];
  analyser.analyse(s.data(), 2048, 2048, bins);
  EXPECT_TRUE(peakBin(bins) == 40 || peakBin(bins) == 41);
  EXPECT_GT(loudest(bins), 0.40f);
  EXPECT_LE(loudest(bins), 0.5f);
}

TEST(MusicSpectrum, SamplesOutsideTheBufferCountAsSilence) {
  SpectrumAnalyser analyser;
  std::vector<float> s = sine(64, 1.0f, 1024);
  float bins[kSpectrumBins];
  analyser.analyse(s.data(), 1024, 512, bins);  // half before the start: half the energy
  EXPECT_EQ(peakBin(bins), 64);
  EXPECT_LT(bins[64], 0.75f);
  analyser.analyse(s.data(), 1024, 5000, bins);  // entirely past the end
  EXPECT_EQ(loudest(bins), 0.0f);
  analyser.analyse(s.data(), 1024, -10, bins);
  EXPECT_EQ(loudest(bins), 0.0f);
}

// Polls the position until `done` holds for it or `timeoutMs` pass; returns the last reading.
// Outcomes the audio thread must bring about are waited for this way, so a loaded machine that
// runs the callback late makes a test slower, not wrong.
template <typename Done>
uint32_t waitForMusicPosition(MusicPlayer* player, Done done, uint32_t timeoutMs = 3000) {
  uint64_t end = performanceCounter() + static_cast<uint64_t>(timeoutMs) * performanceFrequency() / 1000;
  uint32_t now = musicPositionMs(player);
  while (!done(now) && performanceCounter() < end) {
    sleepMs(2);
    now = musicPositionMs(player);
  }
  return now;
}

// ---- Decoder --------------------------------------------------------------------------------

class MusicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(twoToneMp3().empty());
    testsupport::writeFile(dir_.file("tone.mp3"), twoToneMp3());
  }
  testsupport::ScratchDir dir_;
};

using MusicDecoderTest = MusicFileTest;

TEST_F(MusicDecoderTest, GaplessLengthAndToneContent) {
  DecodedMusic music;
  std::string why;
  ASSERT_TRUE(decodeMusicFile("tone.mp3", &music, &why)) << why;
  EXPECT_EQ(music.sampleRate, 44100);
  EXPECT_EQ(music.frames(), kSongFrames);
  std::vector<float> mono = mixToMono(music);
  SpectrumAnalyser analyser;
  float bins[kSpectrumBins];
  analyser.analyse(mono.data(), music.frames(), 30000, bins);
  EXPECT_EQ(peakBin(bins), kFirstBin);
  EXPECT_NEAR(bins[kFirstBin], 0.5f, 0.03f);
  analyser.analyse(mono.data(), music.frames(), 70000, bins);
  EXPECT_EQ(peakBin(bins), kSecondBin);
  EXPECT_NEAR(bins[kSecondBin], 0.5f, 0.03f);
}

TEST_F(MusicDecoderTest, SeekGivesTheSamplesOfAFullDecode) {
  DecodedMusic music;
  ASSERT_TRUE(decodeMusicFile("tone.mp3", &music, nullptr));
  MusicDecoder decoder;
  ASSERT_TRUE(decoder.open("tone.mp3", nullptr));
  std::vector<float> chunk(2 * 3000);
  for (int64_t target : {int64_t(44100 + 577), int64_t(12345), int64_t(0), int64_t(1152 * 7 + 1), int64_t(80001)}) {
    ASSERT_TRUE(decoder.seek(target));
    EXPECT_EQ(decoder.positionFrames(), target);
    ASSERT_EQ(decoder.read(chunk.data(), 3000), 3000u);
    bool same = std::equal(chunk.begin(), chunk.end(), music.stereo.begin() + 2 * target);
    EXPECT_TRUE(same) << "seek to frame " << target;
  }
  // Reading across the end returns only what is left.
  ASSERT_TRUE(decoder.seek(kSongFrames - 100));
  EXPECT_EQ(decoder.read(chunk.data(), 3000), 100u);
  EXPECT_EQ(decoder.read(chunk.data(), 3000), 0u);
}

// Frames at two sample rates once opened 1728 frames late with a length that could not be read.
TEST_F(MusicDecoderTest, MixedSampleRatesAreRefused) {
  std::vector<float> tone = mp3maker::toneSamples({{440.0, 0.3, 0.5f}});
  testsupport::writeFile(dir_.file("mixed.mp3"),
                         mp3maker::encodeMp3(tone) + mp3maker::encodeMp3(tone, 32000));
  MusicDecoder decoder;
  std::string why;
  EXPECT_FALSE(decoder.open("mixed.mp3", &why));
  EXPECT_NE(why.find("mixed.mp3"), std::string::npos) << why;
  EXPECT_EQ(decoder.lengthFrames(), 0);
}

// Damaged streams the fuzzer found, where mpg123's output for a broken frame depends on what it
// decoded before and its seek index points at other frames: whatever way a frame is reached, it
// holds the samples of the whole song's decode.
TEST(MusicDecoderDamaged, EveryFrameHoldsTheSameSamplesHoweverReached) {
  const char* source = std::getenv("DOVRIX_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string folder = std::string(source) + "/tests/fuzz/corpus/mp3/";
  for (const char* name : {"seek-right-count-other-samples.mp3", "stitched-seek-wrong-frame.mp3",
                           "seek-zero-decodes-elsewhere.mp3", "seek-index-lands-early.mp3"}) {
    DecodedMusic whole;
    std::string why;
    ASSERT_TRUE(decodeMusicFile((folder + name).c_str(), &whole, &why)) << name << ": " << why;
    MusicDecoder decoder;
    ASSERT_TRUE(decoder.open((folder + name).c_str(), &why)) << name << ": " << why;
    ASSERT_EQ(decoder.lengthFrames(), whole.frames()) << name;
    const int64_t length = whole.frames();
    std::vector<float> chunk(2 * 512);
    for (int64_t target : {length - 1, length / 2, int64_t(0), length / 3, length}) {
      ASSERT_TRUE(decoder.seek(target));
      ASSERT_EQ(decoder.positionFrames(), target);
      const uint32_t got = decoder.read(chunk.data(), 512);
      ASSERT_EQ(got, std::min<int64_t>(512, length - target)) << name << " at " << target;
      EXPECT_TRUE(std::equal(chunk.begin(), chunk.begin() + 2 * got, whole.stereo.begin() + 2 * target))
          << name << " at " << target;
    }
  }
}

// ---- Player ---------------------------------------------------------------------------------

class MusicPlayerTest : public MusicFileTest {
 protected:
  void SetUp() override {
    MusicFileTest::SetUp();
    std::string why;
    player_ = openMusic("tone.mp3", &why);
    ASSERT_NE(player_, nullptr) << why;
  }
  void TearDown() override { closeMusic(player_); }

  // Polls the position for `ms`, failing if it ever goes backwards; returns the last reading.
  uint32_t watchPosition(uint32_t ms, uint32_t from) {
    uint32_t last = from;
    uint64_t end = performanceCounter() + static_cast<uint64_t>(ms) * performanceFrequency() / 1000;
    while (performanceCounter() < end) {
      uint32_t now = musicPositionMs(player_);
      EXPECT_GE(now, last);
      last = now;
      sleepMs(2);
    }
    return last;
  }

  template <typename Done>
  uint32_t waitForPosition(Done done) {
    return waitForMusicPosition(player_, done);
  }
  // Waits until the position stops moving (the audio written before a pause or the end has been
  // heard): two readings 60 ms apart agree.
  uint32_t waitForStill() {
    uint32_t previous = musicPositionMs(player_);
    for (int tries = 0; tries < 50; ++tries) {
      sleepMs(60);
      uint32_t now = musicPositionMs(player_);
      if (now == previous) return now;
      previous = now;
    }
    ADD_FAILURE() << "the position never stopped moving";
    return previous;
  }
  static double msSince(uint64_t start) {
    return (performanceCounter() - start) * 1000.0 / performanceFrequency();
  }

  MusicPlayer* player_ = nullptr;
};

TEST_F(MusicPlayerTest, OpensSilentAtZeroUntilPlayed) {
  EXPECT_EQ(musicLengthMs(player_), 2000u);
  EXPECT_FALSE(isMusicPaused(player_));
  sleepMs(100);
  EXPECT_EQ(musicPositionMs(player_), 0u);
  const float* bins = fetchSpectrum(player_);
  ASSERT_NE(bins, nullptr);
  EXPECT_EQ(loudest(bins), 0.0f);
}

TEST_F(MusicPlayerTest, PositionFollowsTheClockAndHoldsWhilePaused) {
  uint64_t start = performanceCounter();
  playMusic(player_);
  sleepMs(300);
  double elapsedMs = (performanceCounter() - start) * 1000.0 / performanceFrequency();
  uint32_t playing = musicPositionMs(player_);
  // Behind the clock by the device buffer (about 23 ms) and callback timing, never ahead.
  EXPECT_LE(playing, elapsedMs + 5);
  EXPECT_GE(playing, elapsedMs - 150);
  EXPECT_EQ(peakBin(fetchSpectrum(player_)), kFirstBin);

  setMusicPaused(player_, true);
  EXPECT_TRUE(isMusicPaused(player_));
  uint32_t held = waitForStill();  // the buffer written before the pause drains
  EXPECT_GE(held, playing);
  sleepMs(200);
  EXPECT_EQ(musicPositionMs(player_), held);
  EXPECT_LT(loudest(fetchSpectrum(player_)), 0.001f);

  setMusicPaused(player_, false);
  EXPECT_FALSE(isMusicPaused(player_));
  uint32_t resumed = waitForPosition([&](uint32_t ms) { return ms > held + 100; });
  EXPECT_GT(resumed, held + 100);
  EXPECT_EQ(musicUnderruns(player_), 0u);
}

TEST_F(MusicPlayerTest, SeekJumpsAtOnceAndPlaysFromThere) {
  playMusic(player_);
  sleepMs(100);
  setMusicPositionMs(player_, 1500);
  uint32_t at = musicPositionMs(player_);
  EXPECT_EQ(at, 1500u);
  uint32_t later = watchPosition(150, at);
  if (later <= 1550u) later = waitForPosition([](uint32_t ms) { return ms > 1550u; });
  EXPECT_GT(later, 1550u);
  const float* bins = fetchSpectrum(player_);
  EXPECT_EQ(peakBin(bins), kSecondBin);
  EXPECT_NEAR(bins[kSecondBin], 0.5f, 0.05f);

  // Backwards: the position reads the target at once and never shows the old stretch again.
  uint64_t seekedAt = performanceCounter();
  setMusicPositionMs(player_, 300);
  EXPECT_EQ(musicPositionMs(player_), 300u);
  later = watchPosition(150, 300);
  if (later <= 350u) later = waitForPosition([](uint32_t ms) { return ms > 350u; });
  EXPECT_GT(later, 350u);
  EXPECT_LE(later, 300 + msSince(seekedAt) + 5);  // never ahead of the clock since the seek
  EXPECT_EQ(peakBin(fetchSpectrum(player_)), kFirstBin);
}

TEST_F(MusicPlayerTest, SeekWhilePausedStaysPaused) {
  playMusic(player_);
  setMusicPaused(player_, true);
  setMusicPositionMs(player_, 1200);
  sleepMs(100);
  EXPECT_EQ(musicPositionMs(player_), 1200u);
  setMusicPaused(player_, false);
  EXPECT_GT(waitForPosition([](uint32_t ms) { return ms > 1250u; }), 1250u);
  EXPECT_EQ(peakBin(fetchSpectrum(player_)), kSecondBin);
}

TEST_F(MusicPlayerTest, PlaysToTheEndAndHoldsThere) {
  setMusicPositionMs(player_, 1900);
  playMusic(player_);
  EXPECT_EQ(waitForPosition([](uint32_t ms) { return ms >= 2000u; }), 2000u);
  EXPECT_EQ(waitForStill(), 2000u);
  EXPECT_EQ(musicUnderruns(player_), 0u);
  EXPECT_LT(loudest(fetchSpectrum(player_)), 0.001f);
  // Positions past the end are clamped to it.
  setMusicPositionMs(player_, 999999);
  EXPECT_EQ(musicPositionMs(player_), 2000u);
}

TEST_F(MusicPlayerTest, StopRewindsAndSilences) {
  playMusic(player_);
  sleepMs(150);
  stopMusic(player_);
  EXPECT_EQ(musicPositionMs(player_), 0u);
  sleepMs(100);
  EXPECT_EQ(musicPositionMs(player_), 0u);
  EXPECT_LT(loudest(fetchSpectrum(player_)), 0.001f);
  playMusic(player_);
  EXPECT_GT(waitForPosition([](uint32_t ms) { return ms > 50u; }), 50u);
}

TEST_F(MusicFileTest, UnusableFilesGiveNoStream) {
  std::string why;
  EXPECT_EQ(openMusic("missing.mp3", &why), nullptr);
  EXPECT_NE(why.find("missing.mp3"), std::string::npos) << why;

  std::string text;
  for (int i = 0; i < 500; ++i) text += "this is not an mp3 file at all. ";
  testsupport::writeFile(dir_.file("garbage.mp3"), text);
  why.clear();
  EXPECT_EQ(openMusic("garbage.mp3", &why), nullptr);
  EXPECT_NE(why.find("garbage.mp3"), std::string::npos) << why;

  testsupport::writeFile(dir_.file("empty.mp3"), "");
  why.clear();
  EXPECT_EQ(openMusic("empty.mp3", nullptr), nullptr);

  // The first half of a song still plays; the decoder ends where the data ends.
  testsupport::writeFile(dir_.file("cut.mp3"), twoToneMp3().substr(0, twoToneMp3().size() / 2));
  MusicPlayer* cut = openMusic("cut.mp3", &why);
  ASSERT_NE(cut, nullptr) << why;
  EXPECT_LT(musicLengthMs(cut), 2000u);
  EXPECT_GT(musicLengthMs(cut), 800u);
  closeMusic(cut);
}

TEST_F(MusicFileTest, UnusableDriverFallsBackToDummy) {
  const char* saved = getenv("SDL_AUDIODRIVER");
  std::string previous = saved ? saved : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::string why;
  MusicPlayer* player = openMusic("tone.mp3", &why);
  if (saved) setenv("SDL_AUDIODRIVER", previous.c_str(), 1); else unsetenv("SDL_AUDIODRIVER");
  ASSERT_NE(player, nullptr) << why;
  playMusic(player);
  EXPECT_GT(waitForMusicPosition(player, [](uint32_t ms) { return ms > 50u; }), 50u);
  closeMusic(player);
}

TEST(MusicPlayerNull, NullPlayerIsIgnored) {
  playMusic(nullptr);
  setMusicPaused(nullptr, true);
  setMusicPositionMs(nullptr, 10);
  stopMusic(nullptr);
  EXPECT_EQ(musicPositionMs(nullptr), 0u);
  EXPECT_EQ(fetchSpectrum(nullptr), nullptr);
  closeMusic(nullptr);
}

}  // namespace
