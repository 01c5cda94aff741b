// ShowClock: the show's one clock, and the only code that writes it. Demo time is a start (the
// time line's first millisecond) plus the seconds played, counted from the platform's
// performance counter while playing live, or set frame by frame while capturing. The calls:
// start before the first frame, sample once per live iteration, step to each captured frame's
// time, seek (landing on a whole millisecond), pause and resume.
// Depends on: the platform's performance counter.
#pragma once

#include <cstdint>

namespace qorFramework {

// The part of the show that plays, in demo seconds: from `fromSeconds` (the music is seeked
// there with the clock) until `toSeconds` (negative: the time line's end).
struct PlaySpan {
  double fromSeconds = 0.0;
  double toSeconds = -1.0;
};

// A stretch the editor rehearses: when the clock passes `toSeconds` it goes back to `fromSeconds`.
struct ShowLoop {
  bool on = false;
  float fromSeconds = 0.0f;
  float toSeconds = 0.0f;
};

struct ShowClock {
  ShowClock();  // frequency and base sampled once, as a clock that started now

  float startSeconds = 0.0f;   // the time line's first millisecond / 1000
  int64_t frequency = 0;       // counter ticks per second
  int64_t baseCount = 0;       // counter value at which the clock started
  int64_t nowCount = 0;        // latest sample
  float elapsedSeconds = 0.0f;  // wall seconds since the start, at the latest sample
  float playedSeconds = 0.0f;   // demo seconds accumulated while not paused
  float deltaSeconds = 0.0f;    // elapsed of the latest sample minus that of the previous one
  bool paused = false;          // samples do not add to playedSeconds while paused
  PlaySpan span;
  ShowLoop loop;
  // The counter read by every sample; the platform's performance counter unless a test drives
  // time itself.
  uint64_t (*readCounter)() = nullptr;
};

// The part of the show to play (seconds; a negative `toSeconds`: to the time line's end).
void setPlaySpan(ShowClock& clock, double fromSeconds, double toSeconds);
// Before the first frame: startSeconds from the time line's first millisecond, nothing played,
// not paused, the base taken from the counter now.
void startShowClock(ShowClock& clock, uint32_t firstMs);
// One live sample: elapsed time since the base, the delta to the previous sample, and the
// played time unless paused.
void sampleShowClock(ShowClock& clock);
// The first drawn frame: a sample takes up the time spent before it, then the clock stands at
// the span's start. Returns the played milliseconds, where the music starts.
uint32_t beginShowPlayback(ShowClock& clock);
// A captured frame: the clock stands at `seconds` of the show, `deltaSeconds` after the last.
void stepShowClock(ShowClock& clock, double seconds, float deltaSeconds);
// Moves the clock to `seconds`, clamped to the time line (its first second .. `endMs`), landing
// on the nearest whole millisecond. Returns the played milliseconds, where the music goes.
uint32_t seekShowClock(ShowClock& clock, float seconds, uint32_t endMs);
// Loops the clock over [fromSeconds, toSeconds] (ordered; a loop shorter than a millisecond is
// refused with false); clearShowLoop ends looping.
bool setShowLoop(ShowClock& clock, float fromSeconds, float toSeconds);
void clearShowLoop(ShowClock& clock);
// After a sample: when the loop is on and the clock has passed its end, the clock goes back to
// its start (on a whole millisecond) and *playedMs says where the music goes. False otherwise.
bool wrapShowLoop(ShowClock& clock, uint32_t endMs, uint32_t* playedMs);
void pauseShowClock(ShowClock& clock);
void resumeShowClock(ShowClock& clock);

// Demo time in whole milliseconds: (startSeconds + playedSeconds) x 1000, truncated, low 32 bits.
uint32_t demoMilliseconds(const ShowClock& clock);
// Demo time in seconds, as layers and the editor see it: startSeconds + playedSeconds.
float demoSeconds(const ShowClock& clock);
// The last millisecond to play: the span's end, never past the time line's `endMs`.
uint32_t playEndMs(const ShowClock& clock, uint32_t endMs);

}  // namespace qorFramework
