// Controllers: named float tracks of keyframes. Every animated value of the demo is one.
// Owns: the controller records (through the ControllerList). Depends on nothing else.
// Layers look their controllers up once in init and read `value` each frame; the main loop
// evaluates every controller at the demo time before the layers draw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qorFramework {

enum Interpolation : int32_t { Linear = 1, Smoothstep = 2, Exponential = 3, MinExponential = 4 };

// Where a stretch starts (C) and ends (D): a key's value, 0 or 1.
enum Shape : int32_t {
  ValVal = 1, ValZero = 2, ValOne = 3, ZeroVal = 4, OneVal = 5, OneOne = 6, ZeroZero = 7
};

struct ControllerKey {
  float time;   // seconds
  float value;
};

struct SegmentMode {
  int32_t interpolation;  // Interpolation; other values leave the controller's value unchanged
  int32_t shape;          // Shape; other values use C = D = 0
};

struct Controller {
  std::string name;  // "Owner: parameter", unique in its list
  float value = 0.0f;
  std::vector<ControllerKey> keys;      // sorted by time
  std::vector<SegmentMode> segments;    // segments[i] shapes keys[i] .. keys[i+1]
};

// Owning list in creation order; controllers are never removed while the program runs, so
// pointers handed out stay valid.
using ControllerList = std::vector<std::unique_ptr<Controller>>;

// Linear search by exact name; appends a new controller (value 0, no keys) when missing.
Controller* findOrCreateController(ControllerList& list, const char* name);

void evaluateController(Controller& controller, float t);
void evaluateAllControllers(ControllerList& list, float t);

void addKey(Controller& controller, float time, float value);
void moveKey(Controller& controller, uint32_t index, float time);
void deleteKey(Controller& controller, uint32_t index);
// Index of the segment whose right key is the first key at or after t; -1 when none.
int32_t findSegment(const Controller& controller, float t);
float keyTime(const Controller& controller, uint32_t index);
float keyValue(const Controller& controller, uint32_t index);
float nextKeyTime(const Controller& controller, uint32_t index);
// Stores value clamped to 0..1; an index out of range changes nothing.
void setKeyValue(Controller& controller, uint32_t index, float value);

}  // namespace qorFramework
