// Layer_Test: the opening 3D scene. A textured planet ("ers.obj", drawn with program "ers") in
// front of a full-screen background picture, under a translucent overlay picture that can be
// zoomed. The controllers "Earth: Translation", "Earth: Rotation" and "Earth: Overlay" move the
// planet towards the viewer, spin it and zoom the overlay.
// Owns: the model (arrays and GL buffers) and the program; both are released by shutdown(),
// which runs while the GL context lives; the destructor makes no GL call. Textures belong to the
// texture manager, controllers to the controller list.
// Depends on: model/obj_model.h, gfx/shader.h, gfx/texture_manager.h, gfx/screen_quad.h.
#pragma once

#include "gfx/shader.h"
#include "model/obj_model.h"
#include "timeline/layer.h"

namespace qorFramework {

class GL_Texture;

class Layer_Test : public Layer_Base {
 public:
  // Loads the model, builds the program (sampler "light" on unit 0), requests the three
  // pictures clamped at the edges, looks up the controllers. True regardless of load problems,
  // which the model, shader and texture code trace themselves.
  bool init(GL_TextureManager* textureManager, ControllerList* controllers) override;
  // Leaves GL_DEPTH_TEST and GL_NORMALIZE enabled, blending disabled, program 0 current, both
  // matrices set to the camera and, once the overlay has drawn, texture unit 0 active with
  // texture 0 bound.
  void render() override;
  // Deletes the program, the model's GL buffers and its arrays (context current).
  void shutdown() override;

  ObjModel model;          // the planet, "ers.obj"
  GL_Shader earthShader;   // "ers", from "earthVert.h" and "earthFrag.h"
  GL_Texture* lightTexture = nullptr;       // "ers-light.png": the planet's surface
  GL_Texture* overlayTexture = nullptr;     // "planet-overlay.png"
  GL_Texture* backgroundTexture = nullptr;  // "starbuck.jpg"
  Controller* rotation = nullptr;     // "Earth: Rotation": 1 turns the planet 4.5 times
  Controller* translation = nullptr;  // "Earth: Translation": 0.7 brings it to the look-at point
  Controller* overlay = nullptr;      // "Earth: Overlay": the overlay's zoom is 1 + 10 x value

 private:
  void setCamera();
  void drawBackground();
  void drawPlanet();
  void drawOverlay();
};

}  // namespace qorFramework
