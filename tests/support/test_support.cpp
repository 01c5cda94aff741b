#include "support/test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/trace.h"
#include "platform/system.h"

namespace testsupport {

static std::string captured;
static void captureHook(const char* text) { captured += text; }

DebugCapture::DebugCapture(int quitLevel) {
  captured.clear();
  platform::setDebugOutputHook(captureHook);
  qorFramework::traceVerbosity = 3;
  qorFramework::traceSink = qorFramework::TRACE_TO_DEBUGGER;
  qorFramework::traceQuitLevel = quitLevel;
}

DebugCapture::~DebugCapture() {
  platform::setDebugOutputHook(nullptr);
  qorFramework::traceQuitLevel = -1;
}

const std::string& DebugCapture::text() const { return captured; }
void DebugCapture::clear() { captured.clear(); }

ScratchDir::ScratchDir() {
  char cwd[4096];
  previous_ = getcwd(cwd, sizeof(cwd)) ? cwd : ".";
  char pattern[] = "/tmp/dovrix-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made ? made : "/tmp";
  if (chdir(path_.c_str()) != 0) ADD_FAILURE() << "cannot enter " << path_;
}

ScratchDir::~ScratchDir() {
  if (chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void loadOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, 1, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

GLint glInteger(GLenum what) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  return value;
}

std::vector<GLint> currentViewport() {
  std::vector<GLint> v(4);
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

platform::Window* createTestWindow(int width, int height) {
  platform::WindowDesc desc = {"test", width, height, false, nullptr};
  platform::WindowOpened opened;
  return platform::createWindow(desc, &opened);
}

void GLTest::SetUp() {
  window_ = createTestWindow(width_, height_);
  ASSERT_NE(window_, nullptr) << "no OpenGL context (is SDL_VIDEODRIVER=offscreen set?)";
  glViewport(0, 0, width_, height_);
  platform::flushMessages();
}

void GLTest::TearDown() {
  if (window_) platform::destroyWindow(window_);
  window_ = nullptr;
  platform::flushMessages();
}

Rgba GLTest::pixel(int x, int y) const {
  Rgba p = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
  return p;
}

std::vector<Rgba> GLTest::pixels() const {
  std::vector<Rgba> out(static_cast<size_t>(width_) * height_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  return out;
}

std::string GLTest::glErrorName() {
  GLenum e = glGetError();
  switch (e) {
    case GL_NO_ERROR: return "GL_NO_ERROR";
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default: return "GL error " + std::to_string(e);
  }
}

}  // namespace testsupport
