#include "app/scene.h"

namespace qorFramework {

void registerScene(DemoApp&, int32_t, int32_t) {}

void scheduleScene(DemoApp& app) {
  LayerTimeline& timeline = app.timeline;
  scheduleLayer(timeline, app.appState, "postprocessor", 0, 0, 124000);
  scheduleLayer(timeline, app.appState, "test", 60, 0, 28254);
  scheduleLayer(timeline, app.appState, "flash", 61, 0, 124000);
  scheduleLayer(timeline, app.appState, "fob", 62, 0, 124000);
  scheduleLayer(timeline, app.appState, "postprocessor", 65, 0, 124000);
}

}  // namespace qorFramework
