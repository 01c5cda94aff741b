// The layer contract: one effect of the demo, initialised once, then updated and rendered in
// every frame in which the schedule (schedule.h) makes it active.
// Layers get the frame's time through update(); they never read a clock.
#pragma once

#include <cstdint>

#include "timeline/controller.h"

namespace qorFramework {

class GL_TextureManager;

// Built afresh for every active schedule slot each frame.
struct FrameInfo {
  float time;       // demo seconds
  float delta;      // previous frame's duration, seconds
  float length;     // (endMs - startMs) / 1000 of the schedule entry
  float remaining;  // endMs / 1000 - time
  float start;      // startMs / 1000
  bool starting;    // the entry became active within the last frame
  bool ending;      // the entry will be past its end at the next frame of equal length
  const float* spectrum;  // 512 magnitudes of the music being heard, or null
};

class Layer_Base {
 public:
  virtual ~Layer_Base() = default;
  // One-time set-up with the GL context current; false means the demo cannot start.
  virtual bool init(GL_TextureManager* textureManager, ControllerList* controllers) = 0;
  // Stores the frame's time and delta.
  virtual void update(const FrameInfo& info);
  virtual void render() = 0;
  virtual void handleMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
  // Called once at exit, with the GL context still current, right before the layer is deleted:
  // the place where a layer releases the GL objects it created.
  virtual void shutdown() = 0;

  float time = 0.0f;
  float delta = 0.0f;
};

}  // namespace qorFramework
