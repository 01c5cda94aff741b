// Layer_FlickerFlash: a full-screen additive colour wash that flickers like firelight, and the
// picture "flash.png" sliding diagonally into place over the scene.
// Reads the controllers "FlickerFlash: Bright" and "FlickerFlash: FlashProgress" (owned by the
// controller list); the picture belongs to the texture manager. The layer owns no GL object.
// Depends on: timeline/layer.h, gfx/texture_manager.h, gfx/screen_quad.h.
#pragma once

#include "timeline/layer.h"

namespace qorFramework {

class GL_Texture;

class Layer_FlickerFlash : public Layer_Base {
 public:
  // Looks up the two controllers and the picture; always true (a missing picture is skipped).
  bool init(GL_TextureManager* textureManager, ControllerList* controllers) override;
  // Leaves blending and depth testing disabled; once the picture has drawn, texture unit 0 is
  // active with texture 0 bound (GL_TEXTURE_2D stays enabled there).
  void render() override;
  void shutdown() override {}

  Controller* bright = nullptr;         // wash strength; below 0.1 it also fades the picture
  Controller* flashProgress = nullptr;  // 0: picture one screen off to the top right, 1: in place
  GL_Texture* flashPicture = nullptr;   // "flash.png", or null when it could not be loaded
};

}  // namespace qorFramework
