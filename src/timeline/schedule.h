// The layer registry (owning, by name) and the schedule (which layer draws when, in which
// slot), with the per-frame selection into 128 draw slots.
// Owns: the registered layers. Depends on: layer.h, the debugger output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "timeline/layer.h"

namespace qorFramework {

constexpr uint32_t kDrawSlots = 128;

struct LayerRegistryEntry {
  Layer_Base* layer;  // owned
  std::string name;
};

struct ScheduleEntry {
  Layer_Base* layer;  // not owned
  uint32_t slot;      // 0..127, draw order
  uint32_t startMs;   // inclusive
  uint32_t endMs;     // inclusive
};

struct LayerTimeline {
  std::vector<LayerRegistryEntry> registry;
  std::vector<ScheduleEntry> schedule;
  ScheduleEntry* activeSlots[kDrawSlots] = {};
  uint32_t minStartMs = 0xFFFFFFFFu;
  uint32_t maxEndMs = 0;
};

// The application states that the schedule obeys (the app record holds the state).
constexpr int32_t kStateSettingUp = 0;
constexpr int32_t kStateLoaded = 1;
constexpr int32_t kStateRunning = 2;
constexpr int32_t kStateHalted = 3;
constexpr int32_t kStateQuitting = 4;

// Appends (taking ownership) and writes "pushing NAME\n" and the entry count to the debugger output.
void registerLayer(LayerTimeline& timeline, const char* name, Layer_Base* layer);
Layer_Base* findLayer(const LayerTimeline& timeline, const char* name);
// Only while appState is 0; unknown names and slots of 128 or more are skipped silently.
void scheduleLayer(LayerTimeline& timeline, int32_t appState, const char* name, uint32_t slot,
                   uint32_t startMs, uint32_t endMs);
// Fills activeSlots for t (ms) and updates and renders the active layers in slot order, each on
// reset matrices. update is skipped while appState is 3. False when no entry was active.
bool drawFrame(LayerTimeline& timeline, int32_t appState, uint32_t t, uint32_t d, float time,
               float delta, const float* spectrum);
// handleMessage of every layer in activeSlots, ascending slot order.
void forwardMessage(const LayerTimeline& timeline, uint32_t message, uint32_t wParam, uint32_t lParam);
// For each entry in registration order: writes the entry count, calls shutdown, deletes the
// layer; then empties the registry and the schedule.
void shutdownLayers(LayerTimeline& timeline);

}  // namespace qorFramework
