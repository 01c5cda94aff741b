// Capture mode: renders the show offline, one frame for each demo time from, from + 1/fps, ...
// up to the end, through exactly the main loop's evaluation and drawing, with the spectrum taken
// from the decoded music at each frame's time. Frames go to DIR/frame_NNNNNN.png (8-bit RGB,
// top row first) or, with a video file, through ffmpeg together with the music.
// Depends on: the main loop's frame drawing, the music decoder and spectrum, ffmpeg for video.
#pragma once

#include "app/command_line.h"
#include "app/demo_app.h"

namespace qorFramework {

// Runs when the record is loaded (state 1), like the main loop, and shuts the layers down after.
// False when the output could not be written (a WARNING says why).
bool runCapture(DemoApp& app, platform::Window* window, const CommandLine& line);

}  // namespace qorFramework
