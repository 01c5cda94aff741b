// Program builds and their trace lines, source files with their size limit, uniform look-up.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "gfx/blur.h"
#include "gfx/shader.h"
#include "support/test_support.h"

using namespace qorFramework;
using testsupport::DebugCapture;
using testsupport::ScratchDir;

namespace {

const char* kFragment = "uniform float level;\nvoid main() { gl_FragColor = vec4(level); }\n";
const char* kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* kBroken = "void main() { gl_FragColor = undefined_thing; }\n";

class ShaderTest : public testsupport::GLTest {
 protected:
  DebugCapture capture;
  GL_Shader shader;
  void TearDown() override {
    shader.release();
    GLTest::TearDown();
  }
};

TEST_F(ShaderTest, FragmentOnlyBuildLogsCreated) {
  shader.createFromSource("plain", nullptr, nullptr, kFragment);
  EXPECT_TRUE(shader.valid);
  EXPECT_NE(shader.program, 0u);
  EXPECT_EQ(shader.stages.size(), 1u);
  EXPECT_EQ(capture.text().rfind("INFO (shaderCompiler): (plain) - shader created! (Log: ", 0), 0u)
      << capture.text();
  EXPECT_FALSE(capture.contains("WARNING"));
  EXPECT_GE(uniformLocation(shader, "level"), 0);

  GLuint program = shader.program;
  shader.release();
  EXPECT_FALSE(glIsProgram(program));
  EXPECT_EQ(shader.program, 0u);
  EXPECT_TRUE(shader.stages.empty());
}

TEST_F(ShaderTest, OneFailingStageWarnsWithItsLogThenFails) {
  shader.createFromSource("broken", kVertex, nullptr, kBroken);
  EXPECT_FALSE(shader.valid);
  EXPECT_EQ(shader.program, 0u);
  EXPECT_EQ(shader.stages.size(), 1u);  // the vertex stage compiled
  const std::string& text = capture.text();
  size_t warning = text.find("WARNING (shaderCompiler): (broken) - Unable to compile shader source: ");
  size_t error = text.find("ERROR (shaderCompiler): (broken) - Unable to compile shader!\n");
  ASSERT_NE(warning, std::string::npos) << text;
  ASSERT_NE(error, std::string::npos) << text;
  EXPECT_LT(warning, error);
  EXPECT_NE(text.find("undefined_thing", warning), std::string::npos);  // the compiler's log
  EXPECT_FALSE(capture.contains("shader created"));
}

TEST_F(ShaderTest, MissingUniformWarnsAndReturnsMinusOne) {
  shader.createFromSource("plain", kVertex, nullptr, kFragment);
  capture.clear();
  EXPECT_EQ(uniformLocation(shader, "nope"), -1);
  EXPECT_EQ(capture.text(),
            "WARNING (shaderAccess): unable to retrieve the following uniform variable: nope for "
            "shader: plain\n");
}

TEST_F(ShaderTest, FilesWithBackslashPathsSingleCharactersAndMissingFiles) {
  ScratchDir scratch;
  testsupport::writeFile("v.h", kVertex);
  testsupport::writeFile("one.h", "x");
  ASSERT_EQ(mkdir("sh", 0755), 0);
  testsupport::writeFile("sh/f.h", kFragment);
  shader.createFromFiles("files", "v.h", "sh\\f.h");
  EXPECT_TRUE(shader.valid);
  EXPECT_EQ(shader.stages.size(), 2u);
  shader.release();

  // A single character is an absent stage, as is a missing file: no stage, still "created".
  shader.createFromFiles("empty", "one.h", "missing.h");
  EXPECT_TRUE(shader.valid);
  EXPECT_NE(shader.program, 0u);
  EXPECT_TRUE(shader.stages.empty());
  EXPECT_TRUE(capture.contains("INFO (shaderCompiler): (empty) - shader created!"));
}

TEST_F(ShaderTest, OversizeAndUnreadableFilesAndLongNamesAreRefused) {
  ScratchDir scratch;
  // 40,959 bytes still fit the buffer with its zero; 40,960 do not.
  std::string fits = std::string(kFragment) + "//";
  fits += std::string(40959 - fits.size(), 'x');
  testsupport::writeFile("fits.h", fits);
  testsupport::writeFile("big.h", fits + "x");
  shader.createFromFiles("fits", nullptr, "fits.h");
  EXPECT_TRUE(shader.valid);
  shader.release();

  capture.clear();
  shader.createFromFiles("big", nullptr, "big.h");
  EXPECT_FALSE(shader.valid);
  EXPECT_EQ(shader.program, 0u);
  EXPECT_TRUE(capture.contains("ERROR (shaderCompiler): (big) - shader source file too large"));
  EXPECT_FALSE(capture.contains("shader created"));

  capture.clear();
  ASSERT_EQ(mkdir("folder.h", 0755), 0);  // opens for reading on Linux, but reads nothing
  shader.createFromFiles("folder", "folder.h", nullptr);
  EXPECT_FALSE(shader.valid);
  EXPECT_TRUE(capture.contains("ERROR (shaderCompiler): (folder) - cannot read shader source file: folder.h"));
  EXPECT_FALSE(capture.contains("too large"));

  capture.clear();
  std::string longName(512, 'n');
  shader.createFromSource(longName.c_str(), nullptr, nullptr, kFragment);
  EXPECT_FALSE(shader.valid);
  EXPECT_EQ(shader.program, 0u);
  EXPECT_TRUE(capture.contains("ERROR (shaderCompiler): "));
  longName.pop_back();
  shader.createFromSource(longName.c_str(), nullptr, nullptr, kFragment);
  EXPECT_TRUE(shader.valid);
  EXPECT_EQ(std::string(shader.name), longName);
}

TEST_F(ShaderTest, BuiltInBlurSourcesCompile) {
  GL_Shader threshold, smart;
  shader.createFromSource("vedeBlurShader", kBlurVertexSource, nullptr, kBlurFragmentSource);
  threshold.createFromSource("t", kBlurVertexSource, nullptr, kBlurThresholdFragmentSource);
  smart.createFromSource("s", kSmartBlurVertexSource, nullptr, kSmartBlurFragmentSource);
  EXPECT_TRUE(shader.valid);
  EXPECT_TRUE(threshold.valid);
  EXPECT_TRUE(smart.valid);
  threshold.release();
  smart.release();
}

}  // namespace
