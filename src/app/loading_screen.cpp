#include "app/loading_screen.h"

#include <cstdio>

#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"
#include "platform/system.h"
#include "platform/window.h"

namespace qorFramework {

namespace {

// The picture over the whole viewport, first stored row at the top, on texture unit 0. A picture
// that could not be loaded is skipped (the frame stays cleared).
void drawPicture(GL_Texture* picture) {
  if (!picture) return;
  picture->bind(GL_TEXTURE0);
  glColor3f(1.0f, 1.0f, 1.0f);
  drawScreenQuad(true, 1.0f, 0.0f, 0.0f);
  picture->unbind();
}

void pause(bool pacing, uint32_t milliseconds) {
  if (pacing) platform::sleepMs(milliseconds);
}

}  // namespace

bool LoadingScreen::run(platform::Window* window, LayerTimeline& timeline,
                        GL_TextureManager* textures, ControllerList* controllers,
                        AppState* appState, bool pacing) {
  const size_t n = timeline.registry.size();
  char line[64];
  std::snprintf(line, sizeof(line), "at load time: %d\n", static_cast<int>(n));
  platform::debugOutput(line);
  picture = textures ? textures->getTexture("data\\textures\\allaudiences.png", GL_REPEAT, GL_REPEAT)
                     : nullptr;
  platform::setCursorPos(0, 0);
  framesSwapped = 0;
  if (n == 0) {
    *appState = kStateLoaded;
    return true;
  }

  bool ok = true;
  float shown = 0.0f;  // single precision on purpose: it sets the frame count per layer
  for (size_t i = 1; i <= n && ok; ++i) {
    const float target = static_cast<float>(i) / static_cast<float>(n);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (target >= shown) {
      const float step = (target - shown) / 10.0f;
      while (shown <= target) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        drawPicture(picture);
        if (shown >= 1.0f) pause(pacing, 2000);
        platform::swapBuffers(window);
        ++framesSwapped;
        pause(pacing, 10);
        const float next = shown + step;
        if (next == shown) break;  // a step below float resolution (absurd layer counts)
        shown = next;
      }
    }
    drawPicture(picture);  // once more, not shown
    pause(pacing, 2000);
    shown = target;
    Layer_Base* layer = timeline.registry[i - 1].layer;
    ok = layer && layer->init(textures, controllers) && ok;
  }
  if (ok) *appState = kStateLoaded;
  return ok;
}

}  // namespace qorFramework
