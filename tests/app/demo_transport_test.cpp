// The show's transport over the application record and a real music stream: what the editor's
// pause, play and seek do to the state, the clock and the music.
#include <gtest/gtest.h>

#include "app/demo_app.h"
#include "app/demo_transport.h"
#include "app/music_stream.h"
#include "platform/mp3_maker.h"
#include "support/test_support.h"

using namespace qorFramework;

namespace {

class DemoTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::writeFile("tone.mp3", mp3maker::encodeMp3(mp3maker::toneSamples({{440, 6.0, 0.5f}})));
    openMusicStream(music, "tone.mp3");
    ASSERT_NE(music.stream, nullptr);
    app.music = &music;
    app.timeline.maxEndMs = 124000;
    app.appState = kStateRunning;
  }
  void TearDown() override { closeMusicStream(music); }

  testsupport::ScratchDir scratch;
  MusicStream music;
  DemoApp app;
  DemoTransport transport{app};
};

TEST_F(DemoTransportTest, PauseHaltsTheStateTheClockAndTheMusicAndPlayResumesThem) {
  transport.setPaused(true);
  EXPECT_EQ(app.appState, kStateHalted);
  EXPECT_TRUE(transport.paused());
  EXPECT_TRUE(isStreamPaused(&music));
  const float before = app.clock.playedSeconds;
  sampleShowClock(app.clock);
  EXPECT_EQ(app.clock.playedSeconds, before) << "a paused clock does not count";
  transport.setPaused(false);
  EXPECT_EQ(app.appState, kStateRunning);
  EXPECT_FALSE(isStreamPaused(&music));
}

TEST_F(DemoTransportTest, SeeksMoveTheClockToAWholeMillisecondAndTheMusicWithItEvenWhilePaused) {
  transport.seek(4.0f);
  EXPECT_EQ(demoMilliseconds(app.clock), 4000u);
  EXPECT_NEAR(static_cast<double>(streamTimeMs(&music)), 4000.0, 50.0);
  transport.setPaused(true);
  transport.seek(3.1f + 0.5f);  // 3599.9998 ms as a float sum
  EXPECT_EQ(demoMilliseconds(app.clock), 3600u);
  EXPECT_NEAR(static_cast<double>(streamTimeMs(&music)), 3600.0, 50.0) << "seeking works while paused";
  transport.seek(500.0f);
  EXPECT_FLOAT_EQ(transport.now(), 124.0f) << "not past the end of the time line";
}

TEST_F(DemoTransportTest, PausingDoesNothingBeforeTheShowRunsOrOnceItQuits) {
  for (AppState state : {kStateLoaded, kStateQuitting}) {
    app.appState = state;
    transport.setPaused(true);
    EXPECT_EQ(app.appState, state);
    EXPECT_FALSE(isStreamPaused(&music));
  }
}

}  // namespace

namespace {

TEST_F(DemoTransportTest, ALoopTakesTheClockAndTheMusicBackToItsStart) {
  ASSERT_TRUE(transport.setLoop(5.0f, 4.0f));
  float from = 0.0f, to = 0.0f;
  ASSERT_TRUE(transport.loop(&from, &to));
  EXPECT_FLOAT_EQ(from, 4.0f) << "the ends are put in order";
  transport.seek(5.1f);
  uint32_t musicMs = 0;
  ASSERT_TRUE(wrapShowLoop(app.clock, app.timeline.maxEndMs, &musicMs));
  EXPECT_EQ(demoMilliseconds(app.clock), 4000u);
  EXPECT_EQ(musicMs, 4000u);
  EXPECT_FALSE(transport.setLoop(3.0f, 3.0f)) << "an empty loop";
  transport.clearLoop();
  transport.seek(6.0f);
  EXPECT_FALSE(wrapShowLoop(app.clock, app.timeline.maxEndMs, &musicMs));
}

}  // namespace
