// The show clock on a counter the test drives: what live samples, pauses, the first frame,
// captured frames and the play span do to the demo time.
#include "timeline/show_clock.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/system.h"

using namespace qorFramework;

namespace {

uint64_t fakeNow = 0;
uint64_t fakeCounter() { return fakeNow; }
void advanceMs(double ms) { fakeNow += static_cast<uint64_t>(ms * platform::performanceFrequency() / 1000.0); }

class ShowClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakeNow = 1000000;
    clock.readCounter = fakeCounter;
    startShowClock(clock, 0);
  }
  ShowClock clock;
};

TEST_F(ShowClockTest, LiveSamplesAddTheWallTimeExceptWhilePaused) {
  advanceMs(250);
  sampleShowClock(clock);
  EXPECT_EQ(demoMilliseconds(clock), 250u);
  EXPECT_NEAR(clock.deltaSeconds, 0.25f, 1e-6f);
  pauseShowClock(clock);
  advanceMs(1000);
  sampleShowClock(clock);
  EXPECT_EQ(demoMilliseconds(clock), 250u) << "a paused clock stands";
  EXPECT_NEAR(clock.elapsedSeconds, 1.25f, 1e-6f) << "the wall time still counts";
  resumeShowClock(clock);
  advanceMs(100);
  sampleShowClock(clock);
  EXPECT_EQ(demoMilliseconds(clock), 350u);
}

TEST_F(ShowClockTest, TheFirstFrameStartsAtTheSpanAndTheTimeSpentLoadingIsNotPlayed) {
  setPlaySpan(clock, 84.0, 104.0);
  advanceMs(3000);  // the time before the first frame
  EXPECT_EQ(beginShowPlayback(clock), 84000u) << "the music starts where the clock does";
  EXPECT_EQ(demoMilliseconds(clock), 84000u);
  advanceMs(20);
  sampleShowClock(clock);
  // Played seconds are a float sum: 84 s + 20 ms may read 84019.99 ms.
  EXPECT_NEAR(demoMilliseconds(clock), 84020.0, 1.0);
  EXPECT_EQ(playEndMs(clock, 124000), 104000u);
  setPlaySpan(clock, 0.0, 200.0);
  EXPECT_EQ(playEndMs(clock, 124000), 124000u) << "never past the time line";
}

TEST_F(ShowClockTest, CapturedFramesStandExactlyAtTheirTimeAfterALateStart) {
  startShowClock(clock, 2000);  // the first layer starts at 2 s
  stepShowClock(clock, 10.5, 1.0f / 60.0f);
  EXPECT_EQ(demoMilliseconds(clock), 10500u);
  EXPECT_FLOAT_EQ(demoSeconds(clock), 10.5f);
  EXPECT_FLOAT_EQ(clock.deltaSeconds, 1.0f / 60.0f);
}

TEST_F(ShowClockTest, SeeksLandOnTheNearestMillisecondInsideTheTimeLine) {
  for (float target : {3.6f, 27.97f, 0.005f, 1.505f}) {
    uint32_t musicMs = seekShowClock(clock, target, 124000);
    const uint32_t wanted = static_cast<uint32_t>(std::lround(target * 1000.0));
    EXPECT_EQ(demoMilliseconds(clock), wanted) << target;
    EXPECT_EQ(musicMs, wanted) << "the music follows the clock";
  }
  seekShowClock(clock, -5.0f, 124000);
  EXPECT_EQ(demoMilliseconds(clock), 0u);
  seekShowClock(clock, 500.0f, 124000);
  EXPECT_EQ(demoMilliseconds(clock), 124000u);
}

}  // namespace
