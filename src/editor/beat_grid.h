// BeatGrid: the music's tempo as the editor sees it (beats a minute, the time of beat 0 and
// four beats to a bar), the grid lines drawn behind the curve, and snapping a time to the grid.
// Depends on OpenGL for the drawing only.
#pragma once

#include <cstdint>

namespace qorFramework {

struct BeatGrid {
  double beatsPerMinute = 120.0;
  double offsetSeconds = 0.0;  // time of beat 0
  int beatsPerBar = 4;

  double beatSeconds() const { return 60.0 / beatsPerMinute; }
  double barSeconds() const { return beatSeconds() * beatsPerBar; }
};

// The grid line nearest to t (seconds) for a grid of unitBeats beats (0.25 a quarter beat,
// 4 a bar), never below 0.
float snapToGrid(const BeatGrid& grid, float t, double unitBeats);

// Draws faint beat lines and stronger bar lines from y0 to y1 over the visible window
// [startSeconds, endSeconds) in the current overlay projection. Beats are left out when they
// would fall closer than minPixels apart on a viewport viewportPixels wide, and bars are then
// thinned to every 2nd, 4th, ... bar by the same rule. Returns the number of lines drawn.
int drawBeatGrid(const BeatGrid& grid, double startSeconds, double endSeconds, float y0, float y1,
                 int viewportPixels, float minPixels = 6.0f);

}  // namespace qorFramework
