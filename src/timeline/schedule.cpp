#include "timeline/schedule.h"

#include <cstdio>
#include <cstring>

#include "gfx/pass_profiler.h"
#include "platform/gl.h"
#include "platform/system.h"

namespace qorFramework {

void Layer_Base::update(const FrameInfo& info) {
  time = info.time;
  delta = info.delta;
}

void Layer_Base::handleMessage(uint32_t, uint32_t, uint32_t) {}

static void writeCount(size_t count) {
  char text[32];
  snprintf(text, sizeof(text), "%d\n", static_cast<int>(count));
  platform::debugOutput(text);
}

void registerLayer(LayerTimeline& timeline, const char* name, Layer_Base* layer) {
  timeline.registry.push_back({layer, name});
  platform::debugOutput("pushing ");
  platform::debugOutput(name);
  platform::debugOutput("\n");
  writeCount(timeline.registry.size());
}

Layer_Base* findLayer(const LayerTimeline& timeline, const char* name) {
  for (const LayerRegistryEntry& entry : timeline.registry)
    if (entry.name == name) return entry.layer;
  return nullptr;
}

void scheduleLayer(LayerTimeline& timeline, AppState appState, const char* name, uint32_t slot,
                   uint32_t startMs, uint32_t endMs) {
  if (appState != kStateSettingUp) return;
  Layer_Base* layer = findLayer(timeline, name);
  if (!layer || slot >= kDrawSlots) return;
  timeline.schedule.push_back({layer, slot, startMs, endMs});
  if (startMs < timeline.minStartMs) timeline.minStartMs = startMs;
  if (endMs > timeline.maxEndMs) timeline.maxEndMs = endMs;
}

static FrameInfo frameInfoFor(const ScheduleEntry& entry, uint32_t t, uint32_t d, float time,
                              float delta, const float* spectrum) {
  FrameInfo info;
  info.time = time;
  info.delta = delta;
  info.length = static_cast<float>(entry.endMs - entry.startMs) / 1000.0f;
  info.remaining = static_cast<float>(entry.endMs) / 1000.0f - time;
  info.start = static_cast<float>(entry.startMs) / 1000.0f;
  info.starting = entry.startMs >= t - d;  // unsigned, as the time line is
  info.ending = entry.endMs <= t + d;
  info.spectrum = spectrum;
  return info;
}

// The registry's name of a layer, for the pass profiler; the string lives as long as the registry.
static const char* layerName(const LayerTimeline& timeline, const Layer_Base* layer) {
  for (const LayerRegistryEntry& entry : timeline.registry)
    if (entry.layer == layer) return entry.name.c_str();
  return "layer";
}

bool drawFrame(LayerTimeline& timeline, AppState appState, uint32_t t, uint32_t d, float time,
               float delta, const float* spectrum) {
  memset(timeline.activeSlots, 0, sizeof(timeline.activeSlots));
  bool any = false;
  for (ScheduleEntry& entry : timeline.schedule) {
    if (entry.startMs <= t && t <= entry.endMs) {
      timeline.activeSlots[entry.slot] = &entry;  // a later entry on the same slot wins
      any = true;
    }
  }
  if (!any) return false;

  for (uint32_t slot = 0; slot < kDrawSlots; ++slot) {
    ScheduleEntry* entry = timeline.activeSlots[slot];
    if (!entry) continue;
    FrameInfo info = frameInfoFor(*entry, t, d, time, delta, spectrum);
    if (appState != kStateHalted) entry->layer->update(info);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    if (passProfilerEnabled()) beginPass(layerName(timeline, entry->layer));
    entry->layer->render();
    endPass();
    glPopMatrix();
  }
  return true;
}

void forwardMessage(const LayerTimeline& timeline, uint32_t message, uint32_t wParam, uint32_t lParam) {
  for (uint32_t slot = 0; slot < kDrawSlots; ++slot) {
    const ScheduleEntry* entry = timeline.activeSlots[slot];
    if (entry && entry->layer) entry->layer->handleMessage(message, wParam, lParam);
  }
}

void shutdownLayers(LayerTimeline& timeline) {
  for (LayerRegistryEntry& entry : timeline.registry) {
    writeCount(timeline.registry.size());
    if (entry.layer) {
      entry.layer->shutdown();
      delete entry.layer;
      entry.layer = nullptr;
    }
  }
  timeline.registry.clear();
  timeline.schedule.clear();
  memset(timeline.activeSlots, 0, sizeof(timeline.activeSlots));
}

}  // namespace qorFramework
