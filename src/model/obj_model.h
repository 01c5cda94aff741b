// Static triangle meshes from Wavefront OBJ text, with a binary cache beside the source file,
// drawn from three vertex buffers through the fixed-function client arrays.
// Owns: the three flat vertex arrays (CPU) and, once uploaded, three GL buffer names.
// Depends on: platform::openFile / replaceFile for files, the trace log, OpenGL 1.5 buffers.
//
// Cache file "<model path>.bin", little-endian, no header:
//   u32 N | N x (f32 x, y, z) positions | N x (f32 x, y, z) normals | N x (f32 u, v) texcoords
// so a valid cache is exactly 4 + 32 N bytes long.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gl.h"

namespace qorFramework {

// Loads a model named by a path relative to the working directory.
class ModelLoader {
 public:
  virtual bool load(const char* path) = 0;

 protected:
  ~ModelLoader() = default;  // owners destroy the concrete type
};

// Draws a model with whatever matrices, program, textures and blending the caller set.
class ModelRenderer {
 public:
  virtual void render() = 0;

 protected:
  ~ModelRenderer() = default;
};

class ObjModel : public ModelLoader, public ModelRenderer {
 public:
  ObjModel() = default;
  ~ObjModel();  // frees the arrays only; GL buffers go through releaseBuffers()
  ObjModel(const ObjModel&) = delete;
  ObjModel& operator=(const ObjModel&) = delete;

  // loadGeometry(), then uploadBuffers() when there are vertices. Needs a current GL context.
  // True when the geometry came from the cache or the OBJ text.
  bool load(const char* path) override;
  // The cache when it is valid (not empty, exactly as long as its count says, and not older
  // than the OBJ file), else the OBJ text (then the cache is rewritten). No GL calls.
  // When neither can be read the model keeps its current contents and the result is false.
  // Text that yields no faces leaves the model empty, is never cached, and gives false with a
  // WARNING naming the file.
  bool loadGeometry(const char* path);
  // Replaces the arrays with the triangles of OBJ text. `fileName` only names the source in
  // trace lines. Faces with an index outside its list are skipped with a WARNING.
  void parseText(const std::string& text, const char* fileName);

  // Copies the arrays into GL_STATIC_DRAW buffers (names generated on first use); leaves
  // GL_ARRAY_BUFFER unbound.
  void uploadBuffers();
  // Draws vertexCount corners as GL_TRIANGLES; leaves the vertex, normal and texture-coordinate
  // client arrays disabled and GL_ARRAY_BUFFER unbound. Texture coordinates go to the active
  // client texture unit.
  void render() override;

  // Frees the three arrays; vertexCount becomes 0, so render() draws nothing afterwards.
  void release();
  // Deletes the GL buffers; call while the context lives.
  void releaseBuffers();

  float* positions = nullptr;  // 3 per corner
  float* texCoords = nullptr;  // 2 per corner
  float* normals = nullptr;    // 3 per corner
  uint32_t vertexCount = 0;    // a multiple of 3: triangle i is corners 3i, 3i+1, 3i+2
  GLuint positionBuffer = 0;
  GLuint texCoordBuffer = 0;
  GLuint normalBuffer = 0;

 private:
  bool readCache(const std::string& cacheName);
  void writeCache(const std::string& cacheName) const;

  uint32_t bufferVertexCount_ = 0;  // corners the buffers hold (0 without buffers)
};

}  // namespace qorFramework
