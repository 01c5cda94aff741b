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

// The application's states, which the schedule obeys (the app record holds the state). The
// numbers are the states' own: traces and tests name them.
enum AppState : int32_t {
  kStateSettingUp = 0,  // layers registered and scheduled; only now does the schedule take entries
  kStateLoaded = 1,     // every layer's init succeeded
  kStateRunning = 2,    // the show plays
  kStateHalted = 3,     // the editor paused it: layers are drawn, not updated
  kStateQuitting = 4,
};

// Appends (taking ownership) and writes "pushing NAME\n" and the entry count to the debugger output.
void registerLayer(LayerTimeline& timeline, const char* name, Layer_Base* layer);
Layer_Base* findLayer(const LayerTimeline& timeline, const char* name);
// Only while appState is 0; unknown names and slots of 128 or more are skipped silently.
void scheduleLayer(LayerTimeline& timeline, AppState appState, const char* name, uint32_t slot,
                   uint32_t startMs, uint32_t endMs);
// Fills activeSlots for t (ms) and updates and renders the active layers in slot order, each on
// reset matrices. update is skipped while appState is 3. False when no entry was active.
bool drawFrame(LayerTimeline& timeline, AppState appState, uint32_t t, uint32_t d, float time,
               float delta, const float* spectrum);
// handleMessage of every layer in activeSlots, ascending slot order.
void forwardMessage(const LayerTimeline& timeline, uint32_t message, uint32_t wParam, uint32_t lParam);
// For each entry in registration order: writes the entry count, calls shutdown, deletes the
// layer; then empties the registry and the schedule.
void shutdownLayers(LayerTimeline& timeline);

}  // namespace qorFramework
