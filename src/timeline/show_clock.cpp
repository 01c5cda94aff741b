#include "timeline/show_clock.h"

#include <algorithm>
#include <cmath>

#include "platform/system.h"

namespace qorFramework {

static uint64_t readCounter(const ShowClock& clock) {
  return clock.readCounter ? clock.readCounter() : platform::performanceCounter();
}

ShowClock::ShowClock() {
  frequency = static_cast<int64_t>(platform::performanceFrequency());
  baseCount = static_cast<int64_t>(platform::performanceCounter());
}

void setPlaySpan(ShowClock& clock, double fromSeconds, double toSeconds) {
  clock.span.fromSeconds = fromSeconds;
  clock.span.toSeconds = toSeconds;
}

void startShowClock(ShowClock& clock, uint32_t firstMs) {
  clock.startSeconds = static_cast<float>(firstMs / 1000.0);
  clock.deltaSeconds = clock.elapsedSeconds = clock.playedSeconds = 0.0f;
  clock.paused = false;
  clock.frequency = static_cast<int64_t>(platform::performanceFrequency());
  clock.baseCount = static_cast<int64_t>(readCounter(clock));
}

void sampleShowClock(ShowClock& clock) {
  clock.nowCount = static_cast<int64_t>(readCounter(clock));
  float elapsed = static_cast<float>(static_cast<double>(clock.nowCount - clock.baseCount) /
                                     static_cast<double>(clock.frequency));
  clock.deltaSeconds = elapsed - clock.elapsedSeconds;
  clock.elapsedSeconds = elapsed;
  if (!clock.paused) clock.playedSeconds += clock.deltaSeconds;
}

uint32_t beginShowPlayback(ShowClock& clock) {
  sampleShowClock(clock);
  float played = static_cast<float>(std::max(0.0, clock.span.fromSeconds - clock.startSeconds));
  clock.playedSeconds = played;
  return static_cast<uint32_t>(static_cast<double>(played) * 1000.0);
}

void stepShowClock(ShowClock& clock, double seconds, float deltaSeconds) {
  clock.playedSeconds = static_cast<float>(seconds - clock.startSeconds);
  clock.deltaSeconds = deltaSeconds;
}

uint32_t seekShowClock(ShowClock& clock, float seconds, uint32_t endMs) {
  float start = clock.startSeconds;
  float end = static_cast<float>(endMs / 1000.0);
  float played = std::max(0.0f, std::min(seconds, end) - start);
  // The clock counts whole milliseconds of a float sum, which can fall just short of the one
  // asked for (0.005 s is 4.99999 ms as a float, 27.97 s is 27969.9993 ms): a few steps of
  // one float up land on the nearest millisecond, so a seek to a key's time shows the key.
  const double wantMs = std::floor(static_cast<double>(start + played) * 1000.0 + 0.5);
  clock.playedSeconds = played;
  for (int step = 0; step < 16 && demoMilliseconds(clock) < wantMs; ++step)
    clock.playedSeconds = std::nextafter(clock.playedSeconds, HUGE_VALF);
  return static_cast<uint32_t>(static_cast<double>(clock.playedSeconds) * 1000.0);
}

bool setShowLoop(ShowClock& clock, float fromSeconds, float toSeconds) {
  float from = std::min(fromSeconds, toSeconds), to = std::max(fromSeconds, toSeconds);
  if (!(to - from >= 0.001f)) return false;
  clock.loop.on = true;
  clock.loop.fromSeconds = from;
  clock.loop.toSeconds = to;
  return true;
}

void clearShowLoop(ShowClock& clock) { clock.loop.on = false; }

bool wrapShowLoop(ShowClock& clock, uint32_t endMs, uint32_t* playedMs) {
  if (!clock.loop.on) return false;
  if (demoSeconds(clock) <= clock.loop.toSeconds) return false;
  uint32_t played = seekShowClock(clock, clock.loop.fromSeconds, endMs);
  if (playedMs) *playedMs = played;
  return true;
}

void pauseShowClock(ShowClock& clock) { clock.paused = true; }
void resumeShowClock(ShowClock& clock) { clock.paused = false; }

uint32_t demoMilliseconds(const ShowClock& clock) {
  float seconds = clock.startSeconds + clock.playedSeconds;
  return static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(seconds) * 1000.0));
}

float demoSeconds(const ShowClock& clock) { return clock.startSeconds + clock.playedSeconds; }

uint32_t playEndMs(const ShowClock& clock, uint32_t endMs) {
  if (clock.span.toSeconds < 0.0) return endMs;
  return static_cast<uint32_t>(std::min<double>(endMs, clock.span.toSeconds * 1000.0));
}

}  // namespace qorFramework
