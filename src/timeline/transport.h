// Transport: what the sync editor may do to the playing show: pause and resume it, seek, and read
// where it is. The application implements it over its clock, its music and its state; tests use
// a fake. Every call is made on the main thread between frames.
// Depends on nothing.
#pragma once

#include <cstdint>

namespace qorFramework {

class Transport {
 public:
  virtual ~Transport() = default;

  // The show is paused by the editor: the clock stands, the music is silent, the controllers and
  // layers hold their last frame.
  virtual bool paused() const = 0;
  // Pauses or resumes the show and its music. Does nothing before the show runs or once it quits.
  virtual void setPaused(bool paused) = 0;
  // Moves the show to `seconds`, clamped to the time line and landing on a whole millisecond;
  // the music follows.
  virtual void seek(float seconds) = 0;
  // The demo time shown, in seconds.
  virtual float now() const = 0;
  // The time line's last millisecond, in seconds.
  virtual float lengthSeconds() const = 0;
  // Where the heard music is, in seconds of the show; negative when no music plays.
  virtual double musicSeconds() const = 0;
  // Loops playback over [fromSeconds, toSeconds], the music with it; false (nothing changed) for
  // a loop shorter than a millisecond. clearLoop plays on past the loop's end.
  virtual bool setLoop(float fromSeconds, float toSeconds) = 0;
  virtual void clearLoop() = 0;
  // The loop, when one is on.
  virtual bool loop(float* fromSeconds, float* toSeconds) const = 0;
};

}  // namespace qorFramework
