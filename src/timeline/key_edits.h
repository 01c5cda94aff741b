// Edits of many keys at once, as an author makes them: moving a block of keys in time without
// reordering the curve, inserting and removing time across every controller, and the stretch
// a time falls in. Times are seconds; every edit keeps a controller's keys in strict time order
// and moves keys together with the modes of their stretches.
// Depends on: the controllers.
#pragma once

#include <string>
#include <vector>

#include "timeline/controller.h"

namespace qorFramework {

// The closest a moved block comes to an unselected neighbour: one millisecond, the clock's step.
constexpr float kMinKeyGap = 0.001f;

// The selection as sorted, distinct indices of existing keys.
std::vector<uint32_t> sortedSelection(const Controller& controller, const std::vector<uint32_t>& selected);

// How far the selected keys may move toward `delta` seconds (same sign, never further): every
// selected key stays at or after 0 and at least kMinKeyGap from each unselected neighbour.
// 0 when they cannot move that way at all.
float allowedBlockMove(const Controller& controller, const std::vector<uint32_t>& selected, float delta);
// Moves the selected keys by `delta` seconds (call with an allowed move): their order, and so
// the modes of their stretches, stay as they are.
void moveKeysBy(Controller& controller, const std::vector<uint32_t>& selected, float delta);

// Every key later than `at` moves `seconds` later, in every controller.
void insertTime(ControllerList& list, float at, float seconds);
// A key lies in (at, at + seconds]: taking that time out would delete it. `blocking` then names
// the first such key's controller and time, e.g. "Earth: Rotation at 10.250 s".
bool keyInsideTime(const ControllerList& list, float at, float seconds, std::string* blocking);
// Takes `seconds` of time out after `at`: keys later than at + seconds move that much earlier.
// Refused (false, nothing changed) when keyInsideTime.
bool removeTime(ControllerList& list, float at, float seconds, std::string* blocking);

// The stretch `t` falls in (keys[i].time <= t < keys[i + 1].time) and its mode; false when t is
// before the first key or at or after the last (no stretch holds it).
bool stretchAt(const Controller& controller, float t, uint32_t* index, SegmentMode* mode);

}  // namespace qorFramework
