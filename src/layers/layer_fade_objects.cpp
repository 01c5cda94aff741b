#include "layers/layer_fade_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/trace.h"
#include "gfx/pass_profiler.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"

namespace qorFramework {

namespace {

float valueOf(const Controller* controller) { return controller ? controller->value : 0.0f; }

// Binds picture on unit 0 and draws it over the viewport with the current colour; a missing
// picture draws nothing, and neither does one at alpha 0 or below (blending would leave every
// pixel as it was, but a software renderer still pays for each full-screen quad). Only `part`
// of the quad is drawn: outside it the picture cannot change a pixel.
void drawPicture(GL_Texture* picture, float alpha, float scale, float offsetX, float offsetY,
                 const TextureRect& part = TextureRect()) {
  if (!picture || !(alpha > 0.0f)) return;
  picture->bind(GL_TEXTURE0);
  drawScreenQuadPart(true, scale, offsetX, offsetY, part);
}

}  // namespace

bool Layer_FadeObjects::init(GL_TextureManager* textureManager, ControllerList* controllers) {
  if (!textureManager || !controllers) {
    trace(TRACE_ERROR, "fob", "init needs a texture manager and a controller list");
    return false;
  }
  char name[32];
  for (int i = 0; i < kObjects; ++i) {
    snprintf(name, sizeof(name), "items_%d.png", i);
    objectPictures[i] = textureManager->getTexture(name, GL_REPEAT, GL_REPEAT);
  }
  for (int i = 0; i < kCredits; ++i) {
    snprintf(name, sizeof(name), "credits_%d.png", i);
    creditPictures[i] = textureManager->getTexture(name, GL_REPEAT, GL_REPEAT);
  }
  for (int i = 0; i < kPhotos; ++i) {
    snprintf(name, sizeof(name), "photos_%02d.jpg", i + 1);
    photographs[i] = textureManager->getTexture(name, GL_REPEAT, GL_REPEAT);
  }
  titlePicture = textureManager->getTexture("final-screen.png", GL_REPEAT, GL_REPEAT);
  fleshPicture = textureManager->getTexture("flesh-gordon.png", GL_REPEAT, GL_REPEAT);
  background = textureManager->getTexture("starbuck.jpg", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  findContentRects();

  for (int i = 0; i < kCredits; ++i) {
    snprintf(name, sizeof(name), "Cred %d: Fade", i);
    creditFades[i] = findOrCreateController(*controllers, name);
  }
  for (int i = 0; i < kObjects; ++i) {
    snprintf(name, sizeof(name), "Obj %d: Fade", i);
    objectFades[i] = findOrCreateController(*controllers, name);
  }
  fleshAlpha = findOrCreateController(*controllers, "Flesh: Alpha");
  sliderAlpha = findOrCreateController(*controllers, "Slider: Alpha");
  sliderTranslate = findOrCreateController(*controllers, "Slider: Translate");
  titleAlpha = findOrCreateController(*controllers, "Title: Alpha");
  return true;
}

// The credits and the title are blended by their alpha, the objects added: each is drawn only
// over the part of the screen its picture can change.
void Layer_FadeObjects::findContentRects() {
  for (int i = 0; i < kObjects; ++i)
    if (objectPictures[i]) objectRects[i] = findContentRect(objectPictures[i], false);
  for (int i = 0; i < kCredits; ++i)
    if (creditPictures[i]) creditRects[i] = findContentRect(creditPictures[i], true);
  if (titlePicture) titleRect = findContentRect(titlePicture, true);
}

void Layer_FadeObjects::render() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  beginPass("credits and background");
  drawBackground();
  drawCredits();
  endPass();
  beginPass("photographs");
  drawPhotographs();
  endPass();
  beginPass("title and flesh");
  drawTitle();
  drawFlesh();
  endPass();
  beginPass("objects");
  glBlendFunc(GL_ONE, GL_ONE);  // the objects glow additively
  drawObjects();
  endPass();
  glDisable(GL_BLEND);
}

// The background shows as strongly as the strongest credit page.
void Layer_FadeObjects::drawBackground() {
  float a = std::max(0.0f, valueOf(creditFades[0]));
  a = std::max(a, valueOf(creditFades[1]));
  a = std::max(a, valueOf(creditFades[2]));
  glColor4f(1.0f, 1.0f, 1.0f, a);
  drawPicture(background, a, 1.0f, 0.0f, 0.0f);
}

// The fade drives blue as well as alpha, so a half-faded page is tinted yellow.
void Layer_FadeObjects::drawCredits() {
  for (int i = 0; i < kCredits; ++i) {
    const float c = valueOf(creditFades[i]);
    glColor4f(1.0f, 1.0f, c, c);
    drawPicture(creditPictures[i], c, 1.0f, 0.0f, 0.0f, creditRects[i]);
  }
}

// Photograph i sits i screens to the right of the strip's origin.
void Layer_FadeObjects::drawPhotographs() {
  const float a = valueOf(sliderAlpha);
  glColor4f(1.0f, 1.0f, 1.0f, a);
  const float shift = 10.0f * valueOf(sliderTranslate);
  for (int i = 0; i < kPhotos; ++i) drawPicture(photographs[i], a, 1.0f, float(i) - shift, 0.0f);
}

// The wobble grows with the title's alpha, so at alpha 0 the picture is unmoved.
void Layer_FadeObjects::drawTitle() {
  const float t = time;
  const float a = valueOf(titleAlpha);
  glColor4f(1.0f, 1.0f, 1.0f, a);
  const float scale = 1.0f + 0.03f * a * sinf(cosf(0.1f * t) + 0.12f * t);
  const float offsetX = 0.05f * a * cosf(sinf(0.18f * t) + 0.065f * t + 1.0f);
  const float offsetY = 0.02f * a * sinf(sinf(-0.134f * t) + 0.04f * t);
  drawPicture(titlePicture, a, scale, offsetX, offsetY, titleRect);
}

void Layer_FadeObjects::drawFlesh() {
  const float f = valueOf(fleshAlpha);
  glColor4f(1.0f, 1.0f, f, f);
  drawPicture(fleshPicture, f, 1.0f, 0.0f, 0.0f);
}

// Fifteen copies of each object picture, growing from 0.2 to 1.6 times the screen. A copy's
// intensity C = s sin(3.141 (s + 1 - 2 o)) makes a bright band travel through the copies as the
// fade o rises; negative intensities are clamped to 0 by GL and add nothing. Object 0 stays
// centred, object 1's copies sink (y = s), object 2's rise (y = 1 - s).
void Layer_FadeObjects::drawObjects() {
  for (int i = 0; i < kObjects; ++i) {
    GL_Texture* picture = objectPictures[i];
    if (!picture) continue;
    const float o = valueOf(objectFades[i]);
    picture->bind(GL_TEXTURE0);
    for (int j = 0; j < kEchoes; ++j) {
      const float s = float(j) / 15.0f;
      const float c = s * sinf(3.141f * (s + 1.0f - 2.0f * o));
      if (!(c > 0.0f)) continue;  // adds nothing
      glColor3f(c, 0.8f * c, 0.3f * c);
      const float y = i == 0 ? 0.0f : (i == 1 ? s : 1.0f - s);
      drawScreenQuadPart(true, float(j) / 10.0f + 0.2f, 0.0f, y, objectRects[i]);
    }
    picture->unbind();
  }
}

}  // namespace qorFramework
