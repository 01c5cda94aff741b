// Controllers: lookup, evaluation and key editing. All arithmetic is in 32-bit floats; the
// curve formulas below are the ones the stored sync data was authored against, so their
// rounding steps (f and the squared fractions rounded to float) are deliberate.
#include "timeline/controller.h"

#include <cmath>

namespace qorFramework {

Controller* findOrCreateController(ControllerList& list, const char* name) {
  for (const auto& controller : list)
    if (controller->name == name) return controller.get();
  list.push_back(std::make_unique<Controller>());
  list.back()->name = name;
  return list.back().get();
}

// S(x) = c * c * (3 - 2c) with c = x clamped to 0..1.
static float smoothStep(float x) {
  float c = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return c * c * (3.0f - 2.0f * c);
}

// Start level C and end level D of a stretch from key a to key b.
static void shapeLevels(int32_t shape, float a, float b, float& c, float& d) {
  switch (shape) {
    case ValVal: c = a; d = b; break;
    case ValZero: c = a; d = 0.0f; break;
    case ValOne: c = a; d = 1.0f; break;
    case ZeroVal: c = 0.0f; d = b; break;
    case OneVal: c = 1.0f; d = b; break;
    case OneOne: c = 1.0f; d = 1.0f; break;
    default: c = 0.0f; d = 0.0f; break;  // ZeroZero and unknown shapes
  }
}

void evaluateController(Controller& controller, float t) {
  const std::vector<ControllerKey>& keys = controller.keys;
  if (keys.empty()) return;

  // k: the last key at or before t (all keys are scanned; -1 when every key is later).
  int k = -1;
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i].time <= t) k = static_cast<int>(i);
  if (k < 0) {
    controller.value = keys[0].value;
    return;
  }
  if (static_cast<size_t>(k) + 1 >= keys.size() || static_cast<size_t>(k) >= controller.segments.size()) {
    // The last key (or, for a damaged record, a stretch without its segment) holds its value.
    controller.value = keys[k].value;
    return;
  }

  const ControllerKey& a = keys[k];
  const ControllerKey& b = keys[k + 1];
  const SegmentMode& mode = controller.segments[k];
  float f = (t - a.time) / (b.time - a.time);
  float c, d;
  shapeLevels(mode.shape, a.value, b.value, c, d);

  switch (mode.interpolation) {
    case Linear:
      controller.value = (1.0f - f) * c + f * d;
      break;
    case Smoothstep:
      controller.value = c + smoothStep(f) * (d - c);
      break;
    case Exponential: {
      float p = static_cast<float>(std::pow(static_cast<double>(f), 2.0));
      controller.value = c + smoothStep(p) * (d - c);
      break;
    }
    case MinExponential: {
      float q = static_cast<float>(std::pow(static_cast<double>(1.0f - f), 2.0));
      controller.value = c + smoothStep(1.0f - q) * (d - c);
      break;
    }
    default:
      break;  // unknown interpolation: the value stays as it was
  }
}

void evaluateAllControllers(ControllerList& list, float t) {
  for (const auto& controller : list) evaluateController(*controller, t);
}

void addKey(Controller& controller, float time, float value) {
  std::vector<ControllerKey>& keys = controller.keys;
  const SegmentMode fresh = {Linear, ValVal};
  if (keys.empty()) {
    keys.push_back({time, value});
    return;
  }
  if (time > keys.back().time) {
    controller.segments.push_back(fresh);
    keys.push_back({time, value});
    return;
  }
  // The new key goes after every key at exactly its time; the stretch it splits keeps its
  // mode on the left part, and the right part gets the default.
  for (size_t j = 0; j < keys.size(); ++j) {
    if (keys[j].time > time) {
      keys.insert(keys.begin() + j, ControllerKey{time, value});
      size_t at = j < controller.segments.size() ? j : controller.segments.size();
      controller.segments.insert(controller.segments.begin() + at, fresh);
      return;
    }
  }
  // No key strictly later: the time equals the last key's (or is NaN), nothing is inserted.
}

void moveKey(Controller& controller, uint32_t index, float time) {
  std::vector<ControllerKey>& keys = controller.keys;
  size_t n = keys.size();
  if (index >= n) return;
  // Strict comparisons: a key never reaches or passes a neighbour.
  bool afterPrevious = index == 0 || keys[index - 1].time < time;
  bool beforeNext = index + 1 == n || time < keys[index + 1].time;
  if (afterPrevious && beforeNext) keys[index].time = time;
}

void deleteKey(Controller& controller, uint32_t index) {
  std::vector<ControllerKey>& keys = controller.keys;
  size_t n = keys.size();
  if (index >= n) return;
  keys.erase(keys.begin() + index);
  // An inner key takes the segment that ended at it, so the merged stretch keeps the mode of
  // the segment that began at the deleted key.
  size_t segment = index == 0 ? 0 : index - 1;
  if (n >= 2 && segment < controller.segments.size())
    controller.segments.erase(controller.segments.begin() + segment);
  if (keys.empty()) controller.value = 0.0f;
}

int32_t findSegment(const Controller& controller, float t) {
  const std::vector<ControllerKey>& keys = controller.keys;
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i].time >= t) return static_cast<int32_t>(i - 1);
  return -1;
}

float keyTime(const Controller& controller, uint32_t index) {
  return index < controller.keys.size() ? controller.keys[index].time : 0.0f;
}

float keyValue(const Controller& controller, uint32_t index) {
  return index < controller.keys.size() ? controller.keys[index].value : 0.0f;
}

float nextKeyTime(const Controller& controller, uint32_t index) {
  // index < size keeps index + 1 from wrapping around.
  return index < controller.keys.size() ? keyTime(controller, index + 1) : 0.0f;
}

void setKeyValue(Controller& controller, uint32_t index, float value) {
  if (index >= controller.keys.size()) return;
  if (value > 1.0f) value = 1.0f;
  if (!(value >= 0.0f)) value = 0.0f;  // below 0, and NaN
  controller.keys[index].value = value;
}

}  // namespace qorFramework
