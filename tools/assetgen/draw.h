// Antialiased shapes drawn into coverage masks: segments, polylines, circles, discs and
// polygons. Coverage combines by maximum, so overlapping strokes do not double up.
#pragma once

#include <vector>

#include "image.h"

namespace assetgen {

struct Vec2 {
  float x, y;
};

void strokeSegment(Mask& m, Vec2 a, Vec2 b, float width, float strength = 1.0f);
void strokePolyline(Mask& m, const std::vector<Vec2>& pts, float width, bool closed,
                    float strength = 1.0f);
void strokeCircle(Mask& m, Vec2 c, float radius, float width, float strength = 1.0f);
void fillDisc(Mask& m, Vec2 c, float radius, float strength = 1.0f);
void fillPolygon(Mask& m, const std::vector<Vec2>& pts, float strength = 1.0f);

// Signed distance from (x, y) to a rounded rectangle centred at (cx, cy) with half sizes
// (hw, hh) and corner radius r: negative inside.
float roundedBoxDistance(float x, float y, float cx, float cy, float hw, float hh, float r);

// A blurred copy of m: the halo of a light drawn as m.
Mask glowOf(const Mask& m, int radius);

}  // namespace assetgen
