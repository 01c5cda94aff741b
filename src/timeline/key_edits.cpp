#include "timeline/key_edits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "timeline/sync_text.h"

namespace qorFramework {

// A time moved by `seconds`, as a float the opposite shift takes back to `time`. A shift across a
// power of two can map two floats onto one (31.9 s and its neighbour both land on 32.4 s); the
// way back then picks the one with the shortest decimal form, which is the time the author
// typed or the text file holds, so inserting time and taking it out again changes no byte.
static float shifted(float time, double seconds) {
  const float nearest = static_cast<float>(static_cast<double>(time) + seconds);
  float best = nearest;
  size_t bestLength = SIZE_MAX;
  float candidate = nearest;
  for (int i = 0; i < 3; ++i) candidate = std::nextafter(candidate, -HUGE_VALF);
  for (int i = 0; i < 7; ++i, candidate = std::nextafter(candidate, HUGE_VALF)) {
    if (static_cast<float>(static_cast<double>(candidate) - seconds) != time) continue;
    size_t length = formatSyncFloat(candidate).size();
    if (length < bestLength) {
      best = candidate;
      bestLength = length;
    }
  }
  return best;
}

std::vector<uint32_t> sortedSelection(const Controller& controller, const std::vector<uint32_t>& selected) {
  std::vector<uint32_t> keys;
  for (uint32_t k : selected)
    if (k < controller.keys.size()) keys.push_back(k);
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

// The room a selected key has toward later (right) and earlier (left) times.
static void roomOf(const Controller& c, const std::vector<bool>& chosen, uint32_t k, double* right, double* left) {
  const double t = c.keys[k].time;
  *left = std::min(*left, t);  // never before 0
  if (k > 0 && !chosen[k - 1]) *left = std::min(*left, t - c.keys[k - 1].time - kMinKeyGap);
  if (k + 1 < c.keys.size() && !chosen[k + 1]) *right = std::min(*right, c.keys[k + 1].time - kMinKeyGap - t);
}

float allowedBlockMove(const Controller& controller, const std::vector<uint32_t>& selected, float delta) {
  std::vector<uint32_t> keys = sortedSelection(controller, selected);
  if (keys.empty() || delta == 0.0f) return 0.0f;
  std::vector<bool> chosen(controller.keys.size(), false);
  for (uint32_t k : keys) chosen[k] = true;
  double right = delta, left = -static_cast<double>(delta);
  for (uint32_t k : keys) roomOf(controller, chosen, k, &right, &left);
  if (delta > 0.0f) return static_cast<float>(std::max(0.0, right));
  return -static_cast<float>(std::max(0.0, left));
}

void moveKeysBy(Controller& controller, const std::vector<uint32_t>& selected, float delta) {
  for (uint32_t k : sortedSelection(controller, selected))
    controller.keys[k].time = shifted(controller.keys[k].time, delta);
}

void insertTime(ControllerList& list, float at, float seconds) {
  for (const auto& controller : list)
    for (ControllerKey& key : controller->keys)
      if (key.time > at) key.time = shifted(key.time, seconds);
}

bool keyInsideTime(const ControllerList& list, float at, float seconds, std::string* blocking) {
  const double end = static_cast<double>(at) + seconds;
  for (const auto& controller : list) {
    for (const ControllerKey& key : controller->keys) {
      if (!(key.time > at && key.time <= end)) continue;
      if (blocking) {
        char text[64];
        snprintf(text, sizeof(text), " at %.3f s", key.time);
        *blocking = controller->name + text;
      }
      return true;
    }
  }
  return false;
}

bool removeTime(ControllerList& list, float at, float seconds, std::string* blocking) {
  if (keyInsideTime(list, at, seconds, blocking)) return false;
  const double end = static_cast<double>(at) + seconds;
  for (const auto& controller : list)
    for (ControllerKey& key : controller->keys)
      if (key.time > end) key.time = shifted(key.time, -static_cast<double>(seconds));
  return true;
}

bool stretchAt(const Controller& controller, float t, uint32_t* index, SegmentMode* mode) {
  const std::vector<ControllerKey>& keys = controller.keys;
  for (size_t i = 0; i + 1 < keys.size(); ++i) {
    if (keys[i].time <= t && t < keys[i + 1].time) {
      if (index) *index = static_cast<uint32_t>(i);
      if (mode) *mode = i < controller.segments.size() ? controller.segments[i] : SegmentMode{Linear, ValVal};
      return true;
    }
  }
  return false;
}

}  // namespace qorFramework
