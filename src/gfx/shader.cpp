#include "gfx/shader.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/trace.h"
#include "platform/system.h"

namespace qorFramework {

namespace {

constexpr GLsizei kLogSize = 4096;

// Compiles one stage and attaches it; a failed stage is deleted, not attached.
bool compileStage(GL_Shader& shader, GLenum type, const char* source) {
  GLuint stage = glCreateShader(type);
  glShaderSource(stage, 1, &source, nullptr);
  glCompileShader(stage);
  GLint compiled = 0;
  glGetShaderiv(stage, GL_COMPILE_STATUS, &compiled);
  if (compiled == 0) {
    char log[kLogSize] = {};
    glGetShaderInfoLog(stage, kLogSize, nullptr, log);
    trace(TRACE_WARNING, "shaderCompiler", "(%s) - Unable to compile shader source: %s", shader.name, log);
    glDeleteShader(stage);
    return false;
  }
  glAttachShader(shader.program, stage);
  shader.stages.push_back(stage);
  return true;
}

// Reads a shader file into `source`: the text up to the first zero byte. A missing file leaves
// it empty and is not reported; a file too large for the source buffer, or one that opens but
// cannot be read (a directory), is refused with an ERROR and false.
bool readSourceFile(const char* shaderName, const char* fileName, std::string& source) {
  source.clear();
  FILE* file = fileName ? platform::openFile(fileName, "rb") : nullptr;
  if (!file) return true;
  // Asking for the whole buffer tells an oversize file by filling it.
  std::vector<char> buffer(GL_Shader::kSourceFileSize + 1, 0);
  size_t got = std::fread(buffer.data(), 1, GL_Shader::kSourceFileSize, file);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    trace(TRACE_ERROR, "shaderCompiler", "(%s) - cannot read shader source file: %s", shaderName, fileName);
    return false;
  }
  if (got >= GL_Shader::kSourceFileSize) {
    trace(TRACE_ERROR, "shaderCompiler", "(%s) - shader source file too large (limit %zu bytes): %s",
          shaderName, GL_Shader::kSourceFileSize - 1, fileName);
    return false;
  }
  source = buffer.data();
  return true;
}

}  // namespace

void GL_Shader::createFromSource(const char* shaderName, const char* vertexSource,
                                 const char* geometrySource, const char* fragmentSource) {
  if (!shaderName) shaderName = "";
  size_t nameLength = std::strlen(shaderName);
  if (nameLength >= kNameSize) {
    trace(TRACE_ERROR, "shaderCompiler", "(%.64s...) - shader name too long (%zu bytes, limit %zu)",
          shaderName, nameLength, kNameSize - 1);
    return;
  }
  program = glCreateProgram();
  std::memcpy(name, shaderName, nameLength + 1);
  if (!glIsProgram(program)) {
    trace(TRACE_ERROR, "shaderCompiler", "(%s) - unable to create shader basics", name);
    return;
  }
  valid = true;
  if (vertexSource) valid = compileStage(*this, GL_VERTEX_SHADER, vertexSource) && valid;
  if (geometrySource) valid = compileStage(*this, GL_GEOMETRY_SHADER, geometrySource) && valid;
  if (fragmentSource) valid = compileStage(*this, GL_FRAGMENT_SHADER, fragmentSource) && valid;
  glLinkProgram(program);  // the link status is not queried; the log is reported below
  char log[kLogSize] = {};
  glGetProgramInfoLog(program, kLogSize, nullptr, log);
  if (valid) {
    trace(TRACE_INFO, "shaderCompiler", "(%s) - shader created! (Log: %s)", name, log);
  } else {
    trace(TRACE_ERROR, "shaderCompiler", "(%s) - Unable to compile shader!", name);
    valid = false;
    glDeleteProgram(program);
    program = 0;
  }
}

void GL_Shader::createFromFiles(const char* shaderName, const char* vertexFile,
                                const char* fragmentFile) {
  std::string vertex, fragment;
  if (!readSourceFile(shaderName, vertexFile, vertex)) return;
  if (!readSourceFile(shaderName, fragmentFile, fragment)) return;
  // A text of at most one character counts as absent.
  createFromSource(shaderName, vertex.size() > 1 ? vertex.c_str() : nullptr, nullptr,
                   fragment.size() > 1 ? fragment.c_str() : nullptr);
}

void GL_Shader::release() {
  for (GLuint stage : stages) glDeleteShader(stage);  // not detached first: deleting the
  stages.clear();                                      // program frees them
  if (program) glDeleteProgram(program);
  program = 0;
  valid = false;
}

GLint uniformLocation(GL_Shader& shader, const char* uniformName) {
  // Program 0 (a failed build) has no uniforms; GL would answer it with an error.
  GLint location = shader.program && uniformName ? glGetUniformLocation(shader.program, uniformName) : -1;
  if (location == -1) {
    trace(TRACE_WARNING, "shaderAccess", "unable to retrieve the following uniform variable: %s for shader: %s",
          uniformName ? uniformName : "(null)", shader.name);
  }
  return location;
}

}  // namespace qorFramework
