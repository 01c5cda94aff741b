// Shared test fixtures: a real OpenGL context (SDL's offscreen driver under ctest), capture of
// the debugger output and the trace settings, and a scratch folder that becomes the working
// directory for the test's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl.h"
#include "platform/window.h"

namespace testsupport {

// Collects everything written to the debugger output while alive; sets the trace log to the
// program's settings (INFO, debugger sink) with quitting off unless asked for.
class DebugCapture {
 public:
  explicit DebugCapture(int quitLevel = -1);
  ~DebugCapture();
  const std::string& text() const;
  bool contains(const std::string& needle) const { return text().find(needle) != std::string::npos; }
  void clear();
};

// A fresh scratch folder, made the working directory; the old one is restored and the folder
// removed on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_, previous_;
};

// Writes bytes to a file (binary).
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

struct Rgba {
  uint8_t r, g, b, a;
};

// Loads the editor's overlay projection (x 0..1 rightward, y 0..1 upward) on an identity
// model-view, without pushing anything.
void loadOverlayProjection();

// One integer of GL state (glGetIntegerv), and the current viewport as {x, y, width, height}.
GLint glInteger(GLenum what);
std::vector<GLint> currentViewport();

// Fixture with a windowed GL context of the given size, current for the test's duration.
class GLTest : public ::testing::Test {
 protected:
  explicit GLTest(int width = 64, int height = 64) : width_(width), height_(height) {}
  void SetUp() override;
  void TearDown() override;

  // Reads the back buffer (call before any swap). y counts from the bottom, as in GL.
  Rgba pixel(int x, int y) const;
  std::vector<Rgba> pixels() const;  // width * height, bottom row first
  // The first GL error since the last call, as a name ("GL_NO_ERROR" when none).
  static std::string glErrorName();

  platform::Window* window_ = nullptr;
  int width_, height_;
};

// Makes a window and context outside a fixture (for tests that need their own size).
platform::Window* createTestWindow(int width, int height);

}  // namespace testsupport
