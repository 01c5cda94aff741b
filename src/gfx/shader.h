// GL_Shader: one GLSL program built from source texts or from two source files, with its build
// outcome in the trace log ("shaderCompiler") and uniform look-up with a standard warning
// ("shaderAccess"). Also holds the GLSL of the built-in blur set that screen_quad.cpp builds.
// Depends on: platform/gl.h, platform/system.h (files), the trace log.
//
// There is no bind: callers use glUseProgram(shader.program) and glUseProgram(0). The program and
// its stage objects are freed by release() (context current), never by the destructor.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gl.h"

namespace qorFramework {

class GL_Shader {
 public:
  virtual ~GL_Shader() = default;

  // Compiles every present (non-null) stage in the order vertex, geometry, fragment, attaches the
  // ones that compiled and links. valid tells whether every given stage compiled; on failure the
  // program is deleted and program is 0. Names of 512 bytes or more are refused (ERROR).
  void createFromSource(const char* name, const char* vertexSource, const char* geometrySource,
                        const char* fragmentSource);
  // Reads two source files (demo paths); a file that is missing or holds at most one character
  // is an absent stage. A file of 40,960 bytes or more, or one that opens but cannot be read,
  // refuses the build (ERROR).
  void createFromFiles(const char* name, const char* vertexFile, const char* fragmentFile);
  // Deletes the stage objects, then the program; program becomes 0 and valid false.
  void release();

  static constexpr size_t kNameSize = 512;         // including the terminating zero
  static constexpr size_t kSourceFileSize = 40960;  // including the terminating zero

  GLuint program = 0;
  bool valid = false;
  std::vector<GLuint> stages;  // compiled and attached stages, in compile order
  char name[kNameSize] = {};
};

// Location of uniformName in shader's program; -1 (with a "shaderAccess" WARNING) when the
// program has no active uniform of that name. GL ignores updates at -1.
GLint uniformLocation(GL_Shader& shader, const char* uniformName);

}  // namespace qorFramework
