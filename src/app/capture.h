// Capture mode: renders the show offline, one frame for each demo time from, from + 1/fps, ...
// up to the end, through exactly the main loop's evaluation and drawing, with the spectrum taken
// from the decoded music at each frame's time. Frames go to DIR/frame_NNNNNN.png (8-bit RGB,
// top row first) or, with a video file, through ffmpeg together with the music. Progress goes to
// standard error: one line rewritten in place on a terminal, plain lines otherwise.
// Depends on: the main loop's frame drawing, the music decoder and spectrum, the video encoder.
#pragma once

#include <string>

#include "app/command_line.h"
#include "app/demo_app.h"

namespace qorFramework {

// Runs when the record is loaded (state 1), like the main loop, and shuts the layers down after.
// False when the output could not be written (WARNINGs say why); a capture stopped early with
// Escape or the close box keeps what it wrote and counts as done.
bool runCapture(DemoApp& app, platform::Window* window, const CommandLine& line);

// "1 min 20 s", "35 s", "2 h 5 min": a duration rounded to the second, for people.
std::string formatDuration(double seconds);
// "frame 120 of 240 (50 %), 1 min 20 s left": `done` frames of `total` written in
// `spentSeconds` of wall time; what is left is estimated from the mean frame time so far.
std::string formatCaptureProgress(int done, int total, double spentSeconds);

}  // namespace qorFramework
