#include "layers/layer_flicker_flash.h"

#include <cmath>

#include "platform/trace.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"

namespace qorFramework {

bool Layer_FlickerFlash::init(GL_TextureManager* textureManager, ControllerList* controllers) {
  if (!textureManager || !controllers) {
    trace(TRACE_ERROR, "flash", "init needs a texture manager and a controller list");
    return false;
  }
  bright = findOrCreateController(*controllers, "FlickerFlash: Bright");
  flashProgress = findOrCreateController(*controllers, "FlickerFlash: FlashProgress");
  flashPicture = textureManager->getTexture("flash.png", GL_REPEAT, GL_REPEAT);
  return true;
}

void Layer_FlickerFlash::render() {
  const float t = time;
  const float b = bright ? bright->value : 0.0f;

  // The wash: additive, drawn with whatever texture state the frame has (normally none bound).
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  const float f = sinf(12.0f * t + 1.0f);
  const float k = b * f * f;
  const float s = sinf(t);
  glColor4f(k * (s * s + 0.8f), k * (fabsf(cosf(10.0f * t)) + 0.5f), 0.0f, 1.0f);
  glDisable(GL_DEPTH_TEST);  // stays off
  if (k > 0.0f) drawScreenQuad(false, 1.0f, 0.0f, 0.0f);  // at 0 it adds nothing: skip the quad

  // The flash picture, faded in over the first tenth of the brightness, moved diagonally by
  // (1 - p, p - 1) viewport units: right and up (the quad's y grows downwards).
  const float a = b < 0.1f ? b * 10.0f : 1.0f;
  if (flashPicture && a > 0.0f) {  // fully transparent: nothing to draw
    flashPicture->bind(GL_TEXTURE0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, a);
    const float p = flashProgress ? flashProgress->value : 0.0f;
    drawScreenQuad(true, 1.0f, 1.0f - p, p - 1.0f);
    flashPicture->unbind();
  }
  glDisable(GL_BLEND);
}

}  // namespace qorFramework
