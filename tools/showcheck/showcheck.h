// The show-check figures: what a viewer notices in a captured show, frame by frame.
// All figures are fractions in 0..1 over 8-bit RGB pixels, top row first.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace showcheck {

// The goals a capture is measured against. Durations in seconds of show time.
struct Goals {
  double darkLuma = 0.05;        // a frame below this mean luma counts as dark
  double stillChange = 0.002;    // below this change per 1/30 s a frame counts as still
  double clippedShare = 0.05;    // more than this share of clipped pixels breaks the goal
  double longest = 2.0;          // dark or still stretches may last this long
  double exemptFrom = 118.0;     // the closing fade: nothing is checked from here on
};

struct Frame {
  double seconds = 0;
  double luma = 0;     // mean Rec. 709 luma
  double clipped = 0;  // share of pixels with a channel at 255 that are not near white
  double change = 0;   // mean absolute luma change from the previous frame, per 1/30 s
  bool whiteFlash = false;  // the show's fade to white is on: its clipped pixels are the flash's
};

struct Stretch {
  std::string what;  // "dark", "still" or "clipped"
  double from = 0, to = 0;
};

// Mean luma and clipped share of one frame; rgb holds width * height * 3 bytes.
void measurePixels(const uint8_t* rgb, int width, int height, Frame& frame);

// Mean absolute luma difference of two frames of the same size (not yet scaled per 1/30 s).
double lumaChange(const uint8_t* a, const uint8_t* b, int pixels);

// The stretches that break the goals, in time order. Frames must be in time order, one every
// 1/fps seconds; a dark or still stretch spans from its first frame to one frame past its last.
std::vector<Stretch> findStretches(const std::vector<Frame>& frames, double fps, const Goals& goals);

}  // namespace showcheck
