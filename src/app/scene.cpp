#include "app/scene.h"

#include "layers/layer_fade_objects.h"
#include "layers/layer_flicker_flash.h"
#include "layers/layer_pp.h"
#include "layers/layer_earth.h"

namespace qorFramework {

void registerScene(DemoApp& app, int32_t width, int32_t height) {
  LayerTimeline& timeline = app.timeline;
  registerLayer(timeline, "postprocessor", new Layer_PP(width, height));
  registerLayer(timeline, "test", new Layer_Test());
  registerLayer(timeline, "flash", new Layer_FlickerFlash());
  registerLayer(timeline, "fob", new Layer_FadeObjects());
}

// The post-processor draws twice per frame over the same span: at slot 0 it redirects the scene
// layers (60 to 62) into its capture target, at slot 65 it finishes the frame into the window.
void scheduleScene(DemoApp& app) {
  LayerTimeline& timeline = app.timeline;
  scheduleLayer(timeline, app.appState, "postprocessor", 0, 0, kShowEndMs);
  scheduleLayer(timeline, app.appState, "test", 60, 0, 28254);
  scheduleLayer(timeline, app.appState, "flash", 61, 0, kShowEndMs);
  scheduleLayer(timeline, app.appState, "fob", 62, 0, kShowEndMs);
  scheduleLayer(timeline, app.appState, "postprocessor", 65, 0, kShowEndMs);
}

}  // namespace qorFramework
