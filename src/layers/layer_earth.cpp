#include "layers/layer_earth.h"

#include "platform/trace.h"
#include "gfx/pass_profiler.h"
#include "gfx/screen_quad.h"
#include "gfx/texture_manager.h"

namespace qorFramework {

namespace {

float valueOf(const Controller* controller) { return controller ? controller->value : 0.0f; }

}  // namespace

bool Layer_Test::init(GL_TextureManager* textureManager, ControllerList* controllers) {
  if (!textureManager || !controllers) {
    trace(TRACE_ERROR, "test", "init needs a texture manager and a controller list");
    return false;
  }
  model.load("ers.obj");
  earthShader.createFromFiles("ers", "earthVert.h", "earthFrag.h");
  lightTexture = textureManager->getTexture("ers-light.png", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  overlayTexture =
      textureManager->getTexture("planet-overlay.png", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  backgroundTexture =
      textureManager->getTexture("starbuck.jpg", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);

  GLint light = uniformLocation(earthShader, "light");
  if (earthShader.program) {
    glUseProgram(earthShader.program);
    glUniform1i(light, 0);
    glUseProgram(0);
  }

  translation = findOrCreateController(*controllers, "Earth: Translation");
  rotation = findOrCreateController(*controllers, "Earth: Rotation");
  overlay = findOrCreateController(*controllers, "Earth: Overlay");
  return true;
}

void Layer_Test::render() {
  setCamera();
  glTranslatef(0.0f, 0.0f, 50.0f * valueOf(translation) - 35.0f);  // T = 0: 45 units away
  glEnable(GL_NORMALIZE);  // the scale below would otherwise stretch the normals
  glScalef(10.0f, 10.0f, 10.0f);
  beginPass("planet background");
  drawBackground();
  endPass();
  beginPass("planet");
  drawPlanet();
  endPass();
  beginPass("planet overlay");
  drawOverlay();
  endPass();
}

void Layer_Test::shutdown() {
  earthShader.release();
  model.releaseBuffers();
  model.release();
}

// A fixed 16:9 perspective whatever the window's shape; the eye at z = 10 looks at the origin.
void Layer_Test::setCamera() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.777, 1.0, 1000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

// The quad brings its own projection, so the picture fills the viewport whatever the camera.
// Depth writes are off so the background never hides the planet. The picture stays bound.
void Layer_Test::drawBackground() {
  if (!backgroundTexture) return;
  glDepthMask(GL_FALSE);
  glColor3f(1.0f, 1.0f, 1.0f);
  backgroundTexture->bind(GL_TEXTURE0);
  drawScreenQuad(true, 1.0f, 0.0f, 0.0f);
  glDepthMask(GL_TRUE);
}

// Without its surface picture the planet is not drawn: the program's sampler reads unit 0,
// which would still hold the background.
void Layer_Test::drawPlanet() {
  if (!lightTexture) {
    glEnable(GL_DEPTH_TEST);  // the overlay still draws depth-tested
    return;
  }
  glUseProgram(earthShader.program);
  lightTexture->bind(GL_TEXTURE0);
  glEnable(GL_DEPTH_TEST);
  glRotatef(1620.0f * valueOf(rotation) - 30.0f, 0.0f, 1.0f, 0.0f);
  model.render();
  lightTexture->unbind();
  glUseProgram(0);
}

// A full-viewport quad zoomed about the centre. Depth testing stays on: the quad lies in the
// middle of the depth range, so only planet fragments nearer than that would hide it.
void Layer_Test::drawOverlay() {
  if (!overlayTexture) return;
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  overlayTexture->bind(GL_TEXTURE0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drawScreenQuad(false, 1.0f + 10.0f * valueOf(overlay), 0.0f, 0.0f);
  glDisable(GL_BLEND);
  overlayTexture->unbind();
}

}  // namespace qorFramework
