// FakeShow: a transport for editor tests, standing in for the running show. Its clock is a real
// show clock, so seeks land where the show's would; pausing moves its state between running (2)
// and halted (3) as the application's does; the music is a position the test sets, and every
// seek's music position is recorded.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/schedule.h"
#include "timeline/show_clock.h"
#include "timeline/transport.h"

namespace testsupport {

class FakeShow : public qorFramework::Transport {
 public:
  bool paused() const override { return appState == qorFramework::kStateHalted; }
  void setPaused(bool pause) override {
    if (appState != qorFramework::kStateRunning && appState != qorFramework::kStateHalted) return;
    appState = pause ? qorFramework::kStateHalted : qorFramework::kStateRunning;
  }
  void seek(float seconds) override { musicSeeks.push_back(qorFramework::seekShowClock(clock, seconds, lengthMs)); }
  float now() const override { return qorFramework::demoSeconds(clock); }
  float lengthSeconds() const override { return static_cast<float>(lengthMs / 1000.0); }
  double musicSeconds() const override { return heardSeconds; }
  bool setLoop(float from, float to) override { return qorFramework::setShowLoop(clock, from, to); }
  void clearLoop() override { qorFramework::clearShowLoop(clock); }
  bool loop(float* from, float* to) const override {
    if (!clock.loop.on) return false;
    *from = clock.loop.fromSeconds;
    *to = clock.loop.toSeconds;
    return true;
  }

  qorFramework::AppState appState = qorFramework::kStateRunning;
  qorFramework::ShowClock clock;
  uint32_t lengthMs = 124000;
  double heardSeconds = -1.0;         // where the music is heard; negative: no music
  std::vector<uint32_t> musicSeeks;   // the played milliseconds each seek sent the music to
};

}  // namespace testsupport
