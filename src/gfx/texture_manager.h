// GL_TextureManager: image textures by file name, each file decoded at most once while it
// succeeds. Owns the texture objects it stores (deleted with the manager, without GL calls);
// their GL textures are freed by release(), which the owner calls at shutdown while the context
// is current (without it they end with the context).
// Depends on: texture.h, the trace log.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "gfx/texture.h"

namespace qorFramework {

class GL_TextureManager {
 public:
  virtual ~GL_TextureManager() = default;

  // The texture for fileName (the key is the name exactly as given: "a.png" and "./a.png" are two
  // textures). The first successful request decodes the file and creates the texture with wrapS
  // and wrapT; later requests return the same object and their wrap modes are ignored. A file
  // that cannot be loaded gives null and a WARNING under "textureManager"; the next request
  // tries the file again.
  GL_Texture* getTexture(const char* fileName, GLint wrapS, GLint wrapT);
  // Stores texture under name and takes ownership; true when name already held a texture (then
  // nothing changes and the caller keeps ownership of `texture`).
  bool addTexture(const char* name, GL_Texture* texture);
  // Releases the GL objects of every stored texture (context current). The objects stay stored.
  void release();

  // Key -> texture; null while a load has failed or not yet happened.
  std::map<std::string, std::unique_ptr<GL_Texture>> textures;
};

}  // namespace qorFramework
