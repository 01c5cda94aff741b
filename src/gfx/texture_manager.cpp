#include "gfx/texture_manager.h"

#include "platform/trace.h"

namespace qorFramework {

GL_Texture* GL_TextureManager::getTexture(const char* fileName, GLint wrapS, GLint wrapT) {
  if (!fileName) return nullptr;
  std::unique_ptr<GL_Texture>& entry = textures[fileName];  // absent keys start as null
  if (entry) return entry.get();

  std::vector<uint8_t> pixels;
  int32_t width = 0, height = 0, bytesPerPixel = 0;
  if (!loadImage(fileName, pixels, &width, &height, &bytesPerPixel)) {
    trace(TRACE_WARNING, "textureManager", "unable to load image file: %s", fileName);
    return nullptr;
  }
  // loadImage delivers 3 or 4 bytes per pixel only.
  GL_MemTexture* texture = new GL_MemTexture();
  texture->create(pixels.data(), width, height, bytesPerPixel == 4 ? GL_RGBA : GL_RGB, wrapS, wrapT);
  addTexture(fileName, texture);
  return texture;
}

bool GL_TextureManager::addTexture(const char* name, GL_Texture* texture) {
  std::unique_ptr<GL_Texture>& entry = textures[name];
  if (entry) return true;
  entry.reset(texture);
  return false;
}

void GL_TextureManager::release() {
  for (auto& entry : textures) {
    if (entry.second) entry.second->release();
  }
}

}  // namespace qorFramework
