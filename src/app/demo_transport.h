// DemoTransport: the show's transport for the sync editor, over the application record: pausing
// moves the state between running (2) and halted (3) with the clock and the music; a seek moves
// the clock to a whole millisecond and the music with it.
// Depends on: the application record, the show clock, the music stream.
#pragma once

#include "timeline/transport.h"

namespace qorFramework {

struct DemoApp;

class DemoTransport : public Transport {
 public:
  explicit DemoTransport(DemoApp& app) : app_(app) {}

  bool paused() const override;
  void setPaused(bool paused) override;
  void seek(float seconds) override;
  float now() const override;
  float lengthSeconds() const override;
  double musicSeconds() const override;
  bool setLoop(float fromSeconds, float toSeconds) override;
  void clearLoop() override;
  bool loop(float* fromSeconds, float* toSeconds) const override;

 private:
  DemoApp& app_;
};

}  // namespace qorFramework
