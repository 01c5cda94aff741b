// The show's fixed scene: which layers exist, under which names, and when each one draws.
// Depends on: the four layers, the registry and schedule.
#pragma once

#include <cstdint>

#include "app/demo_app.h"

namespace qorFramework {

// The show's last millisecond: the schedule's latest end, known before anything loads.
constexpr uint32_t kShowEndMs = 124000;

// Registers the layers in their fixed order; the post-processor renders at width x height.
void registerScene(DemoApp& app, int32_t width, int32_t height);
// Adds the five schedule entries (milliseconds, both ends inclusive).
void scheduleScene(DemoApp& app);

}  // namespace qorFramework
