// Layer_FadeObjects: the demo's full-screen 2D pictures over the scene, each group faded by its
// controllers: the background photograph behind the credits, three credit pages, a strip of ten
// photographs that slides sideways, the wobbling title, the flesh overlay, and three object
// pictures drawn as glowing echoes of fifteen growing copies.
// Pictures belong to the texture manager and controllers to the controller list; the layer owns
// no GL object. Depends on: timeline/layer.h, gfx/texture_manager.h, gfx/screen_quad.h.
#pragma once

#include "gfx/texture.h"
#include "timeline/layer.h"

namespace qorFramework {

class GL_Texture;

class Layer_FadeObjects : public Layer_Base {
 public:
  static constexpr int kObjects = 3;
  static constexpr int kCredits = 3;
  static constexpr int kPhotos = 10;
  static constexpr int kEchoes = 15;  // copies drawn of each object picture

  // Requests the pictures, then the controllers; always true (missing pictures are skipped).
  bool init(GL_TextureManager* textureManager, ControllerList* controllers) override;
  // Every picture is bound on texture unit 0 and drawn with flipV true. Leaves blending
  // disabled and the last bound picture on unit 0 (the objects' pictures are unbound).
  void render() override;
  void shutdown() override {}

  Controller* objectFades[kObjects] = {};  // "Obj i: Fade"
  Controller* creditFades[kCredits] = {};  // "Cred i: Fade"
  Controller* fleshAlpha = nullptr;        // "Flesh: Alpha"
  Controller* sliderAlpha = nullptr;       // "Slider: Alpha"
  Controller* sliderTranslate = nullptr;   // "Slider: Translate": each 0.1 moves one screen left
  Controller* titleAlpha = nullptr;        // "Title: Alpha"

  // Null where a picture could not be loaded.
  GL_Texture* titlePicture = nullptr;             // "final-screen.png"
  // The parts of the pictures that can change a pixel (found once at init).
  TextureRect objectRects[kObjects], creditRects[kCredits], titleRect;
  GL_Texture* objectPictures[kObjects] = {};      // "items_0.png" .. "items_2.png"
  GL_Texture* fleshPicture = nullptr;             // "flesh-gordon.png"
  GL_Texture* creditPictures[kCredits] = {};      // "credits_0.png" .. "credits_2.png"
  GL_Texture* photographs[kPhotos] = {};          // "photos_01.jpg" .. "photos_10.jpg"
  GL_Texture* background = nullptr;               // "starbuck.jpg", clamped at the edges

 private:
  void findContentRects();
  void drawBackground();
  void drawCredits();
  void drawPhotographs();
  void drawTitle();
  void drawFlesh();
  void drawObjects();
};

}  // namespace qorFramework
