#include "app/demo_transport.h"

#include "app/demo_app.h"

namespace qorFramework {

bool DemoTransport::paused() const { return app_.appState == kStateHalted; }

void DemoTransport::setPaused(bool paused) {
  if (app_.appState != kStateRunning && app_.appState != kStateHalted) return;
  pauseStream(app_.music, paused);
  app_.appState = paused ? kStateHalted : kStateRunning;
  if (paused) pauseShowClock(app_.clock);
  else resumeShowClock(app_.clock);
}

// The music's 0 is the clock's start: it goes to the played milliseconds.
void DemoTransport::seek(float seconds) {
  setStreamTime(app_.music, seekShowClock(app_.clock, seconds, app_.timeline.maxEndMs));
}

float DemoTransport::now() const { return demoSeconds(app_.clock); }

float DemoTransport::lengthSeconds() const { return static_cast<float>(app_.timeline.maxEndMs / 1000.0); }

double DemoTransport::musicSeconds() const {
  if (!app_.music || !app_.music->stream) return -1.0;
  return streamTimeMs(app_.music) / 1000.0;
}

bool DemoTransport::setLoop(float fromSeconds, float toSeconds) {
  return setShowLoop(app_.clock, fromSeconds, toSeconds);
}

void DemoTransport::clearLoop() { clearShowLoop(app_.clock); }

bool DemoTransport::loop(float* fromSeconds, float* toSeconds) const {
  const ShowLoop& loop = app_.clock.loop;
  if (!loop.on) return false;
  if (fromSeconds) *fromSeconds = loop.fromSeconds;
  if (toSeconds) *toSeconds = loop.toSeconds;
  return true;
}

}  // namespace qorFramework
